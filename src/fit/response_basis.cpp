// The response basis (method, switching rule and error bound in
// response_basis.h), a chunk of points at a time: the arguments of every
// point's exponentials first, then the exponentials of the chunk as blocks,
// then each point's value and derivatives.
#include "fit/response_basis.h"

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
    long double rate;                // k
    long double centre;              // mu
    ExtendedPair inverseWidth;       // 1/(sigma sqrt 2)
    ExtendedPair inverseWidthSplit;  // inverseWidth.high in 32 + 32 bits
    ExtendedPair scaledRate;         // a = k sigma / sqrt 2
    ExtendedPair scaledRateSquared;  // a^2
    long double logRateFactor;       // a / sqrt(pi)
    long double centreFactor;        // 1 / (sigma sqrt(2 pi))
    long double widthFactor;         // 1 / (sigma sqrt(pi))
    long double rateSquaredWidth;    // k^2 sigma
    bool derivatives;
};

ColumnConstants constantsOf(long double rate, const GaussianResponse& response, bool derivatives) {
    const long double width = response.width;
    ColumnConstants constants;
    constants.rate = rate;
    constants.centre = response.centre;
    // (1/sqrt 2)/sigma: the quotient, corrected by its exact remainder.
    const long double quotient = kInverseSqrt2High / width;
    const ExtendedPair product = twoProduct(quotient, width);
    const long double remainder =
        ((kInverseSqrt2High - product.high) - product.low) + kInverseSqrt2Low;
    constants.inverseWidth = fastTwoSum(quotient, remainder / width);
    constants.inverseWidthSplit = splitExtended(constants.inverseWidth.high);
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

// One point between the passes. An exponent is high + low; its exponential
// is exp(high) (1 + low).
struct Point {
    ExtendedPair u;         // (t - mu) / (sigma sqrt 2)
    ExtendedPair z;         // a - u
    long double firstLow;   // of -u^2 (response form) or of A (decay form)
    long double secondLow;  // of -z^2 (decay form)
    bool responseForm;
    bool vanishes;
    bool second;  // the decay form needs e^(-z^2)
};

// The point's u and z, and the exponents of its exponentials: the first
// always (a vanishing point gets 0), the second where wanted.
void preparePoint(const ColumnConstants& constants, long double time, Point& point,
                  long double& first, long double& second) {
    const ExtendedPair offset = twoSum(time, -constants.centre);
    const ExtendedPair scaled =
        twoProduct(offset.high, constants.inverseWidth.high, constants.inverseWidthSplit);
    point.u = fastTwoSum(scaled.high, scaled.low + (offset.high * constants.inverseWidth.low +
                                                    offset.low * constants.inverseWidth.high));
    const ExtendedPair difference = twoSum(constants.scaledRate.high, -point.u.high);
    point.z =
        fastTwoSum(difference.high, difference.low + (constants.scaledRate.low - point.u.low));
    point.responseForm = point.z.high > 0.0L;
    point.vanishes = point.responseForm && point.u.high < kVanishingBelow;
    point.second = false;
    if (point.vanishes) {
        first = 0.0L;
        return;
    }
    if (point.responseForm) {
        const ExtendedPair square = twoSquare(point.u.high);
        first = -square.high;
        point.firstLow = -(square.low + 2.0L * point.u.high * point.u.low);
        return;
    }
    // A = a^2 - 2 a u.
    const ExtendedPair product = twoProduct(constants.scaledRate.high, point.u.high);
    const long double productLow = product.low + (constants.scaledRate.high * point.u.low +
                                                  constants.scaledRate.low * point.u.high);
    const ExtendedPair exponent = twoSum(constants.scaledRateSquared.high, -2.0L * product.high);
    const ExtendedPair normalised = fastTwoSum(
        exponent.high, exponent.low + (constants.scaledRateSquared.low - 2.0L * productLow));
    first = normalised.high;
    point.firstLow = normalised.low;
    point.second = constants.derivatives || !(point.z.high < kComplementIsTwoBelow);
    if (point.second) {
        const ExtendedPair square = twoSquare(point.z.high);
        second = -square.high;
        point.secondLow = -(square.low + 2.0L * point.z.high * point.z.low);
    }
}

// high * (1 + low) * (pairHigh + pairLow), rounded once.
long double productOf(long double high, long double low, long double pairHigh,
                      long double pairLow) {
    const ExtendedPair product = twoProduct(high, pairHigh);
    return product.high + (product.low + high * (pairLow + pairHigh * low));
}

// The point's value and derivatives from its exponentials.
void finishPoint(const ColumnConstants& constants, const Point& point, long double first,
                 long double second, ResponseValues& values) {
    if (point.vanishes) {
        values = {0.0L, 0.0L, 0.0L, 0.0L, 0};
        return;
    }
    const long double a = constants.scaledRate.high;
    const long double u = point.u.high;
    if (point.responseForm) {
        const ErfcxValue scaled = erfcxOfPair(point.z.high, point.z.low);
        values.value = 0.5L * productOf(first, point.firstLow, scaled.high, scaled.low);
        if (!constants.derivatives)
            return;
        const long double e = first + first * point.firstLow;
        const long double shape = erfcxShape(point.z.high, point.z.low, scaled);
        const long double sqrtPiR = kSqrtPiHigh * (scaled.high + scaled.low);
        values.dLogRate = (constants.logRateFactor * e) * shape;
        values.dCentre = (constants.centreFactor * e) * (shape + u * sqrtPiR);
        values.dWidth = (constants.widthFactor * e) * ((a + u) * shape + (u * u) * sqrtPiR);
        return;
    }
    if (point.z.high < kComplementIsTwoBelow) {
        values.value = first + first * point.firstLow;
    } else {
        // erfc(z) = 2 - erfc(-z), erfc(-z) = e^(-z^2) erfcx(-z).
        const ErfcxValue scaled = erfcxOfPair(-point.z.high, -point.z.low);
        const ExtendedPair complement = twoProduct(second, scaled.high);
        const long double complementLow =
            complement.low + second * (scaled.low + scaled.high * point.secondLow);
        const ExtendedPair twoMinus = fastTwoSum(2.0L, -complement.high);
        values.value =
            0.5L * productOf(first, point.firstLow, twoMinus.high, twoMinus.low - complementLow);
    }
    if (!constants.derivatives)
        return;
    const long double c = values.value;
    const long double both = first * second;
    const long double e = both + both * (point.firstLow + point.secondLow);
    values.dLogRate = (2.0L * a) * point.z.high * c - constants.logRateFactor * e;
    values.dCentre = constants.rate * c - constants.centreFactor * e;
    values.dWidth = constants.rateSquaredWidth * c - (constants.widthFactor * e) * (a + u);
}

// Points [0, count) of the times, count <= kChunk; writes values[0..count).
template <class Time>
FloatingPointFaults chunk(const ColumnConstants& constants, const Time* times, int count,
                          ResponseValues* values) {
    Point points[kChunk];
    long double first[kChunk];
    long double second[kChunk];
    int secondOf[kChunk];  // the points with a second exponential, in order
    int seconds = 0;
    for (int i = 0; i < count; ++i) {
        preparePoint(constants, static_cast<long double>(times[i]), points[i], first[i],
                     second[seconds]);
        if (points[i].second)
            secondOf[seconds++] = i;
    }
    FloatingPointFaults faults = extendedExpBlock(first, first, count);
    faults |= extendedExpBlock(second, second, seconds);
    long double secondOfPoint[kChunk];
    for (int s = 0; s < seconds; ++s)
        secondOfPoint[secondOf[s]] = second[s];
    for (int i = 0; i < count; ++i)
        finishPoint(constants, points[i], first[i], points[i].second ? secondOfPoint[i] : 0.0L,
                    values[i]);
    return faults;
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
        ResponseValues values[kChunk];
        for (int start = 0; start < count; start += kChunk) {
            const int length = count - start < kChunk ? count - start : kChunk;
            faults |= chunk(constants, times + start, length, values);
            for (int i = 0; i < length; ++i) {
                if (columns.value != nullptr)
                    columns.value[start + i] = values[i].value;
                if (columns.dLogRate != nullptr)
                    columns.dLogRate[start + i] = values[i].dLogRate;
                if (columns.dCentre != nullptr)
                    columns.dCentre[start + i] = values[i].dCentre;
                if (columns.dWidth != nullptr)
                    columns.dWidth[start + i] = values[i].dWidth;
            }
        }
        return faults;
    });
}

ResponseValues responseAt(long double rate, const GaussianResponse& response, long double time) {
    ResponseValues values{};
    values.faults = withOwnFlags([&] {
        const ColumnConstants constants = constantsOf(rate, response, true);
        return chunk(constants, &time, 1, &values);
    });
    return values;
}

}  // namespace quorvane
