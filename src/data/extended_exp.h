// The exponential of the fit, in extended precision (64-bit significand,
// round to nearest even): extendedExp(x) is e^x correctly rounded, for every
// extended x. Correct rounding makes the result a property of x alone: it is
// the same on every x86-64 machine, whatever its C library, its x87 microcode
// or its vector units, and whichever of the evaluation paths below runs.
//
// Special values and faults (raised on the calling thread's flags, x87 unit):
//   NaN          -> NaN, an invalid operation (FE_INVALID)
//   x > ln(max)  -> +inf, an overflow (FE_OVERFLOW); ln(max) ~ 11356.5234
//   +inf         -> +inf, no fault;  -inf -> +0
//   underflow    -> the correctly rounded subnormal or +0, no fault
//
// Method. Write N = round(x * 256/ln 2) = 256 q + j (0 <= j < 256) and
// r = x - N ln2/256, |r| <= ln2/512 ~ 2^-9.53; then
//   e^x = 2^q * 2^(j/256) * e^r.
// 1. x is split exactly into a double-double xh + xl (xh its leading 53 bits).
//    ln2/256 = L1 + L2 + L3 with L1, L2 of 29 significant bits, so that N*L1
//    and N*L2 are exact for |N| < 2^23; r = rh + rl in double-double with an
//    absolute error below 2^-98 (the neglected tail of ln 2 and two roundings
//    of magnitude 2^-47 * 2^-53).
// 2. 2^(j/256) = Th + Tl from a table, relative error below 2^-106.
// 3. e^r - 1 = r + r^2 (1/2 + r/6 + r^2 Q(r)), Q the Taylor polynomial of
//    degree 4 (1/24 ... 1/40320) evaluated in double; truncation below 2^-104,
//    the rounding of Q and its coefficients below 2^-57 (times r^4 ~ 2^-38).
//    r^2, r/6 (1/6 held in double-double), r^2 (...) and T (1 + P) are formed
//    with exact products; every rounding left is of a term at most 2^-41 in
//    size (at most 2^-94), about a dozen of them.
// 4. Altogether Y = Yh + Yl approximates e^x / 2^q = 2^(j/256) e^r with a
//    relative error below 2^-91; the rounding test below uses e = 2^-88.
// Rounding test: scaled to units of the last place of the result, Y becomes
// V = I + F (I an integer, the grid of the extended result, subnormal grid
// included); the result is I + round(F) unless F lies within 2^-23 of a
// half-integer, where the exact e^x could lie on the other side of a
// midpoint (e * V < 2^-24). Those arguments (about one in 2^23) are
// evaluated by MPFR, correctly rounded. The exact e^x is never itself a
// midpoint (x = 0 is the only extended x with an algebraic e^x).
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
