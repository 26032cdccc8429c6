#include "data/erfc_oracle.h"

// mpfr.h declares its intmax_t conversions only after <cstdint>.
#include <cstdint>

#include <mpfr.h>

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "data/erfcx_table.h"
#include "data/exp_paths.h"
#include "data/extended_erfc.h"
#include "data/floating_point.h"

namespace quorvane::testing {

namespace {

constexpr mpfr_prec_t kPrecision = 128;
// Nodes k 2^-kNodeExponent, k = 0, 1, ...
constexpr int kNodeExponent = 6;
constexpr long double kTaylorEnd = 17.5L;
constexpr long double kAsymptoticFrom = 0x1p12L;

// An MPFR number of kPrecision bits (or another), cleared on scope exit.
class Number {
  public:
    explicit Number(mpfr_prec_t precision = kPrecision) { mpfr_init2(value_, precision); }
    ~Number() { mpfr_clear(value_); }
    Number(const Number&) = delete;
    Number& operator=(const Number&) = delete;
    Number(Number&& other) noexcept {
        mpfr_init2(value_, mpfr_get_prec(other.value_));
        mpfr_swap(value_, other.value_);
    }
    mpfr_ptr get() { return value_; }
    mpfr_srcptr get() const { return value_; }

  private:
    mpfr_t value_;
};

// The Taylor coefficients of erfcx about x_k = k 2^-kNodeExponent.
class TaylorNodes {
  public:
    TaylorNodes() {
        const int count = static_cast<int>(std::ldexp(kTaylorEnd, kNodeExponent)) + 1;
        nodes_.resize(count);
        Number twoOverSqrtPi, node, term, bound;
        mpfr_const_pi(twoOverSqrtPi.get(), MPFR_RNDN);
        mpfr_rec_sqrt(twoOverSqrtPi.get(), twoOverSqrtPi.get(), MPFR_RNDN);
        mpfr_mul_2ui(twoOverSqrtPi.get(), twoOverSqrtPi.get(), 1, MPFR_RNDN);
        for (int k = 0; k < count; ++k) {
            std::vector<Number>& c = nodes_[k];
            mpfr_set_si_2exp(node.get(), k, -kNodeExponent, MPFR_RNDN);
            c.emplace_back();
            mpfr_erfc(c[0].get(), node.get(), MPFR_RNDN);
            mpfr_sqr(term.get(), node.get(), MPFR_RNDN);
            mpfr_exp(term.get(), term.get(), MPFR_RNDN);
            mpfr_mul(c[0].get(), c[0].get(), term.get(), MPFR_RNDN);
            c.emplace_back();
            mpfr_mul(c[1].get(), c[0].get(), node.get(), MPFR_RNDN);
            mpfr_mul_2ui(c[1].get(), c[1].get(), 1, MPFR_RNDN);
            mpfr_sub(c[1].get(), c[1].get(), twoOverSqrtPi.get(), MPFR_RNDN);
            // Terms up to |d| = half a node step below 2^-110 of c_0.
            mpfr_mul_2si(bound.get(), c[0].get(), -110, MPFR_RNDN);
            for (int n = 1;; ++n) {
                mpfr_mul_2si(term.get(), c[n].get(), -(kNodeExponent + 1) * n, MPFR_RNDN);
                if (n > 4 && mpfr_cmpabs(term.get(), bound.get()) < 0)
                    break;
                c.emplace_back();
                mpfr_mul(c[n + 1].get(), c[n].get(), node.get(), MPFR_RNDN);
                mpfr_add(c[n + 1].get(), c[n + 1].get(), c[n - 1].get(), MPFR_RNDN);
                mpfr_mul_2ui(c[n + 1].get(), c[n + 1].get(), 1, MPFR_RNDN);
                mpfr_div_ui(c[n + 1].get(), c[n + 1].get(), n + 1, MPFR_RNDN);
            }
        }
    }

    // erfcx(x) for 0 <= x < kTaylorEnd.
    void erfcx(mpfr_srcptr x, mpfr_ptr result) const {
        Number scaled;
        mpfr_mul_2ui(scaled.get(), x, kNodeExponent, MPFR_RNDN);
        const long k = mpfr_get_si(scaled.get(), MPFR_RNDN);
        Number d;
        mpfr_set_si_2exp(d.get(), k, -kNodeExponent, MPFR_RNDN);
        mpfr_sub(d.get(), x, d.get(), MPFR_RNDN);  // exact
        const std::vector<Number>& c = nodes_[k];
        mpfr_set(result, c.back().get(), MPFR_RNDN);
        for (std::size_t n = c.size() - 1; n-- > 0;) {
            mpfr_mul(result, result, d.get(), MPFR_RNDN);
            mpfr_add(result, result, c[n].get(), MPFR_RNDN);
        }
    }

