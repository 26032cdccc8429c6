// The judge of the extended exponential: e^x correctly rounded by MPFR,
// independently of the program's own accurate path, with the arguments
// the checks feed it (random ones weighted towards the fit's, and searched
// arguments whose e^x lies close to a midpoint between two extended
// numbers). Used by extended_exp_test (10^6 arguments) and by the on-demand
// verification extended_exp_verify (scripts/verify_exp.sh).
#pragma once

#include <cstdint>
#include <random>
#include <vector>

namespace quorvane::testing {

// e^x rounded to nearest even in the extended format (64-bit significand,
// exponents down to the subnormal 2^-16445, +inf above), NaN for NaN.
long double oracleExp(long double argument);

// Whether a and b have the same 80 bits (NaNs: whether both are NaN).
bool sameExtended(long double a, long double b);

// Random arguments: a mixture over the whole range of the extended format
// weighted towards the fit's arguments (large negative ones, the range
// [-45, 16] and the neighbourhood of 0), with the subnormal and overflow
// edges, the reduction's interval ends and random encodings (NaN, inf,
// subnormal arguments) mixed in.
class ArgumentSampler {
  public:
    explicit ArgumentSampler(std::uint64_t seed) : generator_(seed) {}
    long double next();

  private:
    long double uniform(long double from, long double to);
    long double logUniform(int lowestPower, int highestPower);  // 2^lowest..2^highest
    long double randomEncoding();
    std::mt19937_64 generator_;
};

// An argument whose e^x is a normal extended number within `distance`
// units in the last place of a midpoint (the exact distance beside it).
struct HardCase {
    long double argument;
    double distance;
};

// Searches `steps` consecutive extended arguments from `start` (all in one
// binade, their e^x normal) for exponentials within `threshold` units in
// the last place of a midpoint: e^x over the run is a cubic in the step
// number to well below 2^-60 units, stepped with exact 128-bit differences
// from a start computed by MPFR at 256 bits; each candidate found is
// confirmed with MPFR. Runs that cross a binade of e^x are cut short.
std::vector<HardCase> searchHardCases(long double start, std::int64_t steps, double threshold);

// Arguments x = k 2^-e near 0 whose e^x = 1 + x + x^2/2 + ... lies within
// about x^2 of a midpoint next to 1: the hardest cases there are.
std::vector<long double> hardCasesNearZero();

}  // namespace quorvane::testing
