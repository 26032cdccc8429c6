// The evaluation paths of the extended exponential (extended_exp.h), for the
// block form's dispatch and for the tests, which run every path the
// processor has. Every path gives the same bits: each result is the
// correctly rounded e^x.
#pragma once

#include <cstdint>
#include <cstring>

#include "data/floating_point.h"

namespace quorvane {

enum class ExponentialPath { scalar, avx2, avx512 };

// Whether this processor (and its operating system) runs the path.
bool exponentialPathAvailable(ExponentialPath path);

// extendedExpBlock on the given path, which must be available.
FloatingPointFaults extendedExpBlockOn(ExponentialPath path, const long double* arguments,
                                       long double* results, int count);

// e^x one at a time, its faults added to `faults` instead of being raised.
long double exponentialWithFaults(long double argument, FloatingPointFaults& faults);

// The vector paths, in translation units of their own instruction sets.
FloatingPointFaults exponentialBlockAvx2(const long double* arguments, long double* results,
                                         int count);
FloatingPointFaults exponentialBlockAvx512(const long double* arguments, long double* results,
                                           int count);

// e^x correctly rounded by MPFR (+inf for an overflow), for the arguments
// whose rounding the fast evaluation leaves open. Leaves the thread's
// floating-point flags as they were.
long double accurateExponential(long double argument);

// The two fields of an extended number in memory: the 64-bit significand
// (explicit integer bit) and the sign with the 15-bit exponent.
struct ExtendedFields {
    std::uint64_t significand;
    std::uint64_t signAndExponent;
};

inline ExtendedFields fieldsOf(long double value) {
    unsigned char bytes[sizeof(long double)];
    std::memcpy(bytes, &value, sizeof bytes);
    ExtendedFields fields{};
    std::memcpy(&fields.significand, bytes, 8);
    std::uint16_t signAndExponent;
    std::memcpy(&signAndExponent, bytes + 8, 2);
    fields.signAndExponent = signAndExponent;
    return fields;
}

inline long double extendedFrom(std::uint64_t significand, std::uint64_t signAndExponent) {
    unsigned char bytes[sizeof(long double)] = {};
    std::memcpy(bytes, &significand, 8);
    const auto field = static_cast<std::uint16_t>(signAndExponent);
    std::memcpy(bytes + 8, &field, 2);
    long double value;
    std::memcpy(&value, bytes, sizeof value);
    return value;
}

}  // namespace quorvane
