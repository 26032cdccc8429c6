// The judge of the extended erfc and erfcx: their exact values from MPFR
// at 128 bits, and the error of a result in units in the last place, with
// the arguments the checks feed them (random ones weighted towards the
// response basis's). Used by extended_erfc_test (10^6 arguments) and by the
// on-demand verification extended_erfc_verify (scripts/verify_erfc.sh).
//
// MPFR's erfc takes up to a millisecond for 3 < x < 17; there erfcx(x) is
// the Taylor series about the nearest of the points k/64, whose value
// MPFR's erfc gives once (times e^(x^2)) and whose other coefficients
// follow from erfcx' = 2x erfcx - 2/sqrt(pi):
//   (n+1) c_(n+1) = 2 x_k c_n + 2 c_(n-1),  c_1 = 2 x_k c_0 - 2/sqrt(pi),
// summed at 128 bits until the terms fall below 2^-110 of the first (the
// errors of the recurrence grow like the Taylor coefficients of e^(2 x_k d),
// which the sum over |d| <= 1/128 keeps below a factor 2). Elsewhere MPFR's
// erfc is used for every argument; for x > 2^12 (where MPFR's erfc would
// soon underflow) erfcx is its asymptotic series
// 1/(x sqrt(pi)) (1 - 1/(2x^2) + 3/(4x^4) - ... - 945/(32x^10)). Negative
// arguments: erfc(x) = 2 - erfc(-x), erfcx(x) = 2 e^(x^2) - erfcx(-x).
#pragma once

#include <cstdint>
#include <random>

namespace quorvane::testing {

// The errors of erfc(x) and erfcx(x) as computed: |computed - f(x)| in
// units in the last place of the extended format at the exact f(x)
// (2^(floor(log2 f(x)) - 63), at least 2^-16445, the subnormal grid). An
// f(x) beyond the largest extended number (one that rounds to +inf) needs
// +inf. 0 when computed and f(x) are both NaN or the same infinity (or
// the encoding of x is invalid and computed is NaN); +inf when exactly one
// of them is NaN or infinite.
struct ErrorFunctionErrors {
    double erfc;
    double erfcx;
};
ErrorFunctionErrors ulpErrors(long double argument, long double erfc, long double erfcx);

// Frees MPFR's caches of the calling thread (constants such as pi), which
// a thread that used ulpErrors would otherwise leave behind at its end.
void releaseOracleCaches();

// Random arguments: a mixture weighted towards the response basis's (the
// piecewise polynomials in [-7, 16], the tail up to erfc's underflow, the
// region where erfc's results are subnormal, erfcx's growth and overflow
// below 0), with the ends of the polynomial pieces, tiny and huge
// magnitudes and random encodings (NaN, infinities, subnormals) mixed in.
class ErfcArgumentSampler {
  public:
    explicit ErfcArgumentSampler(std::uint64_t seed) : generator_(seed) {}
    long double next();

  private:
    long double uniform(long double from, long double to);
    long double logUniform(int lowestPower, int highestPower);  // 2^lowest..2^highest
    long double pieceEnd();
    std::mt19937_64 generator_;
};

}  // namespace quorvane::testing
