#include "fit/variable_projection.h"

#include <cfenv>
#include <memory>

#include "data/floating_point.h"
#include "fit/curve_projection.h"
#include "fit/response_fit.h"
#include "fit/response_model.h"

namespace quorvane {

namespace {

// x (0-based, n entries) as log-rates (1-based).
void toLogRates(const long double* x, int n, long double* logRates) {
    for (int j = 1; j <= n; ++j)
        logRates[j] = x[j - 1];
}

class ProjectionProblem final : public HookedProblem {
  public:
    explicit ProjectionProblem(const ProjectionIterationHooks& hooks) : HookedProblem(hooks) {}

    void evaluate(const long double* x, LeastSquaresPoint& point) override {
        toLogRates(x, workspace.componentCount, trialRates_);
        projectCurves(trialRates_, nullptr, trial_);
        point.valid = trial_.valid;
        point.sumOfSquares = trial_.sumOfSquares;
        point.system = trial_.system;
    }

    FloatingPointFaults lastFaults() const { return trial_.faults; }

    void acceptLastPoint(const long double*) override { storeProjection(trial_, trialRates_); }

  private:
    long double trialRates_[kMaxComponents + 1] = {};
    Projection trial_;
};

}  // namespace

void HookedProblem::beginIteration(int iteration, long double sumOfSquares) {
    if (hooks_.beginIteration)
        hooks_.beginIteration(iteration, sumOfSquares);
}

void HookedProblem::endIteration(int iteration) {
    if (hooks_.endIteration)
        hooks_.endIteration(iteration);
}

TrustRegionOutcome fitByVariableProjection(int iterationCount,
                                           const ProjectionIterationHooks& hooks) {
    if (responseInUse())
        return fitWithResponse(iterationCount, hooks);
    const int n = workspace.componentCount;
    long double logRates[kMaxComponents + 1] = {};
    for (int j = 1; j <= n; ++j)
        logRates[j] = workspace.ParameterVector[rateIndex(j)];

    const auto problem = std::make_unique<ProjectionProblem>(hooks);
    LeastSquaresPoint start;
    problem->evaluate(logRates + 1, start);
    if (!start.valid) {
        // A non-finite sum comes with a fault; the overflow stands in should
        // none have been seen.
        const FloatingPointFaults faults = problem->lastFaults();
        throwIfFloatingPointFault(faults != 0 ? faults : FE_OVERFLOW);
    }
    problem->acceptLastPoint(logRates + 1);

    long double x[kMaxComponents];
    for (int j = 0; j < n; ++j)
        x[j] = logRates[j + 1];
    return runTrustRegionFit(*problem, start, x, iterationCount);
}

}  // namespace quorvane
