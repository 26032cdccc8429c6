#include "fit/model.h"

#include "data/extended_exp.h"
#include "data/workspace.h"

namespace quorvane {

namespace {

long double evaluate(const long double* parameters, int curve, long double time) {
    const int n = workspace.componentCount;
    const int rateBase = (n + 1) * workspace.curveCount;
    const int base = (curve - 1) * (n + 1);
    long double exponentials[kMaxComponents + 1];
    for (int k = 1; k <= n; ++k) {
        const long double rate = extendedExp(parameters[rateBase + k]);
        exponentials[k] = extendedExp(-rate * time);
    }
    // No component (before the first Start): the offset alone.
    if (n < 1)
        return parameters[base + 1];
    long double sum = parameters[base + 1] + parameters[base + 2] * exponentials[1];
    for (int k = 2; k <= n; ++k)
        sum = sum + parameters[base + 1 + k] * exponentials[k];
    return sum;
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
