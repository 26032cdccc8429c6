// The block form of the extended exponential on AVX-512: eight arguments at
// once. Everything below the target line uses the instruction set (and no
// template of a library header is used there, whose instantiation could be
// shared with other translation units); extendedExpBlock calls it when the
// processor has AVX-512.
#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "data/exp_paths.h"
#include "data/exp_table.h"

#pragma GCC target("avx512f,fma")

#include "data/exp_kernel.h"

namespace quorvane {

namespace {

typedef double Doubles8 __attribute__((vector_size(64)));
typedef std::uint64_t Integers8 __attribute__((vector_size(64)));

struct Avx512Lanes {
    using Double = Doubles8;
    using Int = Integers8;
    using Mask = decltype(Doubles8{} < Doubles8{});
    static Double doubles(double value) { return Double{} + value; }
    static Int integers(std::uint64_t value) { return Int{} + value; }
    static Int bits(Double value) { return reinterpret_cast<Int>(value); }
    static Double fromBits(Int value) { return reinterpret_cast<Double>(value); }
    static void twoProduct(Double a, Double b, Double& high, Double& low) {
        high = a * b;
        low = reinterpret_cast<Double>(_mm512_fmsub_pd(reinterpret_cast<__m512d>(a),
                                                       reinterpret_cast<__m512d>(b),
                                                       reinterpret_cast<__m512d>(high)));
    }
    static Double multiplyAdd(Double a, Double b, Double c) {
        return reinterpret_cast<Double>(_mm512_fmadd_pd(reinterpret_cast<__m512d>(a),
                                                        reinterpret_cast<__m512d>(b),
                                                        reinterpret_cast<__m512d>(c)));
    }
    static void table(Int index, Double& high, Double& low) {
        const auto entry = reinterpret_cast<__m512i>(index << 1);
        const auto* table = reinterpret_cast<const double*>(kPowersOfTwo);
        // The masked form: the plain one warns about its undefined start value.
        const __m512d none = _mm512_setzero_pd();
        high = reinterpret_cast<Double>(_mm512_mask_i64gather_pd(none, 0xFF, entry, table, 8));
        low = reinterpret_cast<Double>(_mm512_mask_i64gather_pd(none, 0xFF, entry, table + 1, 8));
    }
};

constexpr int kLanes = 8;

// Eight extended numbers (16 bytes each: the significand, then the sign and
// exponent in the next 2 bytes) as their two fields, and back.
void loadFields(const long double* values, Integers8& significands, Integers8& signAndExponents) {
    const __m512i first = _mm512_loadu_si512(values);
    const __m512i second = _mm512_loadu_si512(values + 4);
    significands = reinterpret_cast<Integers8>(
        _mm512_permutex2var_epi64(first, _mm512_setr_epi64(0, 2, 4, 6, 8, 10, 12, 14), second));
    signAndExponents = reinterpret_cast<Integers8>(_mm512_permutex2var_epi64(
                           first, _mm512_setr_epi64(1, 3, 5, 7, 9, 11, 13, 15), second)) &
                       0xFFFF;
}

void storeFields(long double* values, Integers8 significands, Integers8 signAndExponents) {
    const auto low = reinterpret_cast<__m512i>(significands);
    const auto high = reinterpret_cast<__m512i>(signAndExponents);
    _mm512_storeu_si512(
        values, _mm512_permutex2var_epi64(low, _mm512_setr_epi64(0, 8, 1, 9, 2, 10, 3, 11), high));
    _mm512_storeu_si512(values + 4, _mm512_permutex2var_epi64(
                                        low, _mm512_setr_epi64(4, 12, 5, 13, 6, 14, 7, 15), high));
}

// results[0..7] = e^arguments[0..7]; the lanes the kernel leaves are done
// one at a time.
void exponentialsOfEight(const long double* arguments, long double* results,
                         FloatingPointFaults& faults) {
    Integers8 significands, signAndExponents, resultSignificands, resultSignAndExponents;
    loadFields(arguments, significands, signAndExponents);
    const auto left = exp_kernel::exponentialLanes<Avx512Lanes>(
        significands, signAndExponents, resultSignificands, resultSignAndExponents);
    const auto leftBits = reinterpret_cast<__m512i>(left);
    const unsigned leftLanes = _mm512_test_epi64_mask(leftBits, leftBits);
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

FloatingPointFaults exponentialBlockAvx512(const long double* arguments, long double* results,
                                           int count) {
    FloatingPointFaults faults = 0;
    int i = 0;
    for (; i + kLanes <= count; i += kLanes)
        exponentialsOfEight(arguments + i, results + i, faults);
    if (i < count) {
        long double padded[kLanes] = {};
        std::memcpy(padded, arguments + i, (count - i) * sizeof(long double));
        exponentialsOfEight(padded, padded, faults);
        std::memcpy(results + i, padded, (count - i) * sizeof(long double));
    }
    return faults;
}

}  // namespace quorvane
