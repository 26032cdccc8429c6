// The singular values of the data and of the residuals of a fit as a
// section of the results report and as a CSV file (fit/singular_values.h
// gives the numbers: the first 10 values, the first 3 left and right
// vectors, signs fixed).
#pragma once

#include <string>

#include "fit/singular_values.h"

namespace quorvane {

// "Singular values", then the line "data" and the line "residuals", each
// followed by its values, largest first, after TABs (general 15-digit
// format). Then for the data and then for the residuals the vectors in a
// compact form: "<Data|Residuals>, left vectors" with the line "time\tu1.."
// and the rows of at most 11 times spread evenly over the rows (the first
// and the last included), then "<Data|Residuals>, right vectors" with the
// line "wavelength\tv1.." and a row for every column; vector entries in the
// exponent format with 6 significant digits.
std::string singularValueSection(const SingularValues& data, const SingularValues& residuals);

// "matrix,quantity,k,axis,value", then for "data" and then "residuals": the
// values ("value", k, empty axis), every entry of left vector k ("left", the
// time as axis) and of right vector k ("right", the wavelength as axis).
// 17 significant digits with the point, as in the other CSV files; LF line
// ends.
std::string singularValueCsv(const SingularValues& data, const SingularValues& residuals);

}  // namespace quorvane
