#include "fit/variable_projection.h"

#include <cfenv>
#include <memory>

#include "data/floating_point.h"
#include "fit/curve_projection.h"
#include "fit/merged_components.h"
#include "fit/response_fit.h"
#include "fit/response_model.h"
#include "fit/time_constant_range.h"

namespace quorvane {

namespace {

// x (0-based, n entries) as log-rates (1-based).
void toLogRates(const long double* x, int n, long double* logRates) {
    for (int j = 1; j <= n; ++j)
        logRates[j] = x[j - 1];
}

// A trial outside the box of trialLogRateBounds, or one whose basis loses a
// component that the current point's has (a column that underflowed to 0 at
// every time, became a constant, or met another rate), is rejected like a
// faulting one: the trust region shrinks. A start that has lost components
// already is fitted as it is; they keep amplitude 0 and the verdict names
// them.
class ProjectionProblem final : public HookedProblem {
  public:
    ProjectionProblem(const ProjectionIterationHooks& hooks, const LogRateBounds& bounds)
        : HookedProblem(hooks), bounds_(bounds) {}

    void evaluate(const long double* x, LeastSquaresPoint& point) override {
        const int n = workspace.componentCount;
        point.valid = false;
        if (!bounds_.holds(x, n))
            return;
        toLogRates(x, n, trialRates_);
        projectCurves(trialRates_, nullptr, trial_);
        point.valid = trial_.valid && !(started_ && losesComponent(n));
        point.sumOfSquares = trial_.sumOfSquares;
        point.system = trial_.system;
    }

    FloatingPointFaults lastFaults() const { return trial_.faults; }

    // S at the point accepted last.
    long double acceptedSum() const { return acceptedSum_; }

    void acceptLastPoint(const long double*) override {
        storeProjection(trial_, trialRates_);
        acceptedSum_ = trial_.sumOfSquares;
        for (int j = 1; j <= workspace.componentCount; ++j)
            lost_[j] = trial_.indistinguishable[j];
        started_ = true;
    }

  private:
    bool losesComponent(int n) const {
        for (int j = 1; j <= n; ++j)
            if (trial_.indistinguishable[j] && !lost_[j])
                return true;
        return false;
    }

    LogRateBounds bounds_;
    long double trialRates_[kMaxComponents + 1] = {};
    // Before the start is accepted, nothing is lost yet.
    bool started_ = false;
    bool lost_[kMaxComponents + 1] = {};
    long double acceptedSum_ = 0.0L;
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

namespace {

// One fit from logRates[1..n] with the trials in `bounds`. A start that
// faults leaves the workspace as it was and returns false with its faults.
// The hooks see every iteration; result.recentSums records the sums at
// their starts.
bool fitFrom(const long double* logRates, const LogRateBounds& bounds, int iterationCount,
             const ProjectionIterationHooks& hooks, RefitResult& result,
             FloatingPointFaults& startFaults) {
    const int n = workspace.componentCount;
    ProjectionIterationHooks recording;
    recording.beginIteration = [&hooks, &result](int iteration, long double sumOfSquares) {
        result.recentSums.record(sumOfSquares);
        if (hooks.beginIteration)
            hooks.beginIteration(iteration, sumOfSquares);
    };
    recording.endIteration = hooks.endIteration;
    const auto problem = std::make_unique<ProjectionProblem>(recording, bounds);
    LeastSquaresPoint start;
    problem->evaluate(logRates + 1, start);
    if (!start.valid) {
        startFaults = problem->lastFaults();
        return false;
    }
    problem->acceptLastPoint(logRates + 1);

    long double x[kMaxComponents];
    for (int j = 0; j < n; ++j)
        x[j] = logRates[j + 1];
    result.outcome = runTrustRegionFit(*problem, start, x, iterationCount);
    result.sumOfSquares = problem->acceptedSum();
    return true;
}

}  // namespace

TrustRegionOutcome fitByVariableProjection(int iterationCount,
                                           const ProjectionIterationHooks& hooks,
                                           std::string* startNote, MergedComponents* merged,
                                           RecentSums* recentSums) {
    if (responseInUse()) {
        ProjectionIterationHooks recording = hooks;
        recording.beginIteration = [&hooks, recentSums](int iteration, long double sumOfSquares) {
            if (recentSums != nullptr)
                recentSums->record(sumOfSquares);
            if (hooks.beginIteration)
                hooks.beginIteration(iteration, sumOfSquares);
        };
        return fitWithResponse(iterationCount, recording);
    }
    const int n = workspace.componentCount;
    long double logRates[kMaxComponents + 1] = {};
    for (int j = 1; j <= n; ++j)
        logRates[j] = workspace.ParameterVector[rateIndex(j)];
    const TimeConstantRange range = dataTimeConstantRange();
    const std::string note = moveStartIntoRange(range, n, logRates);
    if (startNote != nullptr)
        *startNote = note;

    const LogRateBounds bounds = trialLogRateBounds(range, n, logRates);
    RefitResult fitted;
    FloatingPointFaults faults = 0;
    if (!fitFrom(logRates, bounds, iterationCount, hooks, fitted, faults)) {
        // A non-finite sum comes with a fault; the overflow stands in should
        // none have been seen.
        throwIfFloatingPointFault(faults != 0 ? faults : FE_OVERFLOW);
    }
    if (iterationCount <= 0) {
        if (recentSums != nullptr)
            *recentSums = fitted.recentSums;
        return fitted.outcome;
    }

    // Nothing is built for the splitting (it would allocate) unless a pair
    // merged.
    long double fittedRates[kMaxComponents + 1] = {};
    for (int j = 1; j <= n; ++j)
        fittedRates[j] = workspace.ParameterVector[rateIndex(j)];
    ComponentPair pairs[kMaxComponents];
    if (findMergedPairs(fittedRates, n, pairs) == 0) {
        if (merged != nullptr)
            *merged = MergedComponents{};
        if (recentSums != nullptr)
            *recentSums = fitted.recentSums;
        return fitted.outcome;
    }

    // The refits process events like the fit but leave the progress bar
    // where the fit left it.
    ProjectionIterationHooks refitHooks;
    refitHooks.beginIteration = hooks.beginIteration;
    const Refit refit = [&](const long double* start, RefitResult& result) {
        FloatingPointFaults ignored = 0;
        return bounds.holds(start + 1, n) &&
               fitFrom(start, bounds, iterationCount, refitHooks, result, ignored);
    };
    MergedComponents found;
    splitMergedComponents(refit, fitted, found);
    if (merged != nullptr)
        *merged = found;
    if (recentSums != nullptr)
        *recentSums = fitted.recentSums;
    return fitted.outcome;
}

}  // namespace quorvane
