// erfc and erfcx in extended precision (method and error analysis in
// extended_erfc.h), from erfcx(|x|) as a pair (erfc_kernel.h) and
// extendedExp.
#include "data/extended_erfc.h"

#include <limits>

#include "data/erfc_kernel.h"
#include "data/extended_exp.h"

namespace quorvane {

namespace {

using namespace erfc_kernel;

constexpr long double kInfinity = std::numeric_limits<long double>::infinity();

// erfc(x) is below half the smallest subnormal (2^-16446) from 106.7439 on.
constexpr long double kErfcZeroFrom = 106.75L;
// From here on e^(-x^2) may leave the normal numbers: erfc is formed scaled.
constexpr long double kErfcScaledFrom = 106.0L;
// Below -7, erfc(|x|) < 2^-74 and erfcx(|x|) < 2^-70 e^(x^2) vanish beside 2
// and 2 e^(x^2).
constexpr long double kReflectionNegligibleBelow = -7.0L;
// erfcx overflows below -106.5637 (2 e^(x^2) above the largest number).
constexpr long double kErfcxOverflowsBelow = -107.0L;
// An argument whose exponential overflows (extendedExp raises the fault).
constexpr long double kOverflowingExponent = 11357.0L;

// e^-128 * 2^256 as a pair, and the subnormal grid 2^-16445 scaled by 2^256.
constexpr long double kScaledExpMinus128High = 0x1.42eb9f39afb0b088p+71L;
constexpr long double kScaledExpMinus128Low = 0x1.dadd69e87993d8f6p+6L;
constexpr long double kScaledSubnormalGrid = 0x1p-16189L;
constexpr long double kScaledSmallestNormal = 0x1p-16126L;  // 2^63 grid units
constexpr long double kUnscale = 0x1p-256L;

bool isNotANumber(long double argument) {
    return !(argument == argument);  // an unnormal encoding compares unordered too
}

// erfc(x) = e^(-x^2) erfcx(x) as a pair, for 0 <= x < kErfcScaledFrom. The
// exponential comes first: its call then overlaps the polynomial of erfcx.
ExtendedPair complementOfNonNegative(long double x) {
    const ExtendedPair square = twoSquare(x);
    const long double exponential = extendedExp(-square.high);
    const ErfcxValue scaled = erfcxOfNonNegative(x);
    const ExtendedPair product = twoProduct(exponential, scaled.high);
    return {product.high,
            product.low + exponential * (scaled.low - scaled.high * square.low)};
}

// erfc(x) for kErfcScaledFrom <= x < kErfcZeroFrom, rounded once to the
// grid of its binade or, below 2^-16382, to the subnormal grid.
long double complementNearUnderflow(long double x, const ErfcxValue& scaled) {
    const ExtendedPair square = twoSquare(x);
    // square.high - 128 is exact: both lie in [8192, 16384).
    const long double exponential = extendedExp(-(square.high - 128.0L));
    const ExtendedPair factor = twoProduct(kScaledExpMinus128High, scaled.high);
    const long double factorLow =
        factor.low + ((kScaledExpMinus128High * scaled.low + kScaledExpMinus128Low * scaled.high) -
                      factor.high * square.low);
    // 2^256 erfc(x) = high + low, a normal number, |low| <= ulp(high) / 2.
    const ExtendedPair product = twoProduct(exponential, factor.high);
    const ExtendedPair scaledComplement =
        fastTwoSum(product.high, product.low + exponential * factorLow);
    const long double high = scaledComplement.high;
    if (high >= kScaledSmallestNormal)
        return high * kUnscale;
    // Adding 2^63 grid units rounds high to the grid; the remainder, below
    // one grid unit, decides the rounding of high + low (never a tie:
    // erfc(x) is no such midpoint).
    const long double head = (kScaledSmallestNormal + high) - kScaledSmallestNormal;
    const long double remainder = (high - head) + scaledComplement.low;
    long double rounded = head;
    if (remainder > 0.5L * kScaledSubnormalGrid)
        rounded = head + kScaledSubnormalGrid;
    else if (remainder < -0.5L * kScaledSubnormalGrid)
        rounded = head - kScaledSubnormalGrid;
    return rounded * kUnscale;  // exact: a multiple of 2^-16445
}

// (1/sqrt(pi))/x for x >= 2^16000 (+0 for +inf). Below 2^16381 (a normal
// result) the quotient of the rounded constant is corrected by the
// remainder of the exact one, formed with q 2^64 and x 2^-64 so that
// Dekker's product stays among the normal numbers: half an ulp and a hair.
// Beyond, the quotient alone (the result is below 2^-16381, subnormal from
// 2^16381.17 on): the constant's error, 2^-64.34 of it, adds at most 0.79
// ulp to the rounding's half.
long double inverseSqrtPiOver(long double x) {
    const long double quotient = kInverseSqrtPiHigh / x;  // +inf gives +0
    if (!(x < 0x1p16381L))
        return quotient;
    const long double scaledQuotient = quotient * 0x1p64L;
    const long double scaledX = x * 0x1p-64L;
    const ExtendedPair product = twoProduct(scaledQuotient, scaledX);  // q x, exactly
    const long double remainder =
        ((kInverseSqrtPiHigh - product.high) - product.low) + kInverseSqrtPiLow;
    return (scaledQuotient + remainder / scaledX) * 0x1p-64L;
}

}  // namespace

long double extendedErfc(long double argument) {
    if (isNotANumber(argument))
        return extendedExp(argument);  // NaN, an invalid operation
    if (argument >= 0.0L) {
        if (argument >= kErfcZeroFrom)
            return 0.0L;
        if (argument >= kErfcScaledFrom)
            return complementNearUnderflow(argument, erfcxOfNonNegative(argument));
        const ExtendedPair complement = complementOfNonNegative(argument);
        return complement.high + complement.low;
    }
    if (argument < kReflectionNegligibleBelow)
        return 2.0L;
    const ExtendedPair complement = complementOfNonNegative(-argument);
    const ExtendedPair difference = fastTwoSum(2.0L, -complement.high);
    return difference.high + (difference.low - complement.low);
}

long double extendedErfcx(long double argument) {
    if (isNotANumber(argument))
        return extendedExp(argument);
    if (argument >= 0.0L) {
        if (argument >= kErfcxHugeArgument)
            return inverseSqrtPiOver(argument);
        const ErfcxValue scaled = erfcxOfNonNegative(argument);
        return scaled.high + scaled.low;
    }
    if (argument < kReflectionNegligibleBelow) {
        if (argument < kErfcxOverflowsBelow)
            return argument == -kInfinity ? kInfinity : extendedExp(kOverflowingExponent);
        const ExtendedPair square = twoSquare(argument);
        const long double exponential = extendedExp(square.high);
        if (exponential == kInfinity)
            return exponential;  // extendedExp raised the overflow
        return 2.0L * (exponential + exponential * square.low);
    }
    const ExtendedPair square = twoSquare(argument);
    const long double twice = 2.0L * extendedExp(square.high);
    const ErfcxValue scaled = erfcxOfNonNegative(-argument);
    const ExtendedPair difference = fastTwoSum(twice, -scaled.high);
    return difference.high + (difference.low + (twice * square.low - scaled.low));
}

}  // namespace quorvane
