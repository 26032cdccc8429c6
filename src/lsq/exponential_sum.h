// The exponential-sum model's order of operations, written once for every
// evaluation of it: the model itself (fit/model.cpp), the curve passes of
// the normal equations and of the sums of squares (curve_subtotals.cpp,
// exponential_batch.cpp) and the variable projection (fit/). Because all of
// them form the model with these functions, they give the same bits for the
// same numbers, which the bit-for-bit equality of the two engines' sums and
// of the build with its direct evaluation rests on.
//
// For curve c at time x, with its block of the parameter vector (offset Y0,
// amplitudes A_1..A_n) and the shared log-rates k_1..k_n, all extended:
//   w_j = extendedExp(k_j)                  the rate 1/t_j
//   E_j = extendedExp((-w_j) * x)           (the time widened exactly to extended)
//   y   = Y0 + A_1 E_1, then y = y + A_j E_j for j = 2..n      (y = Y0 for n = 0)
// Negation is exact and multiplication commutative, so (-w_j) x is also
// (-x) w_j. The exponential is correctly rounded, so extendedExpBlock of
// the same arguments gives the same E_j.
#pragma once

#include "data/extended_exp.h"

namespace quorvane {

// w = exp(k), the rate of a log-rate k.
inline long double decayRate(long double logRate) {
    return extendedExp(logRate);
}

// The argument (-w) x of E = exp(-w x).
inline long double decayArgument(long double rate, long double time) {
    return -rate * time;
}

// y = Y0 + A_1 E_1 + ... + A_n E_n in the order above. coefficients[0] is
// Y0 and coefficients[j] A_j (a curve's block, from its offset on);
// decay(j) gives E_j, from wherever the caller keeps it. (A caller that
// loops over points keeps the coefficients in an array of its own, which
// lets the compiler hold them in registers.)
template <class Decay>
inline long double exponentialSum(const long double* coefficients, int n, Decay decay) {
    long double sum = coefficients[0];
    for (int j = 1; j <= n; ++j)
        sum = sum + coefficients[j] * decay(j);
    return sum;
}

}  // namespace quorvane
