// The extended exponential (method and error analysis in extended_exp.h)
// written once for any number of lanes. Each evaluation path includes this
// header in a translation unit compiled for its own instruction set and
// instantiates it with its lane types; everything here has internal linkage,
// so the copies for different instruction sets never merge.
//
// A lane type L provides:
//   L::Double, L::Int      one double / one unsigned 64-bit integer per lane,
//                          with the usual operators (GCC vector extensions)
//   L::Mask                what comparing two of them gives; & and | combine
//   L::doubles(v), L::integers(v)   every lane set to v
//   L::bits(d), L::fromBits(i)      reinterpretation of the 64 bits
//   L::twoProduct(a, b, high, low)  high + low = a * b exactly
//   L::multiplyAdd(a, b, c)         a * b + c, rounded once or twice
//   L::table(index, high, low)      kPowersOfTwo[index]
//
// An extended argument enters as its significand (64 bits, explicit integer
// bit) and its sign-and-exponent field (16 bits, bias 16383); the result
// leaves the same way.
#pragma once

#include <cstdint>

#include "data/exp_table.h"

namespace quorvane::exp_kernel {
namespace {

using Bits = std::uint64_t;

constexpr Bits kFraction = (Bits{1} << 52) - 1;  // fraction field of a double
constexpr Bits kImplicitBit = Bits{1} << 52;
constexpr Bits kTopBit = Bits{1} << 63;
constexpr Bits kExtendedExponentMask = 0x7FFF;
constexpr Bits kExtendedSignBit = 0x8000;
constexpr Bits kExtendedBias = 16383;
constexpr Bits kInfinityOrNanExponent = 0x7FFF;
// |x| < 2^-70 rounds to 1; |x| >= 2^14 is +0, an overflow, inf or NaN.
constexpr Bits kSmallestOrdinaryExponent = kExtendedBias - 70;
constexpr Bits kLargestOrdinaryExponent = kExtendedBias + 13;
// Below the first, +0; from the second on, an overflow.
constexpr double kUnderflowArgument = -11400.0;
constexpr double kOverflowArgument = 11357.0;
// -16000 = -0xF.Ap10, an ordinary argument far below the first.
constexpr Bits kMinus16000Significand = 0xFA00000000000000;
constexpr Bits kMinus16000SignAndExponent = 0x8000 | (kExtendedBias + 13);

// Adding 1.5 * 2^52 rounds |v| < 2^51 to an integer (to nearest even),
// which then stands in the low bits of the sum.
constexpr double kRoundingShift = 0x1.8p52;
constexpr Bits kRoundingShiftBits = 0x4338000000000000;
constexpr Bits kTwoTo52Bits = 0x4330000000000000;

// 256/ln 2, and ln2/256 = kStep1 + kStep2 + kStep3 (+ 2^-128.5): kStep1 and
// kStep2 have 29 significant bits, so N * kStep1 and N * kStep2 are exact
// for |N| < 2^23.
constexpr double kInverseStep = 0x1.71547652b82fep+8;
constexpr double kStep1 = 0x1.62e42ffp-9;
constexpr double kStep2 = -0x1.718432ap-43;
constexpr double kStep3 = -0x1.b0e2633fe0685p-75;

// 1/6 as a double-double; the Taylor coefficients 1/24 .. 1/40320.
constexpr double kSixthHigh = 0x1.5555555555555p-3;
constexpr double kSixthLow = 0x1.5555555555555p-57;
constexpr double kCoefficient4 = 0x1.5555555555555p-5;
constexpr double kCoefficient5 = 0x1.1111111111111p-7;
constexpr double kCoefficient6 = 0x1.6c16c16c16c17p-10;
constexpr double kCoefficient7 = 0x1.a01a01a01a01ap-13;
constexpr double kCoefficient8 = 0x1.a01a01a01a01ap-16;

// A remainder of at least this size (in units of the last place of the
// result) is too close to a half for the error bound to decide the rounding.
constexpr double kUndecidedRemainder = 0.5 - 0x1p-23;

// high + low = a + b exactly, any a and b.
template <class Double>
inline void twoSum(Double a, Double b, Double& high, Double& low) {
    high = a + b;
    const Double bPart = high - a;
    low = (a - (high - bPart)) + (b - bPart);
}

// high + low = a + b exactly, for |a| >= |b| (or a = 0).
template <class Double>
inline void fastTwoSum(Double a, Double b, Double& high, Double& low) {
    high = a + b;
    low = b - (high - a);
}

// The argument as the double-double xh + xl, exact for an ordinary exponent
// (kSmallestOrdinaryExponent..kLargestOrdinaryExponent): xh holds the leading
// 53 bits of the significand, xl the last 11.
template <class L>
inline void splitArgument(typename L::Int significand, typename L::Int signAndExponent,
                          typename L::Double& high, typename L::Double& low) {
    using Int = typename L::Int;
    const Int exponent = signAndExponent & kExtendedExponentMask;
    const Int sign = (signAndExponent & kExtendedSignBit) << 48;
    // Double exponents: 2^(e - 16383) and 2^(e - 16383 - 63), biased by 1023.
    high = L::fromBits(sign | ((exponent - (kExtendedBias - 1023)) << 52) |
                       ((significand >> 11) & kFraction));
    const typename L::Double lastBits = L::fromBits((significand & 0x7FF) | kTwoTo52Bits) - 0x1p52;
    low = lastBits * L::fromBits(sign | ((exponent - (kExtendedBias + 63 - 1023)) << 52));
}

// For x = xh + xl in [-11400, 11357): N = round(x * 256/ln 2) and
// Y = yh + yl ~ e^x / 2^floor(N/256), relative error below 2^-91.
template <class L>
inline void scaledExponential(typename L::Double xh, typename L::Double xl, typename L::Double& yh,
                              typename L::Double& yl, typename L::Int& n) {
    using Double = typename L::Double;
    const Double shifted = L::multiplyAdd(xh, L::doubles(kInverseStep), L::doubles(kRoundingShift));
    const Double nearest = shifted - kRoundingShift;
    n = L::bits(shifted) - kRoundingShiftBits;  // two's complement

    // r = x - N ln2/256 = rh + rl.
    const Double reduced = xh - nearest * kStep1;
    Double sum1, error1, sum2, error2, rh, rl;
    twoSum(reduced, -(nearest * kStep2), sum1, error1);
    twoSum(sum1, xl, sum2, error2);
    twoSum(sum2, L::multiplyAdd(nearest, L::doubles(-kStep3), error1 + error2), rh, rl);

    Double th, tl;
    L::table(n & ((Bits{1} << kPowerOfTwoTableBits) - 1), th, tl);

    // Q(r) = 1/24 + r/120 + ... + r^4/40320.
    Double q = L::multiplyAdd(rh, L::doubles(kCoefficient8), L::doubles(kCoefficient7));
    q = L::multiplyAdd(rh, q, L::doubles(kCoefficient6));
    q = L::multiplyAdd(rh, q, L::doubles(kCoefficient5));
    q = L::multiplyAdd(rh, q, L::doubles(kCoefficient4));
    // s = r^2, then G = 1/2 + r/6 + r^2 Q = gh + gl.
    Double sh, sl;
    L::twoProduct(rh, rh, sh, sl);
    sl = L::multiplyAdd(rh + rh, rl, sl);
    Double sixthHigh, sixthLow;
    L::twoProduct(rh, L::doubles(kSixthHigh), sixthHigh, sixthLow);
    sixthLow = sixthLow +
               L::multiplyAdd(sh, q, L::multiplyAdd(rl, L::doubles(kSixthHigh), rh * kSixthLow));
    Double gh, gl;
    fastTwoSum(L::doubles(0.5), sixthHigh, gh, gl);
    gl = gl + sixthLow;
    // H = s G, then P = r + H = e^r - 1.
    Double hh, hl;
    L::twoProduct(sh, gh, hh, hl);
    hl = hl + L::multiplyAdd(sh, gl, sl * gh);
    Double ph, pl;
    fastTwoSum(rh, hh, ph, pl);
    pl = pl + (rl + hl);
    // Y = T + T P.
    Double uh, ul;
    L::twoProduct(th, ph, uh, ul);
    ul = ul + L::multiplyAdd(th, pl, tl * ph);
    fastTwoSum(th, uh, yh, yl);
    yl = yl + (tl + ul);
}

// Rounds 2^floor(N/256) * Y to an extended number with a normal 64-bit
// significand: `significand`, and `biasedExponent` (of the extended format;
// outside 1..32766 the result is subnormal or overflows and these are of no
// use). `undecided` marks lanes whose rounding the error bound leaves open.
template <class L>
inline void roundToNormal(typename L::Double yh, typename L::Double yl, typename L::Int n,
                          typename L::Int& significand, typename L::Int& biasedExponent,
                          typename L::Mask& undecided) {
    using Int = typename L::Int;
    using Double = typename L::Double;
    const Int yBits = L::bits(yh);
    const Int yExponent = yBits >> 52;  // of yh, biased by 1023
    const Int fraction = yBits & kFraction;
    // yh a power of two and yl < 0: Y lies in the binade below yh.
    const Int below = ((fraction == 0) & (yl < 0.0)) ? L::integers(1) : L::integers(0);
    // 16383 + floor(N/256) + floor(log2 Y); N + 2^40 > 0 makes the shift a floor.
    constexpr Bits kExponentOffset = kExtendedBias - 1023 - (Bits{1} << 32);
    Int exponent = ((n + (Bits{1} << 40)) >> 8) + (yExponent - below) + kExponentOffset;
    // yl in units of the last place of the result, 2^(floor(log2 Y) - 63).
    const Double lastPlace = yl * L::fromBits(((2 * 1023 + 63) - yExponent + below) << 52);
    const Double shifted = lastPlace + kRoundingShift;
    const Double remainder = lastPlace - (shifted - kRoundingShift);
    // The leading 53 bits of the significand come from yh, exact; the
    // rounded remainder is added to them (mod 2^64: when yh is a power of
    // two and Y below it, 2^64 + a negative remainder).
    Int sum = ((fraction | kImplicitBit) << (below + 11)) + (L::bits(shifted) - kRoundingShiftBits);
    // A carry out of the 64 bits: the result is the next power of two.
    const typename L::Mask carried = sum == 0;
    significand = carried ? L::integers(kTopBit) : sum;
    biasedExponent = exponent + (carried ? L::integers(1) : L::integers(0));
    undecided = L::fromBits(L::bits(remainder) & ~kTopBit) >= kUndecidedRemainder;
}

// e^x for every lane. Returns the lanes left to the one-at-a-time
// evaluation: NaN, +inf, invalid encodings, an overflow or a subnormal
// result, and the rare undecided rounding; their outputs are of no use.
template <class L>
inline typename L::Mask exponentialLanes(typename L::Int significand,
                                         typename L::Int signAndExponent,
                                         typename L::Int& resultSignificand,
                                         typename L::Int& resultSignAndExponent) {
    using Int = typename L::Int;
    using Double = typename L::Double;
    using Mask = typename L::Mask;
    const Int exponent = signAndExponent & kExtendedExponentMask;
    const Mask tiny = exponent < kSmallestOrdinaryExponent;
    const Mask large = exponent > kLargestOrdinaryExponent;
    const Mask ordinary =
        (exponent >= kSmallestOrdinaryExponent) & (exponent <= kLargestOrdinaryExponent);
    // -inf and the large negative arguments give +0 below; the other large
    // ones (+inf, NaN, an overflow) are left.
    const Mask largeLeft = large & (((signAndExponent & kExtendedSignBit) == 0) |
                                    (exponent == kInfinityOrNanExponent));
    // Encodings with a non-zero exponent and no integer bit (which no
    // arithmetic produces) are invalid operands, as on the x87 unit: left.
    const Mask unnormal = (exponent != 0) & ((significand & kTopBit) == 0);

    // Other lanes are given the argument -16000, out of range below, so that
    // nothing here meets an infinity or a NaN.
    Double xh, xl;
    splitArgument<L>(ordinary ? significand : L::integers(kMinus16000Significand),
                     ordinary ? signAndExponent : L::integers(kMinus16000SignAndExponent), xh, xl);
    const Mask overflowing = xh >= kOverflowArgument;
    const Mask inRange = (xh >= kUnderflowArgument) & (xh < kOverflowArgument);
    xh = inRange ? xh : L::doubles(0.0);
    xl = inRange ? xl : L::doubles(0.0);

    Double yh, yl;
    Int n;
    scaledExponential<L>(xh, xl, yh, yl, n);
    Int roundedSignificand, biasedExponent;
    Mask undecided;
    roundToNormal<L>(yh, yl, n, roundedSignificand, biasedExponent, undecided);
    const Mask notNormal = biasedExponent - 1 >= L::integers(kInfinityOrNanExponent - 1);

    // Tiny arguments give 1; large negative and below -11400, +0.
    const Int zero = L::integers(0);
    resultSignificand = inRange ? roundedSignificand : (tiny ? L::integers(kTopBit) : zero);
    resultSignAndExponent = inRange ? biasedExponent : (tiny ? L::integers(kExtendedBias) : zero);
    return largeLeft | unnormal | overflowing | (inRange & (undecided | notNormal));
}

}  // namespace
}  // namespace quorvane::exp_kernel
