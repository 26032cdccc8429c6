#include "views/response_report.h"

#include "data/number_format.h"
#include "data/workspace.h"
#include "fit/response_basis.h"
#include "fit/response_model.h"

namespace quorvane {

namespace {

std::string line(const std::string& name, long double value, bool fitted = true) {
    return name + " = " + formatGeneral15(value) + (fitted ? "" : " (fixed)") + '\n';
}

// "c3", "step12" (appended, not concatenated: GCC 12 warns falsely on the
// concatenation of a short literal).
std::string numbered(const char* name, int number) {
    std::string text = name;
    text += std::to_string(number);
    return text;
}

}  // namespace

std::string responseSection() {
    const ResponseModel& model = responseModel;
    if (!responseInUse())
        return {};
    std::string section = "Response\n";
    section += line("mu0", model.centre, model.fitCentre);
    section += line("FWHM", model.fwhm, model.fitFwhm);
    section += line("sigma", model.fwhm / kFwhmPerWidth, model.fitFwhm);
    for (int i = 1; i <= model.order; ++i)
        section += line(numbered("c", i), model.dispersion[i], model.fitDispersion[i]);
    if (model.order > 0)
        section += line("lambda_c", model.reference);
    for (int c = 1; model.step && c <= workspace.curveCount; ++c)
        section += line(numbered("step", c), model.stepAmplitude[c]);
    return section;
}

}  // namespace quorvane
