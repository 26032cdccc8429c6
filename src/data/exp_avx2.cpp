// The block form of the extended exponential on AVX2 with FMA: four
// arguments at once. Everything below the target line uses the instruction
// set (and no template of a library header is used there, whose
// instantiation could be shared with other translation units);
// extendedExpBlock calls it when the processor has AVX2 and no AVX-512.
#include <immintrin.h>

#include <cstdint>

#include "data/exp_paths.h"
#include "data/exp_table.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2,fma"))), apply_to = function)
#else
#pragma GCC target("avx2,fma")
#endif

#include "data/exp_block.h"

namespace quorvane {

namespace {

typedef double Doubles4 __attribute__((vector_size(32)));
typedef std::uint64_t Integers4 __attribute__((vector_size(32)));

struct Avx2Lanes {
    using Double = Doubles4;
    using Int = Integers4;
    using Mask = decltype(Doubles4{} < Doubles4{});
    static constexpr int kLanes = 4;
    static Double doubles(double value) { return Double{} + value; }
    static Int integers(std::uint64_t value) { return Int{} + value; }
    static Int bits(Double value) { return reinterpret_cast<Int>(value); }
    static Double fromBits(Int value) { return reinterpret_cast<Double>(value); }
    static __m256d raw(Double value) { return reinterpret_cast<__m256d>(value); }
    static void twoProduct(Double a, Double b, Double& high, Double& low) {
        high = a * b;
        low = reinterpret_cast<Double>(_mm256_fmsub_pd(raw(a), raw(b), raw(high)));
    }
    static Double multiplyAdd(Double a, Double b, Double c) {
        return reinterpret_cast<Double>(_mm256_fmadd_pd(raw(a), raw(b), raw(c)));
    }
    static void table(Int index, Double& high, Double& low) {
        const auto entry = reinterpret_cast<__m256i>(index << 1);
        const auto* table = reinterpret_cast<const double*>(kPowersOfTwo);
        high = reinterpret_cast<Double>(_mm256_i64gather_pd(table, entry, 8));
        low = reinterpret_cast<Double>(_mm256_i64gather_pd(table + 1, entry, 8));
    }
    static unsigned laneBits(Mask mask) {
        return _mm256_movemask_pd(reinterpret_cast<__m256d>(mask));
    }
    // Four extended numbers of 16 bytes (the significand, then the sign and
    // exponent in the next 2 bytes): two to a register. Unpacking gives and
    // takes the lanes in the order 0, 2, 1, 3.
    static constexpr int kSwapMiddle = 0b11011000;
    static void load(const long double* values, Int& significands, Int& signAndExponents) {
        const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values));
        const __m256i second = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values + 2));
        significands = reinterpret_cast<Int>(
            _mm256_permute4x64_epi64(_mm256_unpacklo_epi64(first, second), kSwapMiddle));
        signAndExponents = reinterpret_cast<Int>(_mm256_permute4x64_epi64(
                               _mm256_unpackhi_epi64(first, second), kSwapMiddle)) &
                           0xFFFF;
    }
    static void store(long double* values, Int significands, Int signAndExponents) {
        const __m256i low =
            _mm256_permute4x64_epi64(reinterpret_cast<__m256i>(significands), kSwapMiddle);
        const __m256i high =
            _mm256_permute4x64_epi64(reinterpret_cast<__m256i>(signAndExponents), kSwapMiddle);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(values), _mm256_unpacklo_epi64(low, high));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(values + 2),
                            _mm256_unpackhi_epi64(low, high));
    }
};

}  // namespace

FloatingPointFaults exponentialBlockAvx2(const long double* arguments, long double* results,
                                         int count) {
    return exp_kernel::exponentialBlock<Avx2Lanes>(arguments, results, count);
}

}  // namespace quorvane

#if defined(__clang__)
#pragma clang attribute pop
#endif
