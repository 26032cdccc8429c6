#include "fit/response_model.h"

#include <cfenv>

#include "data/thread_pool.h"
#include "lsq/exponential_sum.h"

namespace quorvane {

ResponseModel responseModel;

int fittedResponseParameterCount(const ResponseModel& model) {
    int count = (model.fitCentre ? 1 : 0) + (model.fitFwhm ? 1 : 0);
    for (int i = 1; i <= model.order; ++i)
        count += model.fitDispersion[i] ? 1 : 0;
    return count;
}

void responseParametersToVector(const ResponseModel& model, long double* x) {
    int p = 0;
    if (model.fitCentre)
        x[p++] = model.centre;
    if (model.fitFwhm)
        x[p++] = model.fwhm;
    for (int i = 1; i <= model.order; ++i)
        if (model.fitDispersion[i])
            x[p++] = model.dispersion[i];
}

void responseParametersFromVector(const long double* x, ResponseModel& model) {
    int p = 0;
    if (model.fitCentre)
        model.centre = x[p++];
    if (model.fitFwhm)
        model.fwhm = x[p++];
    for (int i = 1; i <= model.order; ++i)
        if (model.fitDispersion[i])
            model.dispersion[i] = x[p++];
}

GaussianResponse curveResponse(const ResponseModel& model, int curve) {
    long double centre = model.centre;
    long double power = 1.0L;
    for (int i = 1; i <= model.order; ++i) {
        power = power * model.dispersionVariable[curve];
        centre = centre + model.dispersion[i] * power;
    }
    return GaussianResponse{centre, model.fwhm / kFwhmPerWidth};
}

long double responseModelValue(const ResponseModel& model, const long double* parameters, int curve,
                               long double time) {
    const int n = workspace.componentCount;
    const GaussianResponse response = curveResponse(model, curve);
    long double columns[kMaxComponents + 1];
    FloatingPointFaults faults = 0;
    for (int k = 1; k <= n; ++k) {
        const ResponseValues values =
            responseAt(decayRate(parameters[rateIndex(k)]), response, time);
        columns[k] = values.value;
        faults |= values.faults;
    }
    long double sum =
        exponentialSum(parameters + offsetIndex(curve), n, [&](int k) { return columns[k]; });
    if (model.step) {
        const ResponseValues step = responseAt(0.0L, response, time);
        faults |= step.faults;
        sum = sum + model.stepAmplitude[curve] * step.value;
    }
    if (faults != 0)
        std::feraiseexcept(faults);
    return sum;
}

long double responseSumOfSquares() {
    long double subtotals[kMaxCurves + 1] = {};
    auto curveSum = [&subtotals](int curve) {
        long double sum = 0.0L;
        const Curve& data = workspace.curves[curve];
        for (int i = 1; i <= workspace.pointCount[curve]; ++i) {
            const long double r =
                static_cast<long double>(data.values[i]) -
                responseModelValue(responseModel, workspace.ParameterVector, curve,
                                   static_cast<long double>(data.times[i]));
            sum = sum + r * r;
        }
        subtotals[curve] = sum;
    };
    const FloatingPointFaults faults = parallelFor(1, workspace.curveCount, curveSum);
    long double total = 0.0L;
    for (int c = 1; c <= workspace.curveCount; ++c)
        total = total + subtotals[c];
    if (faults != 0)
        std::feraiseexcept(faults);
    return total;
}

int responseFittedParameterCount() {
    return fittedParameterCount() + fittedResponseParameterCount(responseModel) +
           (responseModel.step ? workspace.curveCount : 0);
}

}  // namespace quorvane
