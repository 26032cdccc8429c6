// The complementary error function and its scaled form in extended
// precision:
//   extendedErfc(x)  = erfc(x) = (2/sqrt(pi)) * integral of e^(-s^2) over s > x
//   extendedErfcx(x) = erfcx(x) = e^(x^2) erfc(x)
// written from +, -, *, / and extendedExp only, so that, like extendedExp,
// every result is the same on every x86-64 machine whatever its C library:
// the extended operations are exact roundings, extendedExp is correctly
// rounded, and nothing else (no C-library erf, erfc or exp, no MPFR) enters.
//
// Accuracy: at most 2 units in the last place (ulps; of the subnormal grid
// for subnormal results) for every argument. The analysis below bounds the
// error by
//   erfc(x):  1.63 ulp for x >= 0, 1.07 for x < 0
//   erfcx(x): 0.63 ulp for 0 <= x < 2^16381, 1.3 beyond, 1.63 for x < 0.
// The largest errors measured against MPFR (tests/data): on 10^6 arguments
// weighted to the response basis's (CI) erfc 1.437 (x >= 0), 0.750 (x < 0),
// erfcx 0.539 (0 <= x < 2^16381), 0.931 (beyond), 1.493 (x < 0); on 10^8
// (scripts/verify_erfc.sh) erfc 1.489 and 0.763, erfcx 0.548, 0.931 and
// 1.508, with no fault other than those below.
//
// The arguments that matter: the response basis (fit/response_basis.h)
// takes erfcx(z) for z > 0 and erfc(z) for z <= 0, with
// z = (mu + k sigma^2 - t)/(sigma sqrt 2) from about -10^6 to 10^6 (k sigma
// up to 10^6, |t - mu| up to 10^4 sigma), mostly within [-7, 16]. erfc(x)
// underflows from x = 106.744 on (below half the smallest subnormal,
// 2^-16446), is subnormal from 106.536, and is 2 to the last bit below
// -6.5; erfcx(x) decays like 1/(x sqrt(pi)) and grows like 2 e^(x^2) below
// 0, overflowing below -106.5637.
//
// Special values and faults (on the calling thread's flags, the x87 unit),
// as extendedExp has them:
//   NaN (and encodings without integer bit) -> NaN, an invalid operation
//   erfcx(x), x < -106.5637 -> +inf, an overflow (FE_OVERFLOW)
//   erfc(+inf) = +0, erfc(-inf) = 2, erfcx(+inf) = +0, erfcx(-inf) = +inf,
//   without fault; underflow (erfc beyond 106.5, erfcx beyond 2^16381) is
//   silent.
//
// Method. erfc_kernel.h gives R = erfcx(|x|) as an unrounded pair with a
// relative error below 2^-67 (0.125 ulp at most). Then:
// - erfcx(x), x >= 0: R rounded once: at most 0.5 + 0.125 ulp. From 2^16000
//   on, (1/sqrt(pi))/x: the quotient of the rounded constant corrected by
//   its exact remainder (the same bound) below 2^16381, the quotient alone
//   beyond (the constant's 2^-64.34 adds 0.79 ulp).
// - erfc(x), x >= 0: e^(-x^2) R. x^2 = s + r exactly (twoSquare), E =
//   extendedExp(-s), e^(-x^2) = E (1 - r) to 2^-100 (|r| < 2^-50). E * R's
//   high part is formed exactly, the rest added, the sum rounded once. E is
//   correctly rounded, off by at most 2^-64 of itself, which is at most one
//   ulp of the result: 0.5 + 1 + 0.125 ulp. From x = 106 on, where e^(-x^2)
//   leaves the normal numbers, the result is formed 2^256 times larger
//   (E = extendedExp(-(s - 128)), s - 128 exact, times e^-128 2^256 as a
//   pair) and rounded once, directly to the subnormal grid below 2^-16382:
//   the same bound on that grid.
// - erfc(x), x < 0: 2 - erfc(|x|), erfc(|x|) <= 1 formed as above as a
//   pair, off by at most 1.125 * 2^-64 of itself; the result lies in [1, 2],
//   whose ulp is 2^-63: 0.5 + 0.57 ulp. Below -7 it is 2.
// - erfcx(x), x < 0: 2 e^(x^2) - erfcx(|x|), e^(x^2) = E (1 + r), E =
//   extendedExp(s). The result is at least E (erfcx(|x|) <= 1 <= E), so E's
//   rounding, half an ulp of 2E, is at most one ulp of the result:
//   0.5 + 1 + 0.125 ulp. Below -7 erfcx(|x|) < 2^-75 of the result and is
//   left out; an E that overflows gives +inf with extendedExp's overflow, a
//   2E that overflows raises it in the doubling.
#pragma once

namespace quorvane {

long double extendedErfc(long double argument);
long double extendedErfcx(long double argument);

}  // namespace quorvane
