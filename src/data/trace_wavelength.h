// The wavelength of a trace, read from a trace file's name or written as a
// trace's name.
#pragma once

#include <string>

#include "data/measurement.h"

namespace quorvane {

// A trace file is named with its wavelength in nanometres first: the first
// three characters of its title (the whole title when it is shorter), read
// as a number text of number_text.h with the current decimal separator. So
// "450nm.txt" gives 450, "1064.txt" 106 and "45 nm.txt" 45. A quiet NaN when
// they are no number ("abc.txt", an empty title).
double wavelengthOfTraceTitle(const std::string& title);

// The name of a trace from a matrix: its wavelength with up to 6 significant
// digits, trailing zeros dropped, the current decimal separator, and the
// unit: "452.5 nm", "1050 nm", "15873 cm^-1".
std::string wavelengthLabel(double wavelength, WavelengthUnit unit);

}  // namespace quorvane