  private:
    std::vector<std::vector<Number>> nodes_;
};

const TaylorNodes& taylorNodes() {
    static const TaylorNodes nodes;
    return nodes;
}

// erfcx(x) for x >= 0 (finite).
void erfcxOfNonNegative(mpfr_srcptr x, mpfr_ptr result) {
    if (mpfr_cmp_ld(x, kTaylorEnd) < 0) {
        taylorNodes().erfcx(x, result);
    } else if (mpfr_cmp_ld(x, kAsymptoticFrom) < 0) {
        Number square;
        mpfr_erfc(result, x, MPFR_RNDN);
        mpfr_sqr(square.get(), x, MPFR_RNDN);
        mpfr_exp(square.get(), square.get(), MPFR_RNDN);
        mpfr_mul(result, result, square.get(), MPFR_RNDN);
    } else {
        // 1/(x sqrt(pi)) (1 - v/2 + 3v^2/4 - ... - 945v^5/32), v = 1/x^2 <= 2^-24:
        // the first term left out is below 2^-136.
        Number v, series, factor;
        mpfr_sqr(v.get(), x, MPFR_RNDN);
        mpfr_ui_div(v.get(), 1, v.get(), MPFR_RNDN);
        mpfr_set_d(series.get(), -945.0 / 32, MPFR_RNDN);
        for (const double coefficient : {105.0 / 16, -15.0 / 8, 0.75, -0.5, 1.0}) {
            mpfr_mul(series.get(), series.get(), v.get(), MPFR_RNDN);
            mpfr_add_d(series.get(), series.get(), coefficient, MPFR_RNDN);
        }
        mpfr_const_pi(factor.get(), MPFR_RNDN);
        mpfr_sqrt(factor.get(), factor.get(), MPFR_RNDN);
        mpfr_mul(factor.get(), factor.get(), x, MPFR_RNDN);
        mpfr_div(result, series.get(), factor.get(), MPFR_RNDN);
    }
}

// erfc(x) and erfcx(x) for a finite x.
void exactValues(long double argument, mpfr_ptr erfc, mpfr_ptr erfcx) {
    Number x(64), magnitude(64), square, exponential;
    mpfr_set_ld(x.get(), argument, MPFR_RNDN);
    mpfr_abs(magnitude.get(), x.get(), MPFR_RNDN);
    erfcxOfNonNegative(magnitude.get(), erfcx);
    mpfr_sqr(square.get(), x.get(), MPFR_RNDN);  // exact at 128 bits
    mpfr_neg(exponential.get(), square.get(), MPFR_RNDN);
    mpfr_exp(exponential.get(), exponential.get(), MPFR_RNDN);
    mpfr_mul(erfc, erfcx, exponential.get(), MPFR_RNDN);
    if (argument < 0) {  // 2 - erfc(-x), 2 e^(x^2) - erfcx(-x)
        mpfr_ui_sub(erfc, 2, erfc, MPFR_RNDN);
        mpfr_exp(exponential.get(), square.get(), MPFR_RNDN);
        mpfr_mul_2ui(exponential.get(), exponential.get(), 1, MPFR_RNDN);
        mpfr_sub(erfcx, exponential.get(), erfcx, MPFR_RNDN);
    }
}

// Whether an exact value rounds to +inf: from 2^16384 (1 - 2^-65) on.
bool beyondLargest(mpfr_srcptr value) {
    static const Number threshold = [] {
        Number made(80), halfLastPlace(80);
        mpfr_set_ui_2exp(made.get(), 1, 16384, MPFR_RNDN);
        mpfr_set_ui_2exp(halfLastPlace.get(), 1, 16384 - 65, MPFR_RNDN);
        mpfr_sub(made.get(), made.get(), halfLastPlace.get(), MPFR_RNDN);  // exact
        return made;
    }();
    return mpfr_cmp(value, threshold.get()) >= 0;
}

constexpr double kInfinity = std::numeric_limits<double>::infinity();

double errorOf(mpfr_srcptr exact, long double computed) {
    if (beyondLargest(exact))
        return std::isinf(computed) && computed > 0 ? 0.0 : kInfinity;
    if (!std::isfinite(computed))
        return kInfinity;
    Number difference;
    mpfr_set_ld(difference.get(), computed, MPFR_RNDN);
    mpfr_sub(difference.get(), difference.get(), exact, MPFR_RNDN);
    if (mpfr_zero_p(exact))
        return mpfr_zero_p(difference.get()) ? 0.0 : kInfinity;
    // exact in [2^(e-1), 2^e): ulp 2^(e-64), the subnormal grid at least.
    const long lastPlace = std::max<long>(mpfr_get_exp(exact) - 64, -16445);
    mpfr_mul_2si(difference.get(), difference.get(), -lastPlace, MPFR_RNDN);
    return std::fabs(mpfr_get_d(difference.get(), MPFR_RNDN));
}

double errorOf(long double exact, long double computed) {
    if (std::isnan(exact))
        return std::isnan(computed) ? 0.0 : kInfinity;
    return computed == exact ? 0.0 : kInfinity;
}

bool invalidEncoding(long double argument) {
    const ExtendedFields fields = fieldsOf(argument);
    return (fields.signAndExponent & 0x7FFF) != 0 && (fields.significand >> 63) == 0;
}

}  // namespace

ErrorFunctionErrors ulpErrors(long double argument, long double erfc, long double erfcx) {
    constexpr long double kNan = std::numeric_limits<long double>::quiet_NaN();
    constexpr long double kLongInfinity = std::numeric_limits<long double>::infinity();
    if (invalidEncoding(argument) || std::isnan(argument))
        return {errorOf(kNan, erfc), errorOf(kNan, erfcx)};
    if (std::isinf(argument))
        return argument > 0
                   ? ErrorFunctionErrors{errorOf(0.0L, erfc), errorOf(0.0L, erfcx)}
                   : ErrorFunctionErrors{errorOf(2.0L, erfc), errorOf(kLongInfinity, erfcx)};
    Number exactErfc, exactErfcx;
    // Far below -107 erfcx overflows beyond MPFR's exponents too.
    if (argument < -1e9L)
        return {errorOf(2.0L, erfc), errorOf(kLongInfinity, erfcx)};
    exactValues(argument, exactErfc.get(), exactErfcx.get());
    return {errorOf(exactErfc.get(), erfc), errorOf(exactErfcx.get(), erfcx)};
}

std::string describeArgument(long double argument) {
    const ExtendedFields fields = fieldsOf(argument);
    char text[64];
    if (invalidEncoding(argument))
        std::snprintf(text, sizeof text, "encoding %04llx:%016llx",
                      static_cast<unsigned long long>(fields.signAndExponent),
                      static_cast<unsigned long long>(fields.significand));
    else
        std::snprintf(text, sizeof text, "%La", argument);
    return text;
}

void ErfcFindings::merge(const ErfcFindings& other) {
    for (int range = 0; range < kErfcRangeCount; ++range) {
        for (int function = 0; function < 2; ++function) {
            if (other.largest[range][function] > largest[range][function]) {
                largest[range][function] = other.largest[range][function];
                worstArgument[range][function] = other.worstArgument[range][function];
            }
        }
    }
    checked += other.checked;
    if (other.unexpectedFaults > 0)
        faultyArgument = other.faultyArgument;
    unexpectedFaults += other.unexpectedFaults;
}

bool ErfcFindings::withinBounds() const {
    for (int range = 0; range < kErfcRangeCount; ++range) {
        if (!(largest[range][0] <= kErfcBounds[range].erfc) ||
            !(largest[range][1] <= kErfcBounds[range].erfcx))
            return false;
    }
    return unexpectedFaults == 0;
}

void ErfcFindings::print() const {
    for (int function = 0; function < 2; ++function) {
        for (int range = 0; range < kErfcRangeCount; ++range) {
            const ErfcBounds& bounds = kErfcBounds[range];
            std::printf("%-5s %-18s largest error %.4f ulp (bound %.2f) at %s\n",
                        function == 0 ? "erfc" : "erfcx", bounds.name, largest[range][function],
                        function == 0 ? bounds.erfc : bounds.erfcx,
                        describeArgument(worstArgument[range][function]).c_str());
        }
    }
    std::printf("arguments checked: %lld, results with unexpected faults: %lld%s%s\n", checked,
                unexpectedFaults, unexpectedFaults > 0 ? ", for instance at " : "",
                unexpectedFaults > 0 ? describeArgument(faultyArgument).c_str() : "");
}

void checkErfc(const long double* arguments, std::size_t count, ErfcFindings& findings) {
    constexpr long double kLongInfinity = std::numeric_limits<long double>::infinity();
    for (std::size_t i = 0; i < count; ++i) {
        const long double x = arguments[i];
        clearFloatingPointFaults();
        const long double erfc = extendedErfc(x);
        const FloatingPointFaults erfcFaults = raisedFloatingPointFaults();
        clearFloatingPointFaults();
        const long double erfcx = extendedErfcx(x);
        const FloatingPointFaults erfcxFaults = raisedFloatingPointFaults();
        const bool invalid = invalidEncoding(x) || std::isnan(x);
        const FloatingPointFaults expectedErfcx =
            invalid ? FE_INVALID : (std::isfinite(x) && erfcx == kLongInfinity ? FE_OVERFLOW : 0);
        if (erfcFaults != (invalid ? FE_INVALID : 0) || erfcxFaults != expectedErfcx) {
            findings.faultyArgument = x;
            ++findings.unexpectedFaults;
        }
        const ErrorFunctionErrors errors = ulpErrors(x, erfc, erfcx);
        int range = 0;
        while (!invalid && range + 1 < kErfcRangeCount && !(x < kErfcBounds[range].below))
            ++range;
        const double byFunction[2] = {errors.erfc, errors.erfcx};
        for (int function = 0; function < 2; ++function) {
            if (!(byFunction[function] <= findings.largest[range][function])) {
                findings.largest[range][function] = byFunction[function];
                findings.worstArgument[range][function] = x;
            }
        }
    }
    findings.checked += static_cast<long long>(count);
    clearFloatingPointFaults();
    releaseOracleCaches();
}

void releaseOracleCaches() {
    mpfr_free_cache2(MPFR_FREE_LOCAL_CACHE);
}

long double ErfcArgumentSampler::between(long double from, long double to) {
    return std::uniform_real_distribution<long double>(from, to)(generator_);
}

long double ErfcArgumentSampler::scaledBetween(int fromPower, int toPower) {
    const int power = std::uniform_int_distribution<int>(fromPower, toPower - 1)(generator_);
    return std::ldexp(between(1.0L, 2.0L), power);
}

// An end of a polynomial piece or of another method's range a few units in
// the last place away, either side, either sign.
long double ErfcArgumentSampler::pieceEnd() {
    // The tail, erfc's scaled range and its 0, the reflections' shortcuts,
    // erfcx's overflow and its huge arguments, the first piece.
    constexpr long double kEnds[] = {kErfcxTailStart, 106.0L,     106.75L,    7.0L,
                                     107.0L,          0x1p16000L, 0x1p16381L, 0x1p-6L};
    constexpr int kEndCount = sizeof kEnds / sizeof kEnds[0];
    long double end;
    if (generator_() % 2 == 0) {
        end = kEnds[generator_() % kEndCount];
    } else {
        const int binade = static_cast<int>(generator_() % kErfcxBinadeCount);
        const int bits = kErfcxBinades[binade].bits;
        const auto piece = static_cast<long double>(generator_() % (1u << bits));
        end = std::ldexp(1.0L + piece / (1u << bits), kErfcxFirstBinade + binade);
    }
    const long double ulp = std::ldexp(1.0L, std::ilogb(end) - 63);
    const long double near =
        end + ulp * static_cast<long double>(static_cast<int>(generator_() % 9) - 4);
    return generator_() & 1 ? near : -near;
}

long double ErfcArgumentSampler::next() {
    // In twentieths: 6 the polynomials, where the response basis mostly is;
    // 2 small ones; 1 the basis's z = a - u with a and u of all scales; 1
    // tiny ones; 2 the tail up to erfc's underflow; 1 erfc's subnormal
    // results and its underflow; 1 huge ones; 1 erfcx's growth below 0 and
    // 1 its overflow threshold; 2 the pieces' ends; 2 the exponential's.
    const int pick = static_cast<int>(generator_() % 20);
    if (pick < 6)
        return between(-7.0L, 16.0L);
    if (pick < 8)
        return between(0.0L, 2.0L);
    if (pick < 9)
        return scaledBetween(-30, 20) - scaledBetween(-30, 20);
    if (pick < 10)
        return (generator_() & 1 ? 1.0L : -1.0L) * scaledBetween(-70, -6);
    if (pick < 12)
        return between(16.0L, 106.75L);
    if (pick < 13)
        return between(106.4L, 106.8L);
    if (pick < 14)
        return scaledBetween(4, 16383);
    if (pick < 15)
        return between(-107.0L, -7.0L);
    if (pick < 16)
        return between(-106.6L, -106.5L);
    if (pick < 18)
        return pieceEnd();
    return exponentials_.next();
}

}  // namespace quorvane::testing
