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

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>

#include "data/exponential_oracle.h"

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

// The error bounds extended_erfc.h states, on ranges of arguments: a range
// ends below `below` and begins where the one before it ends.
struct ErfcBounds {
    long double below;
    double erfc;
    double erfcx;
    const char* name;
};
inline constexpr ErfcBounds kErfcBounds[] = {
    {0.0L, 1.07, 1.63, "x < 0"},
    {0x1p16381L, 1.63, 0.63, "0 <= x < 2^16381"},
    {__builtin_infl(), 0.0, 1.3, "x >= 2^16381"},
};
inline constexpr int kErfcRangeCount = sizeof kErfcBounds / sizeof kErfcBounds[0];

// What checking extendedErfc and extendedErfcx on arguments found: the
// largest error of each function on each range, and the results whose
// faults are not those of extended_erfc.h (an invalid operation for an
// invalid argument, an overflow for a finite argument whose erfcx is +inf,
// nothing else).
struct ErfcFindings {
    double largest[kErfcRangeCount][2] = {};  // [range][erfc, erfcx]
    long double worstArgument[kErfcRangeCount][2] = {};
    long long checked = 0;
    long long unexpectedFaults = 0;
    long double faultyArgument = 0.0L;

    void merge(const ErfcFindings& other);
    bool withinBounds() const;
    // One line per function and range: the largest error and where.
    void print() const;
};

// Checks arguments[0..count-1] one at a time; leaves the thread's flags
// clear and its MPFR caches freed.
void checkErfc(const long double* arguments, std::size_t count, ErfcFindings& findings);

// An argument in a message: printf cannot print an invalid encoding.
std::string describeArgument(long double argument);

// Frees MPFR's caches of the calling thread (constants such as pi), which
// a thread that used ulpErrors would otherwise leave behind at its end.
void releaseOracleCaches();

// Random arguments: a mixture weighted towards the response basis's (the
// piecewise polynomials in [-7, 16], the tail up to erfc's underflow, the
// region where erfc's results are subnormal, erfcx's growth and overflow
// below 0), with the ends of the polynomial pieces, tiny and huge
// magnitudes, and the exponential's random arguments (exponential_oracle.h:
// all magnitudes, NaN, infinities, subnormals, invalid encodings) mixed in.
class ErfcArgumentSampler {
  public:
    explicit ErfcArgumentSampler(std::uint64_t seed) : generator_(seed), exponentials_(seed) {}
    long double next();

  private:
    long double between(long double from, long double to);
    long double scaledBetween(int fromPower, int toPower);  // magnitudes 2^from..2^to
    long double pieceEnd();
    std::mt19937_64 generator_;
    ArgumentSampler exponentials_;
};

}  // namespace quorvane::testing
