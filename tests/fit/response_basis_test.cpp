#include "fit/response_basis.h"

#include <gtest/gtest.h>

// mpfr.h declares its intmax_t conversions only after <cstdint>.
#include <cstdint>

#include <mpfr.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "data/extended_exp.h"
#include "data/floating_point.h"

namespace quorvane {
namespace {

constexpr mpfr_prec_t kPrecision = 320;

class Number {
  public:
    explicit Number(mpfr_prec_t precision = kPrecision) { mpfr_init2(value_, precision); }
    Number(long double value, mpfr_prec_t precision) : Number(precision) {
        mpfr_set_ld(value_, value, MPFR_RNDN);
    }
    ~Number() { mpfr_clear(value_); }
    Number(const Number&) = delete;
    Number& operator=(const Number&) = delete;
    mpfr_ptr get() { return value_; }
    long double value() const { return mpfr_get_ld(value_, MPFR_RNDN); }

  private:
    mpfr_t value_;
};

// c = 1/2 exp(k (mu - t) + k^2 sigma^2 / 2) erfc((mu + k sigma^2 - t)/(sigma sqrt 2))
// and the Gaussian g at t, at the precision of c, the parameters exact.
void exactResponse(mpfr_ptr k, mpfr_ptr mu, mpfr_ptr sigma, mpfr_ptr t, mpfr_ptr c, mpfr_ptr g) {
    const mpfr_prec_t precision = mpfr_get_prec(c);
    Number d(precision), exponent(precision), z(precision), work(precision);
    mpfr_sub(d.get(), mu, t, MPFR_RNDN);  // mu - t
    mpfr_sqr(work.get(), sigma, MPFR_RNDN);
    mpfr_mul(z.get(), k, work.get(), MPFR_RNDN);  // k sigma^2
    mpfr_mul(exponent.get(), z.get(), k, MPFR_RNDN);
    mpfr_div_2ui(exponent.get(), exponent.get(), 1, MPFR_RNDN);
    mpfr_fma(exponent.get(), k, d.get(), exponent.get(), MPFR_RNDN);
    mpfr_add(z.get(), z.get(), d.get(), MPFR_RNDN);
    mpfr_sqrt_ui(work.get(), 2, MPFR_RNDN);
    mpfr_mul(work.get(), work.get(), sigma, MPFR_RNDN);
    mpfr_div(z.get(), z.get(), work.get(), MPFR_RNDN);
    mpfr_erfc(c, z.get(), MPFR_RNDN);
    mpfr_exp(exponent.get(), exponent.get(), MPFR_RNDN);
    mpfr_mul(c, c, exponent.get(), MPFR_RNDN);
    mpfr_div_2ui(c, c, 1, MPFR_RNDN);
    mpfr_div(d.get(), d.get(), work.get(), MPFR_RNDN);
    mpfr_sqr(d.get(), d.get(), MPFR_RNDN);
    mpfr_neg(d.get(), d.get(), MPFR_RNDN);
    mpfr_exp(g, d.get(), MPFR_RNDN);
    mpfr_const_pi(work.get(), MPFR_RNDN);
    mpfr_mul_2ui(work.get(), work.get(), 1, MPFR_RNDN);
    mpfr_sqrt(work.get(), work.get(), MPFR_RNDN);
    mpfr_mul(work.get(), work.get(), sigma, MPFR_RNDN);
    mpfr_div(g, g, work.get(), MPFR_RNDN);
}

// The exact c; its derivatives by the analytic formulas
//   dc/dlogRate = k ((mu + k sigma^2 - t) c - sigma^2 g),
//   dc/dmu = k c - g,  dc/dsigma = k^2 sigma c - g (k sigma + (t - mu)/sigma),
// and by central differences of the exact c (the step small enough for a
// truncation below 2^-75 of the derivative, the precision high enough for
// the difference; 0 where that would take more than 4000 bits); and the
// derivatives' scales |dc/dlogRate|, k c + g and
// k sigma (k c + g) + g |t - mu| / sigma.
struct Exact {
    long double value, valueLow;                  // the exact value = value + valueLow
    long double derivative[3], derivativeLow[3];  // logRate, centre, width
    long double difference[3];
    long double scale[3];
};

// x = high + low to 2^-128 of it.
void splitNumber(mpfr_ptr x, long double& high, long double& low) {
    high = mpfr_get_ld(x, MPFR_RNDN);
    Number rest;
    mpfr_sub_d(rest.get(), x, 0.0, MPFR_RNDN);
    Number highPart(high, kPrecision);
    mpfr_sub(rest.get(), rest.get(), highPart.get(), MPFR_RNDN);
    low = rest.value();
}

Exact exactAt(long double rate, long double centre, long double width, long double time,
              bool withDifferences) {
    Number k(rate, kPrecision), mu(centre, kPrecision), sigma(width, kPrecision),
        t(time, kPrecision), c, g, term, other;
    exactResponse(k.get(), mu.get(), sigma.get(), t.get(), c.get(), g.get());
    Exact exact;
    splitNumber(c.get(), exact.value, exact.valueLow);
    const long double kc = rate * exact.value;
    const long double gaussian = g.value();
    // The analytic derivatives.
    mpfr_sqr(term.get(), sigma.get(), MPFR_RNDN);
    mpfr_mul(other.get(), term.get(), g.get(), MPFR_RNDN);  // sigma^2 g
    mpfr_mul(term.get(), term.get(), k.get(), MPFR_RNDN);
    mpfr_add(term.get(), term.get(), mu.get(), MPFR_RNDN);
    mpfr_sub(term.get(), term.get(), t.get(), MPFR_RNDN);
    mpfr_mul(term.get(), term.get(), c.get(), MPFR_RNDN);
    mpfr_sub(term.get(), term.get(), other.get(), MPFR_RNDN);
    mpfr_mul(term.get(), term.get(), k.get(), MPFR_RNDN);
    splitNumber(term.get(), exact.derivative[0], exact.derivativeLow[0]);
    mpfr_mul(term.get(), k.get(), c.get(), MPFR_RNDN);
    mpfr_sub(term.get(), term.get(), g.get(), MPFR_RNDN);
    splitNumber(term.get(), exact.derivative[1], exact.derivativeLow[1]);
    mpfr_mul(term.get(), term.get(), k.get(), MPFR_RNDN);
    mpfr_mul(term.get(), term.get(), sigma.get(), MPFR_RNDN);  // k sigma (k c - g)
    mpfr_sub(other.get(), t.get(), mu.get(), MPFR_RNDN);
    mpfr_div(other.get(), other.get(), sigma.get(), MPFR_RNDN);
    mpfr_mul(other.get(), other.get(), g.get(), MPFR_RNDN);
    mpfr_sub(term.get(), term.get(), other.get(), MPFR_RNDN);
    splitNumber(term.get(), exact.derivative[2], exact.derivativeLow[2]);
    exact.scale[0] = std::fabs(exact.derivative[0]);
    exact.scale[1] = kc + gaussian;
    exact.scale[2] = rate * width * (kc + gaussian) + gaussian * std::fabs(time - centre) / width;

    for (int p = 0; p < 3; ++p) {
        exact.difference[p] = 0.0L;
        if (!withDifferences)
            continue;
        const long double unit = p == 0 ? 1.0L : width;  // of the step
        const long double slope = std::fabs(exact.derivative[p]) * unit;
        if (!(slope > 0.0L) || !(exact.value > 0.0L))
            continue;
        const long double step = 0x1p-40L / std::max(1.0L, slope / exact.value);
        const long expected = std::ilogb(slope * step);
        const long bits = 200 + std::max(0L, std::ilogb(exact.value) - expected);
        if (bits > 4000)
            continue;
        Number plus(bits), minus(bits);
        mpfr_ptr sides[2] = {plus.get(), minus.get()};
        for (int side = 0; side < 2; ++side) {
            Number moved(p == 0 ? rate : p == 1 ? centre : width, bits), gs(bits);
            Number shift((side == 0 ? step : -step) * unit, bits);
            if (p == 0) {  // k e^(+-step)
                mpfr_exp(shift.get(), shift.get(), MPFR_RNDN);
                mpfr_mul(moved.get(), moved.get(), shift.get(), MPFR_RNDN);
            } else {  // mu +- step sigma, sigma +- step sigma
                mpfr_add(moved.get(), moved.get(), shift.get(), MPFR_RNDN);
            }
            Number kb(rate, bits), mub(centre, bits), sigmab(width, bits), tb(time, bits);
            exactResponse(p == 0 ? moved.get() : kb.get(), p == 1 ? moved.get() : mub.get(),
                          p == 2 ? moved.get() : sigmab.get(), tb.get(), sides[side], gs.get());
        }
        mpfr_sub(plus.get(), plus.get(), minus.get(), MPFR_RNDN);
        Number denominator(2.0L * step * unit, bits);
        mpfr_div(plus.get(), plus.get(), denominator.get(), MPFR_RNDN);
        exact.difference[p] = plus.value();
    }
    return exact;
}

double ulpsOf(long double error, long double scale) {
    // ulp of the scale (2^(e - 63) for scale in [2^e, 2^(e+1))), at least
    // the subnormal grid.
    const int exponent = std::max(std::ilogb(scale), -16382);
    return static_cast<double>(std::fabs(error) / std::ldexp(1.0L, exponent - 63));
}

// The header's bound for c, and the derivatives' accuracy it states, in
// ulps of their scales.
constexpr double kValueBound = 2.63;
constexpr double kDerivativeBound = 8.0;

struct Largest {
    double value = 0.0;
    double derivative[3] = {};
};

// responseAt against the exact values at one point; with differences, the
// formulas against central differences as well.
void checkAgainstMpfr(long double rate, long double centre, long double width, long double time,
                      bool withDifferences, Largest& largest) {
    SCOPED_TRACE(::testing::Message()
                 << "k sigma " << static_cast<double>(rate * width) << ", (t - mu)/sigma "
                 << static_cast<double>((time - centre) / width) << ", sigma "
                 << static_cast<double>(width));
    const ResponseValues ours = responseAt(rate, {centre, width}, time);
    const Exact exact = exactAt(rate, centre, width, time, withDifferences);
    EXPECT_EQ(ours.faults, 0);
    const double valueError = ulpsOf((ours.value - exact.value) - exact.valueLow, exact.value);
    EXPECT_LE(valueError, kValueBound) << static_cast<double>(ours.value);
    largest.value = std::max(largest.value, valueError);
    if (exact.value < 0x1p-16300L)
        return;  // derivatives of a vanishing value: only their size matters
    const long double derivatives[3] = {ours.dLogRate, ours.dCentre, ours.dWidth};
    for (int p = 0; p < 3; ++p) {
        if (rate == 0.0L && p == 0) {
            EXPECT_EQ(ours.dLogRate, 0.0L);
            continue;
        }
        const double error =
            ulpsOf((derivatives[p] - exact.derivative[p]) - exact.derivativeLow[p], exact.scale[p]);
        EXPECT_LE(error, kDerivativeBound) << "derivative " << p;
        largest.derivative[p] = std::max(largest.derivative[p], error);
        // The formulas are the derivatives: to 2^-60 of the scale.
        if (exact.difference[p] != 0.0L) {
            EXPECT_LE(ulpsOf(exact.difference[p] - exact.derivative[p], exact.scale[p]), 8.0)
                << "central difference of " << p;
        }
    }
}

TEST(ResponseBasis, MatchesMpfrAndCentralDifferencesWithinItsBounds) {
    // exp(A) and erfc(z) of the formula reach far beyond 2^+-2^30.
    mpfr_set_emin(mpfr_get_emin_min());
    mpfr_set_emax(mpfr_get_emax_max());
    // k sigma and (t - mu)/sigma over the regimes: long before the rise (the
    // response form, down to where c vanishes), the rise, long after it
    // (the decay form, erfc(z) = 2 and near 2), with k sigma from 0 (the
    // step) and 1e-6 to 1e6, at widths of a unit, of picoseconds (0.05) and
    // of femtoseconds (120).
    const long double scaledRates[] = {0.0L, 1e-6L, 0.01L, 0.3L, 1.0L, 3.0L, 30.0L, 1e3L, 1e6L};
    const long double normalisedTimes[] = {-150.0L, -106.0L, -40.0L, -10.0L, -3.0L, -1.0L,
                                           -0.3L,   0.0L,    0.2L,   1.0L,   2.5L,  5.0L,
                                           12.0L,   40.0L,   200.0L, 1e3L,   1e4L};
    const GaussianResponse responses[] = {{0.0L, 1.0L}, {0.4L, 0.05L}, {-300.0L, 120.0L}};
    Largest largest;
    for (const GaussianResponse& response : responses)
        for (const long double scaledRate : scaledRates)
            for (const long double normalisedTime : normalisedTimes)
                checkAgainstMpfr(scaledRate / response.width, response.centre, response.width,
                                 response.centre + normalisedTime * response.width, true, largest);
    // And random points about the rise, where both forms meet.
    std::mt19937_64 generator(7);
    const auto unit = [&generator] {
        return static_cast<long double>(generator() >> 11) * 0x1p-53L;
    };
    for (int i = 0; i < 300; ++i) {
        const long double width = 0.05L * (1.0L + unit());
        const long double rate = std::pow(10.0L, -3.0L + 5.0L * unit()) / width;
        checkAgainstMpfr(rate, 0.4L, width, 0.4L + (-8.0L + 16.0L * unit()) * width, false,
                         largest);
    }
    std::printf("largest errors in ulps: c %.3f, dc/dlogRate %.3f, dc/dmu %.3f, dc/dsigma %.3f\n",
                largest.value, largest.derivative[0], largest.derivative[1], largest.derivative[2]);
}

// The limits: sigma -> 0 gives the exponential after mu and 0 before it;
// long after the rise c = exp(k^2 sigma^2 / 2 - k (t - mu)); long before it
// c = 0, and before that the Gaussian's tail over k + (mu - t)/sigma^2
// (to about (sigma / (mu - t))^2); k = 0 gives the step, 1/2 at mu and 1
// long after.
TEST(ResponseBasis, HasTheLimitsOfTheConvolution) {
    const long double gaussianTail =
        extendedExp(-450.0L) / (std::sqrt(2.0L * 3.14159265358979323846L) * (1.0L + 30.0L));
    struct Case {
        long double rate, centre, width, time;
        long double expected;
        long double tolerance;  // relative; 0: exactly
    };
    const Case cases[] = {
        {2.0L, 0.5L, 1e-20L, 1.5L, extendedExp(-2.0L), 0x1p-63L},
        {2.0L, 0.5L, 1e-20L, 0.4999L, 0.0L, 0.0L},
        {0.125L, 0.0L, 1.0L, 48.0L, extendedExp(-5.9921875L), 0x1p-62L},
        {1.0L, 0.0L, 1.0L, -160.0L, 0.0L, 0.0L},
        {1.0L, 0.0L, 1.0L, -30.0L, gaussianTail, 2e-3L},
        {0.0L, 3.0L, 0.2L, 3.0L, 0.5L, 0.0L},
        {0.0L, 3.0L, 0.2L, 13.0L, 1.0L, 0.0L},
    };
    for (const Case& c : cases) {
        const ResponseValues values = responseAt(c.rate, {c.centre, c.width}, c.time);
        EXPECT_EQ(values.faults, 0);
        EXPECT_LE(std::fabs(values.value - c.expected), c.tolerance * c.expected)
            << "k " << static_cast<double>(c.rate) << ", t " << static_cast<double>(c.time) << ": "
            << static_cast<double>(values.value);
    }
}

// No fault anywhere in t = mu +- 1e4 sigma for k sigma from 1e-6 to 1e6, at
// every width; c in [0, 1], the derivatives finite; the caller's flags kept.
TEST(ResponseBasis, NeverFaultsOverTheRangeOfAFit) {
    std::vector<double> times;
    for (int i = -40; i <= 40; ++i)
        times.push_back(i == 0 ? 0.0
                               : std::copysign(std::pow(10.0, 4.0 * (std::abs(i) - 10) / 30.0), i));
    const std::size_t count = times.size();
    std::vector<long double> value(count), dLogRate(count), dCentre(count), dWidth(count);
    for (const long double width : {1e-3L, 1.0L, 1e3L}) {
        std::vector<double> scaled(count);
        for (std::size_t i = 0; i < count; ++i)
            scaled[i] = static_cast<double>(-7.0L * width + times[i] * width);
        for (int power = -12; power <= 12; ++power) {
            const long double rate = std::pow(10.0L, power / 2.0L) / width;
            std::feclearexcept(FE_ALL_EXCEPT);
            std::feraiseexcept(FE_DIVBYZERO);  // the caller's, to be kept
            const FloatingPointFaults faults =
                responseColumn(rate, {-7.0L * width, width}, scaled.data(), static_cast<int>(count),
                               {value.data(), dLogRate.data(), dCentre.data(), dWidth.data()});
            EXPECT_EQ(faults, 0) << static_cast<double>(rate * width);
            EXPECT_EQ(raisedFloatingPointFaults(), FE_DIVBYZERO);
            for (std::size_t i = 0; i < count; ++i) {
                ASSERT_TRUE(value[i] >= 0.0L && value[i] <= 1.0L && std::isfinite(dLogRate[i]) &&
                            std::isfinite(dCentre[i]) && std::isfinite(dWidth[i]))
                    << "k sigma " << static_cast<double>(rate * width) << ", (t - mu)/sigma "
                    << times[i];
            }
        }
    }
    clearFloatingPointFaults();
}

// The column gives responseAt's bits, in chunks and their tails, with any
// columns left out; a NaN parameter is an invalid operation, returned.
TEST(ResponseBasis, ColumnGivesTheBitsOfResponseAtAndReturnsItsFaults) {
    constexpr int kCount = 150;  // two chunks and a tail
    std::vector<double> times(kCount);
    for (int i = 0; i < kCount; ++i)
        times[i] = -1.0 + 0.02 * i * i / 3.0;
    const GaussianResponse response{0.4L, 0.051L};
    std::vector<long double> value(kCount), dLogRate(kCount), dCentre(kCount), dWidth(kCount),
        alone(kCount);
    for (const long double rate : {0.0L, 0.3L, 3.3L, 250.0L}) {
        ASSERT_EQ(responseColumn(rate, response, times.data(), kCount,
                                 {value.data(), dLogRate.data(), dCentre.data(), dWidth.data()}),
                  0);
        ASSERT_EQ(responseColumn(rate, response, times.data(), kCount, {alone.data()}), 0);
        for (int i = 0; i < kCount; ++i) {
            const ResponseValues at = responseAt(rate, response, times[i]);
            const long double expected[] = {at.value, at.dLogRate, at.dCentre, at.dWidth, at.value};
            const long double got[] = {value[i], dLogRate[i], dCentre[i], dWidth[i], alone[i]};
            for (int column = 0; column < 5; ++column)
                ASSERT_EQ(std::memcmp(&expected[column], &got[column], 10), 0)
                    << "rate " << static_cast<double>(rate) << ", point " << i << ", column "
                    << column;
        }
    }
    clearFloatingPointFaults();
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    EXPECT_EQ(responseColumn(1.0L, {0.0L, nan}, times.data(), kCount, {value.data()}), FE_INVALID);
    EXPECT_EQ(responseAt(1.0L, {nan, 1.0L}, 0.5L).faults, FE_INVALID);
    EXPECT_EQ(raisedFloatingPointFaults(), 0);
}

}  // namespace
}  // namespace quorvane
