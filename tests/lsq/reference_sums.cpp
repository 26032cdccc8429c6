#include "reference_sums.h"

#include "data/workspace.h"
#include "fit/model.h"

namespace quorvane::testing {

namespace {

long double sumOverCurves(long double (*model)(int curve, int point)) {
    long double total = 0.0L;
    for (int c = 1; c <= workspace.curveCount; ++c) {
        long double partial = 0.0L;
        for (int j = 1; j <= workspace.pointCount[c]; ++j) {
            const long double r =
                static_cast<long double>(workspace.curves[c].values[j]) - model(c, j);
            partial = partial + r * r;
        }
        total = total + partial;
    }
    return total;
}

}  // namespace

long double referenceSumSquaredResiduals() {
    return sumOverCurves(evaluateModelAtPoint);
}

long double referenceTrialSumSquaredResiduals() {
    const int count = fittedParameterCount();
    for (int m = 1; m <= count; ++m)
        workspace.trialVector[m] = workspace.ParameterVector[m] + workspace.stepVector[m];
    return sumOverCurves(evaluateTrialModelAtPoint);
}

}  // namespace quorvane::testing
