#include "views/standard_error_report.h"

#include "data/extended_exp.h"
#include "data/number_format.h"
#include "data/workspace.h"
#include "fit/response_model.h"
#include "views/result_files.h"

namespace quorvane {

namespace {

std::string numbered(const char* name, int number) {
    std::string text = name;
    text += std::to_string(number);
    return text;
}

std::string errorLine(const std::string& name, long double error) {
    return name + " +- " + formatExponent6(error) + '\n';
}

// The fitted response parameters' names in the vector order.
std::string responseLines(const StandardErrors& errors) {
    const ResponseModel& model = responseModel;
    std::string lines;
    int q = 0;
    if (model.fitCentre)
        lines += errorLine("mu0", errors.response[q++]);
    if (model.fitFwhm)
        lines += errorLine("FWHM", errors.response[q++]);
    for (int d = 1; d <= model.order; ++d)
        if (model.fitDispersion[d])
            lines += errorLine(numbered("c", d), errors.response[q++]);
    for (int c = 1; model.step && c <= workspace.curveCount; ++c)
        lines += errorLine(numbered("step", c), errors.stepAmplitude[c]);
    return lines;
}

}  // namespace

std::string standardErrorSection(const StandardErrors& errors, const SpectraTable& spectra) {
    std::string section = "Errors\n";
    if (!errors.valid)
        return section + errors.message + '\n';
    const int n = errors.componentCount;
    section += "s2 = " + formatGeneral15(errors.residualVariance) + '\n';
    for (int j = 1; j <= n; ++j) {
        const long double t = extendedExp(-workspace.ParameterVector[rateIndex(j)]);
        section += numbered("t", j) + " = " + formatExponent6(t) + " +- " +
                   formatExponent6(errors.timeConstant[j]) + '\n';
    }
    section += "ln t correlation\n";
    for (int i = 1; i <= n; ++i) {
        section += numbered("t", i);
        for (int j = 1; j <= n; ++j)
            section += '\t' + formatFixed6(errors.correlation[i][j]);
        section += '\n';
    }
    section += "SE\tY0";
    for (int j = 1; j <= n; ++j)
        section += '\t' + numbered("A", j);
    section += '\n';
    for (const SpectraTable::Row& row : spectra.rows) {
        section += formatGeneral15(row.wavelength);
        for (int l = 0; l <= n; ++l)
            section += '\t' + formatExponent6(errors.coefficient[row.curve][l]);
        section += '\n';
    }
    if (responseInUse())
        section += responseLines(errors);
    return section;
}

std::string spectraErrorHeader(int componentCount) {
    std::string header;
    for (int k = 1; k <= componentCount; ++k)
        header += ",A" + std::to_string(k) + "_se";
    return header;
}

std::string spectraErrorFields(const StandardErrors& errors, const SpectraTable::Row& row,
                               int componentCount) {
    std::string fields;
    for (int k = 1; k <= componentCount; ++k) {
        fields += ',';
        if (errors.valid && k <= errors.componentCount)
            appendCsvNumber(fields, static_cast<double>(errors.coefficient[row.curve][k]));
    }
    return fields;
}

}  // namespace quorvane
