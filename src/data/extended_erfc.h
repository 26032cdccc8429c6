// The complementary error function and its scaled form in extended
// precision:
//   extendedErfc(x)  = erfc(x) = (2/sqrt(pi)) * integral from x to inf of e^(-s^2) ds
//   extendedErfcx(x) = erfcx(x) = e^(x^2) erfc(x)
// written from +, -, *, /, the square root's kin (none needed) and
// extendedExp only, so that, like extendedExp, every result is the same on
// every x86-64 machine whatever its C library (the extended operations are
// IEEE-exact, and extendedExp is correctly rounded).
//
// Accuracy: at most 2 units in the last place for every argument
// (subnormal results: of the subnormal grid). The analysis below bounds the
// error by 1.55 ulp for erfc(x >= 0), 1.05 for erfc(x < 0), 0.6 for
// erfcx(x >= 0) and 1.55 for erfcx(x < 0); the largest errors measured
// against MPFR are listed at the end.
//
// The arguments that matter: the response basis (fit/response_basis.h)
// needs erfcx(z) for z > 0 and erfc(z) for z <= 0 with
// z = (mu + k sigma^2 - t)/(sigma sqrt 2), which at capacity spans about
// -10^6..10^6; erfc(x) underflows beyond x = 106.744 (below half the
// smallest subnormal, 2^-16446) and is 2 to the last bit below x = -6.5;
// erfcx(x) decays like 1/(x sqrt(pi)) and grows like 2 e^(x^2) for negative
// x, overflowing below x = -106.5637.
//
// Special values and faults (on the calling thread's flags, x87 unit), as
// extendedExp has them:
//   NaN (and encodings without integer bit) -> NaN, an invalid operation
//   erfcx(x), x < -106.5637 -> +inf, an overflow (FE_OVERFLOW)
//   erfc(+inf) = +0, erfc(-inf) = 2, erfcx(+inf) = +0, erfcx(-inf) = +inf,
//   without fault; underflow (erfc for large x, erfcx beyond 2^16381) is
//   silent.
//
// Method (erfc_kernel.h gives erfcx(|x|) as a pair high + low with a
// relative error below 2^-67.5, R below):
// - erfcx(x), x >= 0: R rounded once (x >= 2^16000: (1/sqrt pi)/x).
//   Error <= 0.5 ulp + 2^-67.5 * 2^64 ulp < 0.6 ulp.
// - erfc(x), x >= 0: e^(-x^2) R. x^2 = s + r exactly (Dekker), E =
//   extendedExp(-s), and e^(-x^2) = E (1 - r) to 2^-100 (|r| < 2^-50).
//   The product E * R.high is formed exactly, the rest added, and the sum
//   rounded once. E is correctly rounded (relative error at most 2^-64), so
//   the error is at most 0.5 ulp (the rounding) + 2^-64 * 2^64 ulp (E)
//   + 0.01 ulp < 1.55 ulp. Beyond x = 106 the result is formed 2^256 times
//   larger (with E = extendedExp(-(s - 128)) and e^-128 as a pair) and
//   rounded once, directly to the subnormal grid where it falls below
//   2^-16382: the same bound on that grid.
// - erfc(x), x < 0: 2 - erfc(|x|), erfc(|x|) <= 1 formed as above as a
//   pair; its error (at most 2^-64 of it, from E) is at most 2^-64 of the
//   result, which lies in [1, 2]: at most 1.05 ulp with the final rounding.
// - erfcx(x), x < 0: 2 e^(x^2) - erfcx(|x|), e^(x^2) = E (1 + r) with E =
//   extendedExp(s). The result is at least half of 2E (erfcx(|x|) <= 1 <
//   2E/2), so E's rounding (half an ulp of 2E) is at most one ulp of the
//   result: at most 1.55 ulp with the final rounding. An E that overflows
//   makes the result +inf with extendedExp's overflow; a 2E that overflows
//   raises it in the doubling.
//
// Measured against MPFR (the largest errors, in ulps; tests/data): see the
// figures below, for 10^6 arguments weighted to the model's (CI) and for
// 10^8 (scripts/verify_erfc.sh).
//   erfc:  CI ?     10^8 ?
//   erfcx: CI ?     10^8 ?
#pragma once

namespace quorvane {

long double extendedErfc(long double argument);
long double extendedErfcx(long double argument);

}  // namespace quorvane
