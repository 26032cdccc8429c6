// The one-at-a-time path of the extended exponential, in plain x86-64 code
// (no fused multiply-add: exact products by Dekker's splitting), the rare
// cases of every path, and the choice of the block form's path.
#include "data/extended_exp.h"

#include <bit>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

#include "data/exp_kernel.h"
#include "data/exp_paths.h"

namespace quorvane {

namespace {

using namespace exp_kernel;

struct ScalarLanes {
    using Double = double;
    using Int = std::uint64_t;
    using Mask = bool;
    static Double doubles(double value) { return value; }
    static Int integers(std::uint64_t value) { return value; }
    static Int bits(Double value) { return std::bit_cast<Int>(value); }
    static Double fromBits(Int value) { return std::bit_cast<Double>(value); }
    // Splits a into 26 + 26 bits (and the sign).
    static void split(Double a, Double& high, Double& low) {
        const Double scaled = 0x1.0000002p27 * a;  // 2^27 + 1
        high = scaled - (scaled - a);
        low = a - high;
    }
    static void twoProduct(Double a, Double b, Double& high, Double& low) {
        high = a * b;
        Double aHigh, aLow, bHigh, bLow;
        split(a, aHigh, aLow);
        split(b, bHigh, bLow);
        low = (((aHigh * bHigh - high) + aHigh * bLow) + aLow * bHigh) + aLow * bLow;
    }
    static Double multiplyAdd(Double a, Double b, Double c) { return a * b + c; }
    static void table(Int index, Double& high, Double& low) {
        high = kPowersOfTwo[index].high;
        low = kPowersOfTwo[index].low;
    }
};

const long double kInfinity = std::numeric_limits<long double>::infinity();

// 2^floor(N/256) * Y rounded once to the subnormal grid (multiples of
// 2^-16445), for a result below 2^-16382. False when the error bound leaves
// the rounding open.
bool roundToSubnormal(double yh, double yl, std::uint64_t n, long double& result) {
    // In units of 2^-16445: V = Y * 2^(16445 + floor(N/256)) < 2^63, with
    // 16445 + floor(N/256) >= -2 for arguments from -11400 on.
    const auto scaleExponent = static_cast<int>(16445 + (static_cast<std::int64_t>(n) >> 8));
    const double vh = std::ldexp(yh, scaleExponent);
    const double vl = std::ldexp(yl, scaleExponent);
    const double whole = std::nearbyint(vh);
    const double fraction = (vh - whole) + vl;
    const double rounded = std::nearbyint(fraction);
    if (std::fabs(fraction - rounded) >= kUndecidedRemainder)
        return false;
    const std::uint64_t significand =
        static_cast<std::uint64_t>(whole) +
        static_cast<std::uint64_t>(static_cast<std::int64_t>(rounded));
    // Exponent field 0 (subnormal), or 1 when the rounding reached 2^-16382.
    result = extendedFrom(significand, significand >> 63);
    return true;
}

// The lanes exponentialLanes leaves: NaN, +inf, invalid encodings, an
// overflow, a subnormal result and the undecided roundings.
[[gnu::noinline]] long double unusualExponential(long double argument,
                                                 FloatingPointFaults& faults) {
    const ExtendedFields fields = fieldsOf(argument);
    const std::uint64_t exponent = fields.signAndExponent & kExtendedExponentMask;
    const bool negative = (fields.signAndExponent & kExtendedSignBit) != 0;
    if (exponent != 0 && (fields.significand & kTopBit) == 0) {  // no integer bit
        faults |= FE_INVALID;
        return std::numeric_limits<long double>::quiet_NaN();
    }
    if (exponent == kInfinityOrNanExponent) {
        if (fields.significand == kTopBit)
            return negative ? 0.0L : kInfinity;
        faults |= FE_INVALID;
        return extendedFrom(fields.significand | (kTopBit >> 1), fields.signAndExponent);
    }
    if (exponent > kLargestOrdinaryExponent) {  // positive: negative ones gave +0
        faults |= FE_OVERFLOW;
        return kInfinity;
    }
    double xh, xl, yh, yl;
    std::uint64_t n;
    splitArgument<ScalarLanes>(fields.significand, fields.signAndExponent, xh, xl);
    if (xh >= kOverflowArgument) {
        faults |= FE_OVERFLOW;
        return kInfinity;
    }
    scaledExponential<ScalarLanes>(xh, xl, yh, yl, n);
    std::uint64_t significand, biasedExponent;
    bool undecided;
    roundToNormal<ScalarLanes>(yh, yl, n, significand, biasedExponent, undecided);
    if (static_cast<std::int64_t>(biasedExponent) <= 0) {
        long double result;
        if (roundToSubnormal(yh, yl, n, result))
            return result;
    } else if (!undecided) {  // a decided normal result is not left here: an overflow
        faults |= FE_OVERFLOW;
        return kInfinity;
    }
    const long double result = accurateExponential(argument);
    if (std::isinf(result))
        faults |= FE_OVERFLOW;
    return result;
}

// The faults of one call, raised on the x87 unit, where the passes of the
// fit look for them (curve_subtotals.cpp).
[[gnu::noinline]] void raiseFaults(FloatingPointFaults faults) {
    if (faults & FE_OVERFLOW) {
        volatile long double largest = LDBL_MAX;
        largest = largest * 2.0L;
    }
    if (faults & FE_INVALID) {
        volatile long double zero = 0.0L;
        zero = zero / zero;
    }
}

FloatingPointFaults scalarBlock(const long double* arguments, long double* results, int count) {
    FloatingPointFaults faults = 0;
    for (int i = 0; i < count; ++i)
        results[i] = exponentialWithFaults(arguments[i], faults);
    return faults;
}

using BlockFunction = FloatingPointFaults (*)(const long double*, long double*, int);

BlockFunction blockFunction(ExponentialPath path) {
    switch (path) {
        case ExponentialPath::avx512:
            return exponentialBlockAvx512;
        case ExponentialPath::avx2:
            return exponentialBlockAvx2;
        case ExponentialPath::scalar:
            break;
    }
    return scalarBlock;
}

BlockFunction widestBlockFunction() {
    if (exponentialPathAvailable(ExponentialPath::avx512))
        return exponentialBlockAvx512;
    if (exponentialPathAvailable(ExponentialPath::avx2))
        return exponentialBlockAvx2;
    return scalarBlock;
}

}  // namespace

long double exponentialWithFaults(long double argument, FloatingPointFaults& faults) {
    const ExtendedFields fields = fieldsOf(argument);
    std::uint64_t significand, signAndExponent;
    if (exponentialLanes<ScalarLanes>(fields.significand, fields.signAndExponent, significand,
                                      signAndExponent))
        return unusualExponential(argument, faults);
    return extendedFrom(significand, signAndExponent);
}

long double extendedExp(long double argument) {
    FloatingPointFaults faults = 0;
    const long double result = exponentialWithFaults(argument, faults);
    if (faults != 0)
        raiseFaults(faults);
    return result;
}

bool exponentialPathAvailable(ExponentialPath path) {
    __builtin_cpu_init();
    switch (path) {
        case ExponentialPath::avx512:
            return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("fma");
        case ExponentialPath::avx2:
            return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
        case ExponentialPath::scalar:
            break;
    }
    return true;
}

FloatingPointFaults extendedExpBlockOn(ExponentialPath path, const long double* arguments,
                                       long double* results, int count) {
    return blockFunction(path)(arguments, results, count);
}

FloatingPointFaults extendedExpBlock(const long double* arguments, long double* results,
                                     int count) {
    static const BlockFunction widest = widestBlockFunction();
    return widest(arguments, results, count);
}

}  // namespace quorvane
