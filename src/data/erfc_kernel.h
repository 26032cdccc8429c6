// The core of the extended erfc and erfcx (extended_erfc.h) and of the
// instrument-response basis (fit/response_basis.h): the scaled
// complementary error function erfcx(x) = e^(x^2) erfc(x) for x >= 0 as an
// unrounded sum high + low, accurate well beyond the 64 bits of the result,
// so that a product with an exponential or a difference from 2 is rounded
// once at the end.
//
// Method. For x < 16, erfcx(x) = p(x - centre), p a polynomial of degree 10
// on one of 145 pieces (erfcx_table.h): [0, 2^-6) with centre 0, then each
// binade [2^e, 2^(e+1)), e = -6..3, cut into 8, 16 or 32 equal pieces,
// centre the middle of the piece. The piece comes from the exponent and
// the leading significand bits of x rounded to double, and d = x - centre
// is exact (both lie within a factor 2, or d = x). With
//   q = (c1 + ... + c5 d^4) + d^5 (c6 + ... + c10 d^4)
// (two chains of Horner's rule, for a shorter latency),
//   high + low = c0 + d q,
// c0 = c0high + c0low, summed without error (fastTwoSum) before c0low is
// added. For x >= 16, erfcx(x) = (1/(x sqrt(pi))) (1 + v T(v)), v = 1/x^2,
// T a polynomial of degree 8 on [0, 1/256]: 1/x and its product with
// 1/sqrt(pi) are carried as pairs (Dekker's exact products), v T(v) is
// formed in extended precision and added as a relative correction.
//
// Error analysis, relative to erfcx(x):
// - The rounded polynomials (Chebyshev interpolants computed at 150 digits,
//   coefficients rounded to extended, c0 as a pair) differ from erfcx by at
//   most 2^-69.89 on their pieces, the tail's 1 + v T(v) by 2^-77.0
//   (scripts/generate_erfcx_table.py checks every piece).
// - Evaluation: on every piece |d q| <= 2^-5.28 |p|, so the rounding of q
//   (below 2.2 * 2^-64 of it) and of d q (2^-64) amount to below 2^-67.6;
//   the addition of c0low rounds below 2^-127. In the tail, |v T| <= 2^-9
//   and the pairs carry 2^-120: below 2^-71.
// Altogether |high + low - erfcx(x)| < 2^-67 erfcx(x) (at most 1/8 unit in
// the last place; the largest seen on 2 * 10^5 arguments: 0.06 * 2^-64),
// for every x in [0, 2^16000).
//
// erfcxShape gives sqrt(pi) x erfcx(x) - 1 = (sqrt(pi)/2) erfcx'(x), which
// tends to -1/(2x^2): the tail has it directly as v T(v) (relative error
// below 2^-71); below 16 it is formed from the pair with an absolute error
// below 2^-67.4, relatively below 2^-58.4 at x = 16 and less below.
#pragma once

#include <bit>
#include <cstdint>

#include "data/erfcx_table.h"
#include "data/extended_pair.h"

