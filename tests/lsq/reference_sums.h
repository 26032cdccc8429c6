// The two sums of squared residuals written out literally: one model call
// per point (rates recomputed at every call), per-curve subtotals added in
// curve order. The reference that the cached and parallel sums must equal
// bit for bit; nothing here is meant to be fast.
#pragma once

namespace quorvane::testing {

// Sum over ParameterVector; no side effects.
long double referenceSumSquaredResiduals();

// trialVector[m] = ParameterVector[m] + stepVector[m], m = 1..N, then the
// sum over trialVector.
long double referenceTrialSumSquaredResiduals();

}  // namespace quorvane::testing
