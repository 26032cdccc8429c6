// The exponential-sum model of the global fit. For curve c at time t, with
// n = componentCount, b = offsetIndex(c) and parameters V:
//   rate_k = exp(V[rateIndex(k)]),  E_k = exp(-rate_k * t)        k = 1..n
//   y = V[b] + V[b+1]*E_1, then y = y + V[b+k]*E_k for k = 2..n
// all in extended precision, in the order of operations of
// lsq/exponential_sum.h (which the normal equations and the variable
// projection share), rates recomputed at every call. With componentCount 0
// (no Start yet) the value is the offset V[b] alone. The caller guarantees
// componentCount <= 9 and indices in range. Floating-point faults (an
// overflowing exponential) raise the status flags; the caller checks them
// (floating_point.h). While responseInUse() (the last Start fitted an
// instrument response), the value is that model's (response_model.h).
#pragma once

namespace quorvane {

// On ParameterVector at the stored time of point `point` of curve `curve`.
long double evaluateModelAtPoint(int curve, int point);
// The same on trialVector.
long double evaluateTrialModelAtPoint(int curve, int point);
// On ParameterVector at any extended time.
long double evaluateModelAt(int curve, long double time);

}  // namespace quorvane
