// The results of a fit saved as three files side by side. For a NAME (one
// trailing ".txt" is dropped from it):
//   NAME.txt          the results report: the sections quorvane-fit prints
//                     (result_sections.h), byte for byte, from the workspace
//                     as it stands;
//   NAME-spectra.csv  "wavelength,A1,...,An", then one row per curve in
//                     ascending wavelength (ties in load order): the
//                     differential spectra's wavelength and amplitudes
//                     (and, when asked, their standard errors);
//   NAME-curves.csv   "trace,file,time,value,model,residual", then one row
//                     per stored point in load order: the curve number, the
//                     file it was read from (in double quotes when it holds
//                     a comma, a quote or a line break), the stored time and
//                     value, model = evaluateModelAtPoint, residual = value -
//                     model formed in extended precision, both then rounded
//                     to double. When a curve was chosen from a matrix file,
//                     a column "wavelength" follows "file" for every curve:
//                     its workspace.wavelength (empty when it has none).
// CSV numbers always use the point as decimal separator, whatever the
// locale, and 17 significant digits, so that each reads back to the same
// double. Every line ends in LF.
//
// The report's Errors section follows the spectra (standard_error_report.h).
// A save never changes the workspace. The Var-Cov section is formed by the
// variance–covariance command, and lambda, normalMatrix and covarianceMatrix
// are put back to what they held before; when the inverse cannot be formed,
// the section holds "Var-Cov" and the error box's text, and the rest is
// written all the same. Each file is written through a ReplacingFile: a
// failure leaves any earlier file of its name whole.
#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "fit/standard_errors.h"
#include "views/result_sections.h"

namespace quorvane {

// Appends `value` as the CSV files write numbers: 17 significant digits, the
// point as separator.
void appendCsvNumber(std::string& text, double value);

// Throws QuorvaneError when the workspace holds no results to save: no Start
// has completed since the program started or since Clear, or traces were
// loaded after the last Start.
void refuseUnfittedResults();

// A spectra table as CSV: "wavelength" and the columns (",NAME" each),
// then one line per row, every number as appendCsvNumber writes it, ended
// by rowEnd(row) when given (",..." fields of further columns).
std::string spectraTableCsv(
    const std::vector<std::string>& columns, const SpectraTable& table,
    const std::function<std::string(const SpectraTable::Row&)>& rowEnd = {});

// What the saved files name of curve c besides its numbers: the file it was
// read from, without its folder (a trace file's title, or the matrix file a
// trace was chosen from), and whether it was chosen from a matrix file.
struct SavedCurve {
    std::string file;
    bool fromMatrix = false;
};

// More of a save: sections appended to NAME.txt after the spectra (what
// quorvane-fit prints after them), and files NAME<suffix> beside the three,
// written and committed with them.
struct SavedSupplement {
    std::string reportSections;
    std::vector<std::pair<std::string, std::string>> files;  // suffix ("-svd.csv"), contents
    // The spectra CSV gains the amplitudes' standard errors, A1_se..An_se,
    // after A1..An (standard_error_report.h).
    bool spectraErrors = false;
    // Lines that end the Errors section (the profile intervals).
    std::string errorSectionEnd = {};
    // The standard errors of the fit when the caller formed them already
    // (they cost about a projection); formed anew when null.
    const StandardErrors* errors = nullptr;
};

// Writes the files; curves[c-1] names curve c. Refused by
// refuseUnfittedResults() before anything is written. The report and the spectra are formed before
// the first file is created, so that their errors (a title that gives no
// wavelength, a floating-point fault) leave nothing behind. Throws "Cannot
// create file <file>" when a file cannot be written.
void saveResults(const std::string& name, const std::vector<SavedCurve>& curves,
                 const SavedSupplement& supplement = {});
// The same for curves read from trace files: titles[c-1] is the title of
// curve c.
void saveResults(const std::string& name, const std::vector<std::string>& titles);

}  // namespace quorvane
