// Which axis of a matrix file is time, and the measurement that follows.
//
// A Glotaran file states it: "Time explicit" has the times across (the
// explicit axis), "Wavelength explicit" the times down. For a delimited file
// the rule is, with "across" the header's axis and "down" the rows' first
// values:
//   1. An axis with a value <= 0 is time, when the other axis has none.
//   2. Otherwise an axis lying wholly within the wavelength range while the
//      other does not is the wavelength axis. The range is 150..3000 nm, or
//      300..70000 cm^-1 for a file in wavenumbers (the mid infrared to the
//      ultraviolet).
//   3. Otherwise the rule cannot decide (both axes or neither within the
//      range, or both with a value <= 0): the window asks the user, the batch
//      command refuses and names its option.
// An explicit orientation overrides the rule for a delimited file; a Glotaran
// file keeps its own.
//
// The axes are then checked, each error naming the file and the line:
//   - the wavelengths must be distinct ("wavelength X is given twice");
//   - both axes must be strictly monotonic, increasing or decreasing, in the
//     order of the file (which is kept).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "data/error.h"
#include "data/matrix_file.h"
#include "data/measurement.h"

namespace quorvane {

struct OrientationDecision {
    bool decided = false;
    Orientation orientation = Orientation::TimesDown;  // TimesDown or TimesAcross, when decided
    // Why, in words for the user: "the first column has a value <= 0" ...
    std::string reason;
};

OrientationDecision decideOrientation(const MatrixFile& file);

// Raised by orientMatrix for Auto when the rule cannot decide; the message
// names the file and gives the reason.
class UndecidedOrientation : public QuorvaneError {
  public:
    using QuorvaneError::QuorvaneError;
};

// The measurement of the file with the given orientation (Auto: the rule's).
// Throws UndecidedOrientation, or QuorvaneError for the axis checks above.
// The grid is taken by value: a file read once and oriented once moves its
// numbers into the measurement instead of copying them.
Measurement orientMatrix(MatrixFile file, Orientation orientation);

// "auto", "times-down", "times-across", and back (no value for other text).
const char* orientationName(Orientation orientation);
std::optional<Orientation> orientationFromName(std::string_view name);

}  // namespace quorvane
