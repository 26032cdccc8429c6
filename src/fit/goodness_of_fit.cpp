#include "fit/goodness_of_fit.h"

#include <cfenv>

#include "data/workspace.h"
#include "fit/response_model.h"
#include "lsq/build_results.h"
#include "lsq/curve_passes.h"

namespace quorvane {

// Both sums are formed by the per-curve passes of the least-squares core:
// per point r = values[j] - model(c, j) with the model's own order of
// operations (the rates exp(k) once per call, which equals taking them anew
// for every point), one subtotal per curve, the subtotals added in curve
// order, the curves spread over the thread pool.
//
// The current sum is, after a build on the same parameters and data, the sum
// the build formed over its own residuals (build_results.h); it equals the
// direct sum bit for bit and is handed back with the faults the direct sum
// would raise.
long double sumSquaredResiduals() {
    // With the instrument response the model is another one (response_model.h).
    if (responseInUse())
        return responseSumOfSquares();
    long double sum = 0.0L;
    FloatingPointFaults faults = 0;
    if (lookUpBuildSumOfSquares(sum, faults)) {
        if (faults != 0)
            std::feraiseexcept(faults);
        return sum;
    }
    return sumOfSquaresOn(workspace.ParameterVector);
}

long double trialSumSquaredResiduals() {
    const int count = fittedParameterCount();
    for (int m = 1; m <= count; ++m)
        workspace.trialVector[m] = workspace.ParameterVector[m] + workspace.stepVector[m];
    return sumOfSquaresOn(workspace.trialVector);
}

}  // namespace quorvane
