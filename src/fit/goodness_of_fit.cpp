#include "fit/goodness_of_fit.h"

#include "data/workspace.h"
#include "fit/model.h"

namespace quorvane {

namespace {

template <typename Model>
long double sumOverCurves(Model model) {
    long double total = 0.0L;
    for (int c = 1; c <= workspace.curveCount; ++c) {
        const double* values = workspace.curves[c].values;
        long double partial = 0.0L;
        for (int j = 1; j <= workspace.pointCount[c]; ++j) {
            const long double r = static_cast<long double>(values[j]) - model(c, j);
            partial = partial + r * r;
        }
        total = total + partial;
    }
    return total;
}

}  // namespace

long double sumSquaredResiduals() {
    return sumOverCurves(evaluateModelAtPoint);
}

long double trialSumSquaredResiduals() {
    const int count = fittedParameterCount();
    for (int m = 1; m <= count; ++m)
        workspace.trialVector[m] = workspace.ParameterVector[m] + workspace.stepVector[m];
    return sumOverCurves(evaluateTrialModelAtPoint);
}

}  // namespace quorvane
