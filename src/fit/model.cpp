#include "fit/model.h"

#include "data/workspace.h"
#include "fit/response_model.h"
#include "lsq/exponential_sum.h"

namespace quorvane {

namespace {

// The rates are taken anew at every call; with componentCount 0 (before the
// first Start) the sum is the offset alone.
long double evaluate(const long double* parameters, int curve, long double time) {
    if (responseInUse())
        return responseModelValue(responseModel, parameters, curve, time);
    const int n = workspace.componentCount;
    long double decays[kMaxComponents];
    for (int k = 1; k <= n; ++k)
        decays[k - 1] = extendedExp(decayArgument(decayRate(parameters[rateIndex(k)]), time));
    return exponentialSum(parameters + offsetIndex(curve), n, [&](int k) { return decays[k - 1]; });
}

}  // namespace

long double evaluateModelAtPoint(int curve, int point) {
    return evaluate(workspace.ParameterVector, curve,
                    static_cast<long double>(workspace.curves[curve].times[point]));
}

long double evaluateTrialModelAtPoint(int curve, int point) {
    return evaluate(workspace.trialVector, curve,
                    static_cast<long double>(workspace.curves[curve].times[point]));
}

long double evaluateModelAt(int curve, long double time) {
    return evaluate(workspace.ParameterVector, curve, time);
}

}  // namespace quorvane
