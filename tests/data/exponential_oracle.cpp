#include "data/exponential_oracle.h"

// mpfr.h declares its intmax_t conversions only after <cstdint>.
#include <cstdint>

#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "data/exp_paths.h"

namespace quorvane::testing {

namespace {

using Fraction = unsigned __int128;  // a number mod 1, in units of 2^-128

// An MPFR number of the given precision, cleared on scope exit.
class Number {
  public:
    explicit Number(mpfr_prec_t precision) { mpfr_init2(value_, precision); }
    ~Number() { mpfr_clear(value_); }
    Number(const Number&) = delete;
    Number& operator=(const Number&) = delete;
    mpfr_ptr get() { return value_; }

  private:
    mpfr_t value_;
};

// The significand of a positive MPFR number of at most 64 bits, as an
// integer m with value = m * 2^(mpfr exponent - 64).
std::uint64_t significandOf(mpfr_ptr value) {
    Number scaled(64);
    mpfr_mul_2si(scaled.get(), value, 64 - mpfr_get_exp(value), MPFR_RNDN);  // exact
    return mpfr_get_uj(scaled.get(), MPFR_RNDN);
}

// e^x in units of the last place of its 64-bit rounding: e^x * 2^(64 - E)
// with 2^(E-1) <= e^x < 2^E, at 256 bits; E is returned.
mpfr_exp_t scaledExp(long double argument, mpfr_ptr scaled) {
    Number x(64);
    mpfr_set_ld(x.get(), argument, MPFR_RNDN);
    mpfr_exp(scaled, x.get(), MPFR_RNDN);
    const mpfr_exp_t exponent = mpfr_get_exp(scaled);
    mpfr_mul_2si(scaled, scaled, 64 - exponent, MPFR_RNDN);
    return exponent;
}

// The part of `value` above its floor, times 2^128.
Fraction fractionOf(mpfr_ptr value) {
    Number part(mpfr_get_prec(value));
    mpfr_floor(part.get(), value);
    mpfr_sub(part.get(), value, part.get(), MPFR_RNDN);  // in [0, 1), exact
    mpfr_mul_2ui(part.get(), part.get(), 64, MPFR_RNDN);
    Number whole(mpfr_get_prec(value));
    mpfr_floor(whole.get(), part.get());
    const std::uint64_t high = mpfr_get_uj(whole.get(), MPFR_RNDZ);
    mpfr_sub(part.get(), part.get(), whole.get(), MPFR_RNDN);
    mpfr_mul_2ui(part.get(), part.get(), 64, MPFR_RNDN);
    const std::uint64_t low = mpfr_get_uj(part.get(), MPFR_RNDZ);
    return (static_cast<Fraction>(high) << 64) | low;
}

// |frac(e^x in units of the last place) - 1/2|.
double distanceToMidpoint(long double argument) {
    Number scaled(256);
    scaledExp(argument, scaled.get());
    Number whole(256);
    mpfr_floor(whole.get(), scaled.get());
    mpfr_sub(scaled.get(), scaled.get(), whole.get(), MPFR_RNDN);
    mpfr_sub_d(scaled.get(), scaled.get(), 0.5, MPFR_RNDN);
    return std::fabs(mpfr_get_d(scaled.get(), MPFR_RNDN));
}

}  // namespace

long double oracleExp(long double argument) {
    if (std::isnan(argument))
        return argument;
    constexpr int kBias = 16383;
    Number x(64);
    mpfr_set_ld(x.get(), argument, MPFR_RNDN);
    // The default exponent range of MPFR holds every e^x here unrounded in
    // range: first round to 64 bits.
    Number result(64);
    mpfr_exp(result.get(), x.get(), MPFR_RNDN);
    if (mpfr_zero_p(result.get()))  // e^-inf
        return 0.0L;
    if (mpfr_inf_p(result.get()))
        return std::numeric_limits<long double>::infinity();
    mpfr_exp_t exponent = mpfr_get_exp(result.get());  // 2^(E-1) <= result < 2^E
    if (exponent - 1 > kBias)
        return std::numeric_limits<long double>::infinity();
    if (exponent - 1 >= 1 - kBias)
        return extendedFrom(significandOf(result.get()), static_cast<int>(exponent - 1 + kBias));
    // Subnormal: the grid is 2^-16445, that is E + 16445 bits in the binade
    // of the 64-bit result; one bit fewer when e^x lies in the binade below.
    mpfr_prec_t bits = exponent + 16445;
    if (bits <= 0) {
        // Below 2^-16446 (bits < 0), or 1 ulp when above 2^-16446 (bits = 0).
        if (bits < 0)
            return 0.0L;
        Number low(2);
        mpfr_exp(low.get(), x.get(), MPFR_RNDZ);
        return mpfr_cmp_si_2exp(low.get(), 1, -16446) >= 0 ? extendedFrom(1, 0) : 0.0L;
    }
    Number subnormal(bits);
    mpfr_exp(subnormal.get(), x.get(), MPFR_RNDN);
    if (mpfr_get_exp(subnormal.get()) < exponent) {
        if (bits == 1)
            return extendedFrom(1, 0);  // e^x in [2^-16446, 2^-16445): rounded up
        mpfr_set_prec(subnormal.get(), bits - 1);
        mpfr_exp(subnormal.get(), x.get(), MPFR_RNDN);
    }
    // value = m * 2^-16445 with m < 2^63, or 2^-16382 (field 1).
    Number scaled(64);
    mpfr_mul_2ui(scaled.get(), subnormal.get(), 16445, MPFR_RNDN);
    const std::uint64_t significand = mpfr_get_uj(scaled.get(), MPFR_RNDN);
    return extendedFrom(significand, static_cast<int>(significand >> 63));
}

bool sameExtended(long double a, long double b) {
    if (std::isnan(a) || std::isnan(b))
        return std::isnan(a) && std::isnan(b);
    return std::memcmp(&a, &b, 10) == 0;
}

long double ArgumentSampler::uniform(long double from, long double to) {
    const long double unit = static_cast<long double>(generator_()) * 0x1p-64L;
    return from + (to - from) * unit;
}

long double ArgumentSampler::logUniform(int lowestPower, int highestPower) {
    const auto power = lowestPower + static_cast<int>(generator_() % (highestPower - lowestPower));
    return std::ldexp(uniform(1.0L, 2.0L), power);
}

long double ArgumentSampler::randomEncoding() {
    const int exponent = static_cast<int>(generator_() % 0x8000);
    std::uint64_t significand = generator_();
    // Integer bit set exactly for normal numbers, infinities and NaNs.
    significand = exponent == 0 ? significand & ~(1ULL << 63) : significand | (1ULL << 63);
    return extendedFrom(significand, exponent | static_cast<int>(generator_() & 1) << 15);
}

long double ArgumentSampler::next() {
    constexpr long double kStep = M_LN2l / 256;  // the reduction's step
    const auto sign = [this] { return generator_() & 1 ? 1.0L : -1.0L; };
    switch (generator_() % 20) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 6:  // the fit's decaying exponentials: -x w, k - x w
            return -logUniform(-20, 14);
        case 7:
        case 8:
        case 9:  // where the fit's arguments mostly lie
            return uniform(-45.0L, 16.0L);
        case 10:
        case 11:
            return uniform(-1.0L, 1.0L);
        case 12:
            return sign() * logUniform(-72, -20);
        case 13:
            return logUniform(-20, 14);
        case 14:
        case 15:
            return uniform(-11400.0L, 11357.0L);
        case 16:  // subnormal results and the last ones above 0
            return uniform(-11400.0L, -11354.0L);
        case 17:  // the overflow threshold
            return uniform(11355.5L, 11357.0L);
        case 18: {  // the ends and the middle of the reduction's intervals
            const auto n = static_cast<long double>(
                static_cast<std::int64_t>(generator_() % 8400000) - 4200000);
            const long double middle = n * kStep + (generator_() & 1 ? 0.5L * kStep : 0.0L);
            const long double ulp = std::fabs(middle) * 0x1p-63L + 0x1p-16000L;
            return middle +
                   ulp * static_cast<long double>(static_cast<int>(generator_() % 65) - 32);
        }
        default:
            return randomEncoding();
    }
}