namespace quorvane::erfc_kernel {

// 1/sqrt(pi), sqrt(pi) as pairs; 2/sqrt(pi) rounded.
inline constexpr long double kInverseSqrtPiHigh = 0x1.20dd750429b6d11ap-1L;
inline constexpr long double kInverseSqrtPiLow = 0x1.c75229fdaffb0d10p-66L;
inline constexpr long double kSqrtPiHigh = 0x1.c5bf891b4ef6aa7ap+0L;
inline constexpr long double kSqrtPiLow = -0x1.e27d6f9512363e00p-67L;
inline constexpr long double kTwoOverSqrtPi = 0x1.20dd750429b6d11ap+0L;

// From here on erfcx(x) = 1/(x sqrt(pi)) to far below an ulp; the pairs of
// the tail would overflow in Dekker's splitting near the largest numbers.
inline constexpr long double kErfcxHugeArgument = 0x1p16000L;

static_assert(kErfcxDegree == 10, "erfcxOfNonNegative evaluates degree 10");

struct ErfcxValue {
    long double high;
    long double low;
    // sqrt(pi) x erfcx(x) - 1, only for x >= kErfcxTailStart (else 0).
    long double shape;
};

// erfcx(x) for 0 <= x < kErfcxHugeArgument (x = -0 included).
inline ErfcxValue erfcxOfNonNegative(long double x) {
    if (x < kErfcxTailStart) {
        // The piece comes from x rounded to double: where that crosses a
        // piece's end, the neighbour's polynomial holds as well 2^-53 x
        // beyond its own (the last one up to 16).
        const double rounded = static_cast<double>(x);
        const auto bits = std::bit_cast<std::uint64_t>(rounded);
        const int exponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;  // -0 too
        int index = 0;
        if (rounded >= static_cast<double>(kErfcxTailStart)) {
            index = kErfcxPieceCount - 1;
        } else if (exponent >= kErfcxFirstBinade) {
            const ErfcxBinade& binade = kErfcxBinades[exponent - kErfcxFirstBinade];
            const auto piece =
                static_cast<int>((bits >> (52 - binade.bits)) & ((1u << binade.bits) - 1));
            index = binade.first + piece;
        }
        const ErfcxPiece& polynomial = kErfcxPieces[index];
        const long double d = x - polynomial.centre;  // exact: x and centre within a factor 2
        const long double* c = polynomial.coefficients;
        // q = c1 + c2 d + ... + c10 d^9 in two chains of Horner's rule.
        long double lower = c[6];
        for (int j = 5; j >= 2; --j)
            lower = c[j] + d * lower;
        long double upper = c[11];
        for (int j = 10; j >= 7; --j)
            upper = c[j] + d * upper;
        const long double d2 = d * d;
        const long double q = lower + ((d2 * d2) * d) * upper;
        const ExtendedPair sum = fastTwoSum(c[0], d * q);
        return {sum.high, sum.low + c[1], 0.0L};
    }
    // y = 1/x = yHigh + yLow, then q = y/sqrt(pi) as a pair.
    const long double yHigh = 1.0L / x;
    const ExtendedPair xy = twoProduct(x, yHigh);
    const long double yLow = yHigh * ((1.0L - xy.high) - xy.low);
    const ExtendedPair q = twoProduct(kInverseSqrtPiHigh, yHigh);
    const long double qLow = q.low + (kInverseSqrtPiHigh * yLow + kInverseSqrtPiLow * yHigh);
    const long double v = yHigh * yHigh;
    long double t = kErfcxTail[kErfcxTailDegree];
    for (int j = kErfcxTailDegree - 1; j >= 0; --j)
        t = kErfcxTail[j] + v * t;
    const long double shape = v * t;
    const ExtendedPair sum = fastTwoSum(q.high, qLow + q.high * shape);
    return {sum.high, sum.low, shape};
}

// erfcx(x + dx) for a small dx (below 2^-60 x): the value at x corrected by
// dx erfcx'(x) = dx (2/sqrt(pi)) shape in its low part (and the tail's
// shape by dx shape'(x) = -2 dx shape / x to first order).
inline ErfcxValue erfcxOfPair(long double x, long double dx) {
    ErfcxValue value = erfcxOfNonNegative(x);
    if (x >= kErfcxTailStart) {
        value.low = value.low + dx * (kTwoOverSqrtPi * value.shape);
        value.shape = value.shape - (2.0L * value.shape) * (dx / x);
        return value;
    }
    const long double roughShape = (kSqrtPiHigh * x) * value.high - 1.0L;  // for a correction
    value.low = value.low + dx * (kTwoOverSqrtPi * roughShape);
    return value;
}

// sqrt(pi) (x + dx) erfcx(x + dx) - 1 for the x, dx and value of
// erfcxOfPair (dx = 0: of erfcxOfNonNegative).
inline long double erfcxShape(long double x, long double dx, const ErfcxValue& value) {
    if (x >= kErfcxTailStart)
        return value.shape;
    const ExtendedPair scaled = twoProduct(kSqrtPiHigh, x);
    const long double scaledLow = scaled.low + kSqrtPiHigh * dx + kSqrtPiLow * x;
    const ExtendedPair product = twoProduct(scaled.high, value.high);
    const long double productLow = product.low + (scaled.high * value.low + scaledLow * value.high);
    return (product.high - 1.0L) + productLow;
}

}  // namespace quorvane::erfc_kernel
