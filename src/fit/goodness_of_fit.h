// The two sums of squared residuals that decide each iteration:
//   S = sum over curves c = 1..C of (sum over points j of r*r),
//   r = values[j] - model(c, j), each curve's points summed into a subtotal
//   that starts at 0, the subtotals added in curve order; all extended.
// While the last Start's instrument response is on, S is that model's
// (responseSumOfSquares, response_model.h).
#pragma once

namespace quorvane {

// S with ParameterVector. No side effects.
long double sumSquaredResiduals();

// Fills trialVector[m] = ParameterVector[m] + stepVector[m] for m = 1..N
// (N = fittedParameterCount, log-rates included), then returns S on it.
long double trialSumSquaredResiduals();

}  // namespace quorvane
