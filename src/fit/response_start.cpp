#include "fit/response_start.h"

#include <cmath>
#include <limits>
#include <string>

#include "data/error.h"
#include "data/number_format.h"
#include "data/number_text.h"
#include "data/workspace.h"
#include "fit/response_model.h"

namespace quorvane {

namespace {

long double readNumber(const std::string& box, const std::string& text) {
    return withErrorDetail("Box " + box + " of the instrument response.",
                           [&] { return textToExtended(text); });
}

// lambda_r: typed, or the mean of the traces' wavelengths (NaN when a trace
// has none and the dispersion is off).
long double referenceWavelength(const ResponseBoxes& boxes, int order) {
    const int curves = workspace.curveCount;
    for (int c = 1; c <= curves && order > 0; ++c) {
        if (std::isnan(workspace.wavelength[c])) {
            throw QuorvaneError("Trace " + std::to_string(c) +
                                " has no wavelength: the dispersion of the instrument response "
                                "needs the wavelength of every trace");
        }
    }
    if (!boxes.referenceWavelength.empty())
        return readNumber("reference wavelength", boxes.referenceWavelength);
    long double sum = 0.0L;
    for (int c = 1; c <= curves; ++c)
        sum = sum + static_cast<long double>(workspace.wavelength[c]);
    return curves > 0 ? sum / curves : std::numeric_limits<long double>::quiet_NaN();
}

}  // namespace

void refuseResponseWithMethod(const ResponseBoxes& boxes, FitMethod method) {
    if (boxes.enabled && method == FitMethod::Classic) {
        throw QuorvaneError(
            "The instrument response is fitted by variable projection only: choose Variable "
            "projection, or switch the instrument response off");
    }
}

void prepareResponse(const ResponseBoxes& boxes) {
    if (!boxes.enabled) {
        responseModel.active = false;
        return;
    }
    ResponseModel model;
    model.fwhm = readNumber("FWHM", boxes.fwhm);
    if (!(model.fwhm > 0.0L) || !std::isfinite(model.fwhm))
        throw QuorvaneError("The FWHM of the instrument response must be greater than 0");
    model.centre = readNumber("centre", boxes.centre);
    model.order = withErrorDetail("Box dispersion order of the instrument response.",
                                  [&] { return textToInteger(boxes.dispersionOrder); });
    if (model.order < 0 || model.order > kMaxDispersionOrder) {
        throw QuorvaneError("The dispersion order must be between 0 and " +
                            std::to_string(kMaxDispersionOrder));
    }
    for (int i = 1; i <= model.order; ++i) {
        std::string box = "c";
        box += std::to_string(i);
        model.dispersion[i] = readNumber(box, boxes.dispersion[i - 1]);
        model.fitDispersion[i] = boxes.fitDispersion[i - 1];
    }
    model.reference = referenceWavelength(boxes, model.order);
    if (model.order > 0 && !std::isfinite(model.reference))
        throw QuorvaneError("The reference wavelength must be a finite number");
    for (int c = 1; c <= workspace.curveCount && model.order > 0; ++c)
        model.dispersionVariable[c] =
            (static_cast<long double>(workspace.wavelength[c]) - model.reference) / 100.0L;
    model.fitCentre = boxes.fitCentre;
    model.fitFwhm = boxes.fitFwhm;
    model.step = boxes.step;
    model.active = true;
    model.curveGeneration = curveDataGeneration();
    responseModel = model;
}

ResponseBoxes fittedResponseBoxes(const ResponseBoxes& typed) {
    ResponseBoxes boxes = typed;
    const ResponseModel& model = responseModel;
    if (model.fitFwhm)
        boxes.fwhm = formatGeneral15(model.fwhm);
    if (model.fitCentre)
        boxes.centre = formatGeneral15(model.centre);
    for (int i = 1; i <= model.order; ++i)
        if (model.fitDispersion[i])
            boxes.dispersion[i - 1] = formatGeneral15(model.dispersion[i]);
    return boxes;
}

}  // namespace quorvane
