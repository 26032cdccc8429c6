// The results of a fit saved as three files side by side. For a NAME (one
// trailing ".txt" is dropped from it):
//   NAME.txt          the results report: the sections quorvane-fit prints
//                     (result_sections.h), byte for byte, from the workspace
//                     as it stands;
//   NAME-spectra.csv  "wavelength,A1,...,An", then one row per curve in
//                     ascending wavelength (ties in load order): the
//                     differential spectra's wavelength and amplitudes;
//   NAME-curves.csv   "trace,file,time,value,model,residual", then one row
//                     per stored point in load order: the curve number, its
//                     title (in double quotes when it holds a comma, a quote
//                     or a line break), the stored time and value, model =
//                     evaluateModelAtPoint, residual = value - model formed
//                     in extended precision, both then rounded to double.
// CSV numbers always use the point as decimal separator, whatever the
// locale, and 17 significant digits, so that each reads back to the same
// double. Every line ends in LF.
//
// A save never changes the workspace. The Var-Cov section is formed by the
// variance–covariance command, and lambda, normalMatrix and covarianceMatrix
// are put back to what they held before; when the inverse cannot be formed,
// the section holds "Var-Cov" and the error box's text, and the rest is
// written all the same. Each file is written through a ReplacingFile: a
// failure leaves any earlier file of its name whole.
#pragma once

#include <string>
#include <vector>

namespace quorvane {

// Throws QuorvaneError when the workspace holds no results to save: no Start
// has completed since the program started or since Clear, or traces were
// loaded after the last Start.
void refuseUnfittedResults();

// Writes the three files; titles[c-1] is the title of curve c. Refused by
// refuseUnfittedResults() before anything is written. The report and the spectra are formed before
// the first file is created, so that their errors (a title that gives no
// wavelength, a floating-point fault) leave nothing behind. Throws "Cannot
// create file <file>" when a file cannot be written.
void saveResults(const std::string& name, const std::vector<std::string>& titles);

}  // namespace quorvane
