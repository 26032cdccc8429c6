// The block form of the extended exponential on AVX2 with FMA: four
// arguments at once. Everything below the target line uses the instruction
// set (and no template of a library header is used there, whose
// instantiation could be shared with other translation units);
// extendedExpBlock calls it when the processor has AVX2 and no AVX-512.
#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "data/exp_paths.h"
#include "data/exp_table.h"

#pragma GCC target("avx2,fma")

#include "data/exp_kernel.h"

namespace quorvane {

namespace {

typedef double Doubles4 __attribute__((vector_size(32)));
typedef std::uint64_t Integers4 __attribute__((vector_size(32)));

struct Avx2Lanes {
    using Double = Doubles4;
    using Int = Integers4;
    using Mask = decltype(Doubles4{} < Doubles4{});
    static Double doubles(double value) { return Double{} + value; }
    static Int integers(std::uint64_t value) { return Int{} + value; }
    static Int bits(Double value) { return reinterpret_cast<Int>(value); }
    static Double fromBits(Int value) { return reinterpret_cast<Double>(value); }
    static void twoProduct(Double a, Double b, Double& high, Double& low) {
        high = a * b;
        low = reinterpret_cast<Double>(_mm256_fmsub_pd(reinterpret_cast<__m256d>(a),
                                                       reinterpret_cast<__m256d>(b),
                                                       reinterpret_cast<__m256d>(high)));
    }
    static Double multiplyAdd(Double a, Double b, Double c) {
        return reinterpret_cast<Double>(_mm256_fmadd_pd(reinterpret_cast<__m256d>(a),
                                                        reinterpret_cast<__m256d>(b),
                                                        reinterpret_cast<__m256d>(c)));
    }
    static void table(Int index, Double& high, Double& low) {
        const auto entry = reinterpret_cast<__m256i>(index << 1);
        const auto* table = reinterpret_cast<const double*>(kPowersOfTwo);
        high = reinterpret_cast<Double>(_mm256_i64gather_pd(table, entry, 8));
        low = reinterpret_cast<Double>(_mm256_i64gather_pd(table + 1, entry, 8));
    }
};

constexpr int kLanes = 4;

// Four extended numbers (16 bytes each: the significand, then the sign and
// exponent in the next 2 bytes) as their two fields, and back.
void loadFields(const long double* values, Integers4& significands, Integers4& signAndExponents) {
    const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values));
    const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values + 2));
    // Unpacking gives the lanes in the order 0, 2, 1, 3.
    constexpr int kInOrder = 0b11011000;
    significands = reinterpret_cast<Integers4>(
        _mm256_permute4x64_epi64(_mm256_unpacklo_epi64(first, second), kInOrder));
    signAndExponents = reinterpret_cast<Integers4>(_mm256_permute4x64_epi64(
                           _mm256_unpackhi_epi64(first, second), kInOrder)) &
                       0xFFFF;
}

void storeFields(long double* values, Integers4 significands, Integers4 signAndExponents) {
    constexpr int kUnpackOrder = 0b11011000;  // 0, 2, 1, 3
    const __m256i low =
        _mm256_permute4x64_epi64(reinterpret_cast<__m256i>(significands), kUnpackOrder);
    const __m256i high =
        _mm256_permute4x64_epi64(reinterpret_cast<__m256i>(signAndExponents), kUnpackOrder);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(values), _mm256_unpacklo_epi64(low, high));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(values + 2), _mm256_unpackhi_epi64(low, high));
}

// results[0..3] = e^arguments[0..3]; the lanes the kernel leaves are done
// one at a time.
void exponentialsOfFour(const long double* arguments, long double* results,
                        FloatingPointFaults& faults) {
    Integers4 significands, signAndExponents, resultSignificands, resultSignAndExponents;
    loadFields(arguments, significands, signAndExponents);
    const auto left = exp_kernel::exponentialLanes<Avx2Lanes>(
        significands, signAndExponents, resultSignificands, resultSignAndExponents);
    const unsigned leftLanes = _mm256_movemask_pd(reinterpret_cast<__m256d>(left));
    if (leftLanes == 0) {
        storeFields(results, resultSignificands, resultSignAndExponents);
        return;
    }
    long double saved[kLanes];  // the arguments, which the results may overwrite
    std::memcpy(saved, arguments, sizeof saved);
    storeFields(results, resultSignificands, resultSignAndExponents);
    for (int lane = 0; lane < kLanes; ++lane) {
        if (leftLanes & (1u << lane))
            results[lane] = exponentialWithFaults(saved[lane], faults);
    }
}

}  // namespace

FloatingPointFaults exponentialBlockAvx2(const long double* arguments, long double* results,
                                         int count) {
    FloatingPointFaults faults = 0;
    int i = 0;
    for (; i + kLanes <= count; i += kLanes)
        exponentialsOfFour(arguments + i, results + i, faults);
    if (i < count) {
        long double padded[kLanes] = {};
        std::memcpy(padded, arguments + i, (count - i) * sizeof(long double));
        exponentialsOfFour(padded, padded, faults);
        std::memcpy(results + i, padded, (count - i) * sizeof(long double));
    }
    return faults;
}

}  // namespace quorvane
