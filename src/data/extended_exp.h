// The exponential of the fit, in extended precision (64-bit significand,
// round to nearest even): extendedExp(x) is e^x correctly rounded, for every
// extended x. Correct rounding makes the result a property of x alone: it is
// the same on every x86-64 machine, whatever its C library, its x87 microcode
// or its vector units, and whichever of the evaluation paths below runs.
//
// Special values and faults (raised on the calling thread's flags, x87 unit):
//   NaN          -> NaN, an invalid operation (FE_INVALID); so is an
//                   encoding without integer bit, which no arithmetic makes
//   x > ln(max)  -> +inf, an overflow (FE_OVERFLOW); ln(max) ~ 11356.5234
//   +inf         -> +inf, no fault;  -inf -> +0
//   underflow    -> the correctly rounded subnormal or +0, no fault
//
// Method. Write N = round(x * 256/ln 2) = 256 q + j (0 <= j < 256) and
// r = x - N ln2/256, |r| <= ln2/512 (1 + 2^-28) ~ 2^-9.53; then
//   e^x = 2^q * 2^(j/256) * e^r.
// Error analysis, relative to the result:
// 1. x is split exactly into the double-double xh + xl (xh its leading 53
//    bits). ln2/256 = L1 + L2 + L3 (+ 2^-128.5) with L1, L2 of 29 significant
//    bits: N*L1 and N*L2 are exact for |N| < 2^23, and r = rh + rl carries an
//    absolute error below 2^-103 (the tail of ln 2 times N, the rounding of
//    N*L3 < 2^-52).
// 2. 2^(j/256) = Th + Tl from a table, error below 2^-106.
// 3. e^r - 1 = P = r + r^2 G, G = 1/2 + r/6 + r^2 Q(r), Q = 1/24 + ... +
//    r^4/40320 evaluated in double: Taylor truncation below 2^-104, Q and its
//    coefficients off by at most 2^-57 (times r^4 < 2^-38). r^2, r*(1/6) (1/6
//    in double-double), r^2 * G and T * P are formed with exact products
//    (fused multiply-add, or Dekker's splitting); what is rounded or left out
//    otherwise are terms of at most 2^-41: a dozen errors of at most
//    2^-94.5 each.
// 4. Altogether Y = Yh + Yl = T + T P approximates e^x / 2^q with an error
//    below 2^-91 of it (the largest seen over 2*10^6 arguments: 2^-92.5).
// Rounding test: scaled to units in the last place of the result (the grid
// of the extended numbers, subnormal grid included), Y becomes V < 2^64,
// and the exact value lies within 2^-88 V < 2^-24 of it. The result is the
// integer nearest to V unless V lies within 2^-23 of a half-integer; those
// arguments (about one in 2^22) are left to MPFR, which rounds e^x
// correctly however close it lies to a midpoint. The exact e^x is never a
// midpoint itself: e^x is transcendental for every rational x other than 0.
//
// Subnormal results are rounded once, directly to the subnormal grid (never
// to 64 bits first). Arguments below -11400 give +0 at once (e^x is then
// below half the smallest subnormal 2^-16445); |x| < 2^-70 gives 1.
//
// The verification against MPFR (at least 10^9 arguments and searched
// near-midpoint cases) is scripts/verify_exp.sh.
#pragma once

#include "data/floating_point.h"

namespace quorvane {

// Below this argument the exponential is +0.
inline constexpr long double kCertainUnderflowBound = -11400.0L;

long double extendedExp(long double argument);

// The exponentials of a block of arguments at once:
// results[i] = extendedExp(arguments[i]) for i = 0..count-1, the same bits,
// evaluated with the widest vector unit of the processor (AVX-512, AVX2, or
// one at a time). Returns the faults that the `count` scalar calls would
// raise (FE_OVERFLOW for a finite argument whose exponential overflows,
// FE_INVALID for a NaN argument) and leaves the calling thread's FE_INVALID,
// FE_DIVBYZERO and FE_OVERFLOW flags as they were, so that a caller can
// charge the faults to whichever results use these exponentials.
// `arguments` and `results` may be the same array.
FloatingPointFaults extendedExpBlock(const long double* arguments, long double* results, int count);

}  // namespace quorvane
