// The iterations of Start with the variable-projection method.
//
// Only the n log-rates are iterated, by the trust-region Levenberg–Marquardt
// of trust_region_fit.h on the projected residuals of curve_projection.h:
// at every point the offsets and amplitudes of every curve are the exact
// linear least-squares solution. The fit starts from the log-rates that
// Start stored from the boxes (ParameterVector[rateIndex(1..n)]); the
// offsets and amplitudes there are not read. It stops at the first
// convergence test that holds (relative fall of the sum of squares,
// relative step, scaled gradient; see trust_region_fit.h) or after
// iterationCount iterations. Each iteration evaluates one trial point; a
// trial that faults (an overflow or an invalid value), leaves the box of
// time_constant_range.h or loses a component from its basis (see
// variable_projection.cpp) is rejected and the trust region shrinks, so a
// bad trial never ends the fit.
//
// ParameterVector holds the current point from the start on: the start's
// coefficients before the first iteration, then every accepted point's
// coefficients and log-rates (entries 1..(n+1)C and rateIndex(1..n)). Nothing
// else of the workspace is written (lambda, normalMatrix, stepVector,
// gradientVector and trialVector are the classic method's). With
// iterationCount <= 0 the coefficients are solved at the typed time
// constants and nothing is iterated.
#pragma once

#include <functional>
#include <string>

#include "fit/convergence_verdict.h"
#include "lsq/trust_region_fit.h"

namespace quorvane {

struct ProjectionIterationHooks {
    // At the start of iteration i, with the sum of squares of the current
    // point; may throw to end the fit.
    std::function<void(int iteration, long double sumOfSquares)> beginIteration;
    std::function<void(int iteration)> endIteration;
};

// A trust-region problem whose iterations report to the hooks.
class HookedProblem : public TrustRegionProblem {
  public:
    explicit HookedProblem(const ProjectionIterationHooks& hooks) : hooks_(hooks) {}
    void beginIteration(int iteration, long double sumOfSquares) override;
    void endIteration(int iteration) override;

  private:
    const ProjectionIterationHooks& hooks_;
};

// Throws QuorvaneError when the start point itself faults. Without the
// instrument response, the start is first moved into the data's times and
// the trials kept in their box (time_constant_range.h), and components that
// merged are split again (merged_components.h; the outcome is that of the
// fit kept). startNote, when given, receives the note of what was moved (""
// when nothing was); merged what was split and what stayed merged;
// recentSums the sums at the starts of the last iterations of the fit kept.
TrustRegionOutcome fitByVariableProjection(int iterationCount,
                                           const ProjectionIterationHooks& hooks,
                                           std::string* startNote = nullptr,
                                           MergedComponents* merged = nullptr,
                                           RecentSums* recentSums = nullptr);

}  // namespace quorvane