std::vector<HardCase> searchHardCases(long double start, std::int64_t steps, double threshold) {
    std::vector<HardCase> found;
    // Step d = one unit in the last place of the start, away from 0.
    int binade;
    std::frexp(start, &binade);  // |start| in [2^(binade-1), 2^binade)
    const long double step = std::copysign(std::ldexp(1.0L, binade - 64), start);
    // Stay in the binade of the start.
    const long double room = (std::ldexp(1.0L, binade) - std::fabs(start)) / std::fabs(step);
    steps = std::min<std::int64_t>(steps, static_cast<std::int64_t>(room) - 1);

    Number z(256), d(256), term(256), first(256), second(256), third(256);
    scaledExp(start, z.get());  // z in [2^63, 2^64)
    // Stay in the binade of e^x: z e^(i d) within [2^63, 2^64).
    {
        Number limit(256);
        mpfr_set_ui_2exp(limit.get(), 1, step > 0 ? 64 : 63, MPFR_RNDN);
        mpfr_div(limit.get(), limit.get(), z.get(), MPFR_RNDN);
        mpfr_log(limit.get(), limit.get(), MPFR_RNDN);
        mpfr_div_d(limit.get(), limit.get(), static_cast<double>(step), MPFR_RNDN);
        const double stepsInBinade = mpfr_get_d(limit.get(), MPFR_RNDZ);
        if (stepsInBinade < static_cast<double>(steps))
            steps = static_cast<std::int64_t>(stepsInBinade) - 1;
    }
    // P(i) = z (1 + i d + (i d)^2/2 + (i d)^3/6) = a0 + a1 i + a2 i^2 + a3 i^3;
    // forward differences: first = a1 + a2 + a3, second = 2 a2 + 6 a3,
    // third = 6 a3.
    mpfr_set_ld(d.get(), step, MPFR_RNDN);
    mpfr_mul(term.get(), z.get(), d.get(), MPFR_RNDN);  // a1
    mpfr_set(first.get(), term.get(), MPFR_RNDN);
    mpfr_mul(term.get(), term.get(), d.get(), MPFR_RNDN);
    mpfr_div_ui(term.get(), term.get(), 2, MPFR_RNDN);  // a2
    mpfr_add(first.get(), first.get(), term.get(), MPFR_RNDN);
    mpfr_mul_ui(second.get(), term.get(), 2, MPFR_RNDN);
    mpfr_mul(term.get(), term.get(), d.get(), MPFR_RNDN);
    mpfr_div_ui(term.get(), term.get(), 3, MPFR_RNDN);  // a3
    mpfr_add(first.get(), first.get(), term.get(), MPFR_RNDN);
    mpfr_mul_ui(third.get(), term.get(), 6, MPFR_RNDN);
    mpfr_add(second.get(), second.get(), third.get(), MPFR_RNDN);

    Fraction value = fractionOf(z.get());
    Fraction delta1 = fractionOf(first.get());
    Fraction delta2 = fractionOf(second.get());
    const Fraction delta3 = fractionOf(third.get());
    const auto window = static_cast<std::uint64_t>(std::ldexp(threshold, 64));
    constexpr std::uint64_t kHalf = 1ULL << 63;
    for (std::int64_t i = 0; i < steps; ++i) {
        const auto top = static_cast<std::uint64_t>(value >> 64);
        if (top - (kHalf - window) <= 2 * window) {
            // The stepped value is a candidate; MPFR gives the exact distance.
            const long double argument = start + static_cast<long double>(i) * step;
            const double distance = distanceToMidpoint(argument);
            if (distance < threshold)
                found.push_back({argument, distance});
        }
        value += delta1;
        delta1 += delta2;
        delta2 += delta3;
    }
    return found;
}

std::vector<long double> hardCasesNearZero() {
    std::vector<long double> arguments;
    // Above 1 the midpoints are the odd multiples of 2^-64, below 1 those of
    // 2^-65: e^x = midpoint + x^2/2 + ...
    for (std::uint64_t odd = 1; odd < (1u << 18); odd = 2 * odd + 1) {
        for (const std::uint64_t k : {odd, odd + 2}) {
            arguments.push_back(std::ldexp(static_cast<long double>(k), -64));
            arguments.push_back(-std::ldexp(static_cast<long double>(k), -65));
        }
    }
    // The edge of the shortcut to 1, and the smallest magnitudes.
    arguments.push_back(0x1p-70L);
    arguments.push_back(-0x1p-70L);
    arguments.push_back(0x1.fffffffffffffffep-71L);
    arguments.push_back(-0x1.fffffffffffffffep-71L);
    return arguments;
}

}  // namespace quorvane::testing
