// The FILEs of a quorvane-fit run loaded into the workspace: each is read as
// a matrix file when its content is one (data/matrix_file.h), oriented and
// chosen from as the matrix options say (matrix_options.h), and otherwise
// loaded as a trace file, exactly as before. Also what --list prints and what
// --write-traces writes.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/matrix_options.h"
#include "data/error.h"
#include "data/measurement.h"
#include "data/trace_choice.h"
#include "views/result_files.h"

namespace quorvane {

// What one FILE gave the workspace: curves firstCurve .. firstCurve +
// curveCount - 1.
struct LoadedInput {
    std::string path;
    std::string title;  // the file name without its folder
    int firstCurve = 0;
    int curveCount = 0;
    bool matrix = false;
    // Of a matrix file only:
    MatrixFormat format = MatrixFormat::Delimited;
    char separator = ',';
    bool decimalComma = false;
    WavelengthUnit unit = WavelengthUnit::Nanometre;
    std::size_t timeCount = 0;  // of the whole file
    std::size_t wavelengthCount = 0;
    Orientation orientation = Orientation::TimesDown;
    std::string orientationReason;  // why this orientation
    double firstTime = 0;           // the first and the last time kept
    double lastTime = 0;
    TracePlan plan;
};

// A problem of the command line found only in the files (an orientation the
// rule cannot decide, matrix options without a matrix FILE): exit 2.
class MatrixUsageProblem : public QuorvaneError {
  public:
    using QuorvaneError::QuorvaneError;
};

// Loads `files` in order. A failing file throws the reader's QuorvaneError
// (with the file, and the line, as its detail: "File <path>." when the
// reader gave none); the files before it stay loaded.
std::vector<LoadedInput> loadInputs(const std::vector<std::string>& files,
                                    const MatrixOptions& options);

// The curves as the saved files name them.
std::vector<SavedCurve> savedCurvesOf(const std::vector<LoadedInput>& inputs);

// --list: for each file its format, the orientation and why, the time window
// and the choice, then one line per trace: curve, wavelength, columns
// averaged, points.
std::string inputListing(const std::vector<LoadedInput>& inputs, const MatrixOptions& options);

// The file name a trace of the given wavelength is written as (see
// writeTraceFiles).
std::string traceFileName(double wavelength, WavelengthUnit unit);

// --write-traces: each curve chosen from a matrix file as a trace file in
// `folder` (which must exist): one line per point, the time, one blank and
// the value, 17 significant digits with the current decimal separator, so
// that the trace reader reads back the same doubles. Named by
// traceFileName: "<wavelength>nm.txt" ("452.5nm.txt") when the wavelength
// in nm lies within 100..999.x, so that the first three characters give its
// whole nanometres; otherwise "w<wavelength><unit>.txt" ("w1050nm.txt",
// "w15873cm-1.txt"), whose first characters are no number, so that the
// spectra refuse the file rather than read a wrong wavelength. A second
// trace of the same name gets "_2", "_3" ... before the extension. Returns
// the paths written; throws "Cannot create file <path>".
std::vector<std::string> writeTraceFiles(const std::string& folder,
                                         const std::vector<LoadedInput>& inputs);

}  // namespace quorvane
