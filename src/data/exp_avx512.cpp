// The block form of the extended exponential on AVX-512: eight arguments at
// once. Everything below the target line uses the instruction set (and no
// template of a library header is used there, whose instantiation could be
// shared with other translation units); extendedExpBlock calls it when the
// processor has AVX-512.
#include <immintrin.h>

#include <cstdint>

#include "data/exp_paths.h"
#include "data/exp_table.h"

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx512f,fma"))), apply_to = function)
#else
#pragma GCC target("avx512f,fma")
#endif

#include "data/exp_block.h"

namespace quorvane {

namespace {

typedef double Doubles8 __attribute__((vector_size(64)));
typedef std::uint64_t Integers8 __attribute__((vector_size(64)));

struct Avx512Lanes {
    using Double = Doubles8;
    using Int = Integers8;
    using Mask = decltype(Doubles8{} < Doubles8{});
    static constexpr int kLanes = 8;
    static Double doubles(double value) { return Double{} + value; }
    static Int integers(std::uint64_t value) { return Int{} + value; }
    static Int bits(Double value) { return reinterpret_cast<Int>(value); }
    static Double fromBits(Int value) { return reinterpret_cast<Double>(value); }
    static __m512d raw(Double value) { return reinterpret_cast<__m512d>(value); }
    static void twoProduct(Double a, Double b, Double& high, Double& low) {
        high = a * b;
        low = reinterpret_cast<Double>(_mm512_fmsub_pd(raw(a), raw(b), raw(high)));
    }
    static Double multiplyAdd(Double a, Double b, Double c) {
        return reinterpret_cast<Double>(_mm512_fmadd_pd(raw(a), raw(b), raw(c)));
    }
    static void table(Int index, Double& high, Double& low) {
        const auto entry = reinterpret_cast<__m512i>(index << 1);
        const auto* table = reinterpret_cast<const double*>(kPowersOfTwo);
        // The masked form: the plain one warns about its undefined start value.
        const __m512d none = _mm512_setzero_pd();
        high = reinterpret_cast<Double>(_mm512_mask_i64gather_pd(none, 0xFF, entry, table, 8));
        low = reinterpret_cast<Double>(_mm512_mask_i64gather_pd(none, 0xFF, entry, table + 1, 8));
    }
    static unsigned laneBits(Mask mask) {
        const auto bits = reinterpret_cast<__m512i>(mask);
        return _mm512_test_epi64_mask(bits, bits);
    }
    // Eight extended numbers of 16 bytes (the significand, then the sign and
    // exponent in the next 2 bytes): four to a register.
    static void load(const long double* values, Int& significands, Int& signAndExponents) {
        const __m512i first = _mm512_loadu_si512(values);
        const __m512i second = _mm512_loadu_si512(values + 4);
        significands = reinterpret_cast<Int>(
            _mm512_permutex2var_epi64(first, _mm512_setr_epi64(0, 2, 4, 6, 8, 10, 12, 14), second));
        signAndExponents = reinterpret_cast<Int>(_mm512_permutex2var_epi64(
                               first, _mm512_setr_epi64(1, 3, 5, 7, 9, 11, 13, 15), second)) &
                           0xFFFF;
    }
    static void store(long double* values, Int significands, Int signAndExponents) {
        const auto low = reinterpret_cast<__m512i>(significands);
        const auto high = reinterpret_cast<__m512i>(signAndExponents);
        _mm512_storeu_si512(values, _mm512_permutex2var_epi64(
                                        low, _mm512_setr_epi64(0, 8, 1, 9, 2, 10, 3, 11), high));
        _mm512_storeu_si512(
            values + 4,
            _mm512_permutex2var_epi64(low, _mm512_setr_epi64(4, 12, 5, 13, 6, 14, 7, 15), high));
    }
};

}  // namespace

FloatingPointFaults exponentialBlockAvx512(const long double* arguments, long double* results,
                                           int count) {
    return exp_kernel::exponentialBlock<Avx512Lanes>(arguments, results, count);
}

}  // namespace quorvane

#if defined(__clang__)
#pragma clang attribute pop
#endif
