// The response basis (method, switching rule and error bound in
// response_basis.h), a chunk of points at a time: the arguments of every
// point's exponentials first, then the exponentials of the chunk as blocks,
// then each point's value and derivatives.
#include "fit/response_basis.h"

#include <algorithm>
#include <cfenv>

#include "data/erfc_kernel.h"
#include "data/extended_exp.h"
#include "data/extended_pair.h"

namespace quorvane {

namespace {

using namespace erfc_kernel;

constexpr long double kInverseSqrt2High = 0x1.6a09e667f3bcc908p-1L;
constexpr long double kInverseSqrt2Low = 0x1.65f626cdd52afa7cp-66L;
constexpr long double kSqrt2 = 0x1.6a09e667f3bcc908p+0L;
// Below this normalised time e^(-u^2) < 2^-16445: c and its derivatives are 0.
constexpr long double kVanishingBelow = -107.0L;
// Below this z, erfc(z) = 2 to 2^-74.
constexpr long double kComplementIsTwoBelow = -7.0L;
constexpr FloatingPointFaults kFaultFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
constexpr int kChunk = 64;

// What every point of a column shares.
struct ColumnConstants {
    long double rate;                       // k
    ExtendedPair rateSplit;                 // k in 32 + 32 bits
    long double centre;                     // mu
    ExtendedPair inverseWidth;              // 1/(sigma sqrt 2)
    ExtendedPair inverseWidthSplit;         // inverseWidth.high in 32 + 32 bits
    ExtendedPair inverseWidthSquared;       // 1/(2 sigma^2)
    ExtendedPair inverseWidthSquaredSplit;  // its high part in 32 + 32 bits
    ExtendedPair scaledRate;                // a = k sigma / sqrt 2
    ExtendedPair scaledRateSquared;         // a^2
    long double logRateFactor;              // a / sqrt(pi)
    long double centreFactor;               // 1 / (sigma sqrt(2 pi))
    long double widthFactor;                // 1 / (sigma sqrt(pi))
    long double rateSquaredWidth;           // k^2 sigma
    bool derivatives;
};

ColumnConstants constantsOf(long double rate, const GaussianResponse& response, bool derivatives) {
    const long double width = response.width;
    ColumnConstants constants;
    constants.rate = rate;
    constants.rateSplit = splitExtended(rate);
    constants.centre = response.centre;
    // (1/sqrt 2)/sigma: the quotient, corrected by its exact remainder.
    const long double quotient = kInverseSqrt2High / width;
    const ExtendedPair product = twoProduct(quotient, width);
    const long double remainder =
        ((kInverseSqrt2High - product.high) - product.low) + kInverseSqrt2Low;
    constants.inverseWidth = fastTwoSum(quotient, remainder / width);
    constants.inverseWidthSplit = splitExtended(constants.inverseWidth.high);
    const ExtendedPair inverseSquare = twoSquare(constants.inverseWidth.high);
    constants.inverseWidthSquared =
        fastTwoSum(inverseSquare.high, inverseSquare.low + 2.0L * constants.inverseWidth.high *
                                                               constants.inverseWidth.low);
    constants.inverseWidthSquaredSplit = splitExtended(constants.inverseWidthSquared.high);
    const ExtendedPair rateWidth = twoProduct(rate, width);
    const ExtendedPair scaled = twoProduct(rateWidth.high, kInverseSqrt2High);
    constants.scaledRate = fastTwoSum(
        scaled.high,
        scaled.low + (rateWidth.high * kInverseSqrt2Low + rateWidth.low * kInverseSqrt2High));
    const ExtendedPair square = twoSquare(constants.scaledRate.high);
    constants.scaledRateSquared = fastTwoSum(
        square.high, square.low + 2.0L * constants.scaledRate.high * constants.scaledRate.low);
    constants.logRateFactor = constants.scaledRate.high * kInverseSqrtPiHigh;
    constants.centreFactor = constants.inverseWidth.high * kInverseSqrtPiHigh;
    constants.widthFactor = kSqrt2 * constants.centreFactor;
    constants.rateSquaredWidth = (rate * rate) * width;
    constants.derivatives = derivatives;
    return constants;
}

// Where a point lies: c = 0; the response form; the decay form long after
// the rise (a rough z below -7.5), or nearer (erfc(z) = 2 still for z < -7).
enum class Form : unsigned char { vanishing, response, lateDecay, decay };

// One point between the passes. An exponent is high + low; its exponential
// is exp(high) (1 + low).
struct Point {
    Form form;
    bool second;            // the decay form needs e^(-z^2)
    long double firstLow;   // of -u^2 (response form) or of A (decay form)
    long double secondLow;  // of -z^2 (decay form)
    ExtendedPair u;         // (t - mu) / (sigma sqrt 2), but in a late decay's value alone
    ExtendedPair z;         // a - u, likewise
};

// The point's form, u and z, and the exponents of its exponentials: returns
// the first (0 for a vanishing point) and sets `second` where one is
// wanted. Long after the rise (a rough z < -7.5, then z < -7) neither u nor
// z is needed beyond its rounding: the exponent A = a^2 - k (t - mu) comes
// from t - mu, and so, for the derivatives, does u^2 = (t - mu)^2 / (2 sigma^2).
long double preparePoint(const ColumnConstants& constants, long double time, Point& point,
                         long double& second) {
    const ExtendedPair offset = twoSum(time, -constants.centre);
    const long double roughU = offset.high * constants.inverseWidth.high;
    point.second = false;
    point.form = Form::vanishing;
    if (roughU < kVanishingBelow - 0.5L)
        return 0.0L;
    const long double roughZ = constants.scaledRate.high - roughU;
    if (roughZ < kComplementIsTwoBelow - 0.5L) {
        point.form = Form::lateDecay;
        point.u.high = roughU;
        point.z.high = roughZ;
        if (constants.derivatives) {
            point.second = true;
            const ExtendedPair square = twoSquare(offset.high);
            const long double squareLow = square.low + 2.0L * offset.high * offset.low;
            const ExtendedPair scaled = twoProduct(square.high, constants.inverseWidthSquared.high,
                                                   constants.inverseWidthSquaredSplit);
            second = -scaled.high;
            point.secondLow = -(scaled.low + (square.high * constants.inverseWidthSquared.low +
                                              squareLow * constants.inverseWidthSquared.high));
        }
    } else {
        const ExtendedPair scaled =
            twoProduct(offset.high, constants.inverseWidth.high, constants.inverseWidthSplit);
        point.u = fastTwoSum(scaled.high, scaled.low + (offset.high * constants.inverseWidth.low +
                                                        offset.low * constants.inverseWidth.high));
        const ExtendedPair difference = twoSum(constants.scaledRate.high, -point.u.high);
        point.z =
            fastTwoSum(difference.high, difference.low + (constants.scaledRate.low - point.u.low));
        if (point.z.high > 0.0L) {
            if (point.u.high < kVanishingBelow)
                return 0.0L;
            point.form = Form::response;
            const ExtendedPair square = twoSquare(point.u.high);
            point.firstLow = -(square.low + 2.0L * point.u.high * point.u.low);
            return -square.high;
        }
        point.form = Form::decay;
        point.second = constants.derivatives || !(point.z.high < kComplementIsTwoBelow);
        if (point.second) {
            const ExtendedPair square = twoSquare(point.z.high);
            second = -square.high;
            point.secondLow = -(square.low + 2.0L * point.z.high * point.z.low);
        }
    }
    // A = a^2 - k (t - mu).
    const ExtendedPair product = twoProduct(offset.high, constants.rate, constants.rateSplit);
    const long double productLow = product.low + constants.rate * offset.low;
    const ExtendedPair exponent = twoSum(constants.scaledRateSquared.high, -product.high);
    const ExtendedPair normalised =
        fastTwoSum(exponent.high, exponent.low + (constants.scaledRateSquared.low - productLow));
    point.firstLow = normalised.low;
    return normalised.high;
}

// high * (1 + low) * (pairHigh + pairLow), rounded once.
long double productOf(long double high, long double low, long double pairHigh,
                      long double pairLow) {
    const ExtendedPair product = twoProduct(high, pairHigh);
    return product.high + (product.low + high * (pairLow + pairHigh * low));
}

// Writes output `index` of the wanted columns.
void put(const ResponseColumns& columns, int index, long double value, long double dLogRate,
         long double dCentre, long double dWidth) {
    columns.value[index] = value;
    if (columns.dLogRate != nullptr)
        columns.dLogRate[index] = dLogRate;
    if (columns.dCentre != nullptr)
        columns.dCentre[index] = dCentre;
    if (columns.dWidth != nullptr)
        columns.dWidth[index] = dWidth;
}

// A response-form point's value and derivatives into `index` of the columns
// (the value column always, the others when wanted).
void finishResponse(const ColumnConstants& constants, const Point& point, long double first,
                    const ResponseColumns& columns, int index) {
    const ErfcxValue scaled = erfcxOfPair(point.z.high, point.z.low);
    const long double value = 0.5L * productOf(first, point.firstLow, scaled.high, scaled.low);
    if (!constants.derivatives) {
        columns.value[index] = value;
        return;
    }
    const long double a = constants.scaledRate.high;
    const long double u = point.u.high;
    const long double e = first + first * point.firstLow;
    const long double shape = erfcxShape(point.z.high, point.z.low, scaled);
    const long double sqrtPiR = kSqrtPiHigh * (scaled.high + scaled.low);
    put(columns, index, value, (constants.logRateFactor * e) * shape,
        (constants.centreFactor * e) * (shape + u * sqrtPiR),
        (constants.widthFactor * e) * ((a + u) * shape + (u * u) * sqrtPiR));
}

// A decay-form point's, likewise.
void finishDecay(const ColumnConstants& constants, const Point& point, long double first,
                 long double second, const ResponseColumns& columns, int index) {
    long double value;
    if (point.form == Form::lateDecay || point.z.high < kComplementIsTwoBelow) {
        value = first + first * point.firstLow;
    } else {
        // erfc(z) = 2 - erfc(-z), erfc(-z) = e^(-z^2) erfcx(-z).
        const ErfcxValue scaled = erfcxOfPair(-point.z.high, -point.z.low);
        const ExtendedPair complement = twoProduct(second, scaled.high);
        const long double complementLow =
            complement.low + second * (scaled.low + scaled.high * point.secondLow);
        const ExtendedPair twoMinus = fastTwoSum(2.0L, -complement.high);
        value =
            0.5L * productOf(first, point.firstLow, twoMinus.high, twoMinus.low - complementLow);
    }
    if (!constants.derivatives) {
        columns.value[index] = value;
        return;
    }
    const long double a = constants.scaledRate.high;
    // e = e^(-u^2): the second exponential long after the rise, else e^A e^(-z^2).
    long double e;
    if (point.form == Form::lateDecay) {
        e = second + second * point.secondLow;
    } else {
        const long double both = first * second;
        e = both + both * (point.firstLow + point.secondLow);
    }
    put(columns, index, value, (2.0L * a) * point.z.high * value - constants.logRateFactor * e,
        constants.rate * value - constants.centreFactor * e,
        constants.rateSquaredWidth * value - (constants.widthFactor * e) * (a + point.u.high));
}

// Points [0, count) of the times, count <= kChunk, into [0, count) of the
// columns.
template <class Time>
FloatingPointFaults chunk(const ColumnConstants& constants, const Time* times, int count,
                          const ResponseColumns& columns) {
    Point points[kChunk];
    long double first[kChunk] = {};
    long double second[kChunk];  // of the points that have one, in order
    int seconds = 0;
    for (int i = 0; i < count; ++i) {
        first[i] =
            preparePoint(constants, static_cast<long double>(times[i]), points[i], second[seconds]);
        seconds += points[i].second ? 1 : 0;
    }
    FloatingPointFaults faults = extendedExpBlock(first, first, count);
    faults |= extendedExpBlock(second, second, seconds);
    for (int i = 0, s = 0; i < count; ++i) {
        const Point& point = points[i];
        switch (point.form) {
            case Form::vanishing:
                put(columns, i, 0.0L, 0.0L, 0.0L, 0.0L);
                break;
            case Form::response:
                finishResponse(constants, point, first[i], columns, i);
                break;
            case Form::lateDecay:
                if (!constants.derivatives) {
                    columns.value[i] = first[i] + first[i] * point.firstLow;
                    break;
                }
                [[fallthrough]];
            case Form::decay:
                finishDecay(constants, point, first[i], second[s++], columns, i);
                break;
        }
    }
    return faults;
}

ResponseColumns shifted(const ResponseColumns& columns, int start) {
    const auto at = [start](long double* column) {
        return column != nullptr ? column + start : nullptr;
    };
    return {at(columns.value), at(columns.dLogRate), at(columns.dCentre), at(columns.dWidth)};
}

// Runs `work` with the thread's fault flags cleared; returns what it raised
// and returned, and restores the flags.
template <class Work>
FloatingPointFaults withOwnFlags(Work work) {
    std::fexcept_t saved;
    std::fegetexceptflag(&saved, FE_ALL_EXCEPT);
    std::feclearexcept(FE_ALL_EXCEPT);
    const FloatingPointFaults returned = work();
    const FloatingPointFaults faults = returned | std::fetestexcept(kFaultFlags);
    std::fesetexceptflag(&saved, FE_ALL_EXCEPT);
    return faults;
}

}  // namespace

FloatingPointFaults responseColumn(long double rate, const GaussianResponse& response,
                                   const double* times, int count, const ResponseColumns& columns) {
    return withOwnFlags([&] {
        const bool derivatives =
            columns.dLogRate != nullptr || columns.dCentre != nullptr || columns.dWidth != nullptr;
        const ColumnConstants constants = constantsOf(rate, response, derivatives);
        FloatingPointFaults faults = 0;
        long double unwanted[kChunk];  // the values, when no one wants them
        for (int start = 0; start < count; start += kChunk) {
            ResponseColumns into = shifted(columns, start);
            if (into.value == nullptr)
                into.value = unwanted;
            faults |= chunk(constants, times + start, std::min(count - start, kChunk), into);
        }
        return faults;
    });
}

ResponseValues responseAt(long double rate, const GaussianResponse& response, long double time) {
    ResponseValues values{};
    values.faults = withOwnFlags([&] {
        const ColumnConstants constants = constantsOf(rate, response, true);
        return chunk(constants, &time, 1,
                     {&values.value, &values.dLogRate, &values.dCentre, &values.dWidth});
    });
    return values;
}

}  // namespace quorvane
