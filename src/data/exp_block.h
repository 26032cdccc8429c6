// The block form of the extended exponential on a vector path, written once
// for any lane type (exp_kernel.h) that also provides
//   L::kLanes                                 the number of lanes
//   L::load(values, significands, signAndExponents)   kLanes extended numbers
//   L::store(values, significands, signAndExponents)  and back
//   L::laneBits(mask)                         bit i set for lane i
// Included, like exp_kernel.h, after the instruction-set line of its path's
// translation unit; everything here has internal linkage.
#pragma once

#include <cstring>

#include "data/exp_kernel.h"
#include "data/exp_paths.h"

namespace quorvane::exp_kernel {
namespace {

// results[0..kLanes-1] = e^arguments[0..kLanes-1]; the lanes the kernel
// leaves are done one at a time.
template <class L>
void exponentialsOfLanes(const long double* arguments, long double* results,
                         FloatingPointFaults& faults) {
    typename L::Int significands, signAndExponents, resultSignificands, resultSignAndExponents;
    L::load(arguments, significands, signAndExponents);
    const unsigned left = L::laneBits(exponentialLanes<L>(
        significands, signAndExponents, resultSignificands, resultSignAndExponents));
    if (left == 0) {
        L::store(results, resultSignificands, resultSignAndExponents);
        return;
    }
    long double saved[L::kLanes];  // the arguments, which the results may overwrite
    std::memcpy(saved, arguments, sizeof saved);
    L::store(results, resultSignificands, resultSignAndExponents);
    for (int lane = 0; lane < L::kLanes; ++lane) {
        if (left & (1u << lane))
            results[lane] = exponentialWithFaults(saved[lane], faults);
    }
}

template <class L>
FloatingPointFaults exponentialBlock(const long double* arguments, long double* results,
                                     int count) {
    FloatingPointFaults faults = 0;
    int i = 0;
    for (; i + L::kLanes <= count; i += L::kLanes)
        exponentialsOfLanes<L>(arguments + i, results + i, faults);
    if (i < count) {  // the tail, padded with zeros
        long double padded[L::kLanes] = {};
        std::memcpy(padded, arguments + i, (count - i) * sizeof(long double));
        exponentialsOfLanes<L>(padded, padded, faults);
        std::memcpy(results + i, padded, (count - i) * sizeof(long double));
    }
    return faults;
}

}  // namespace
}  // namespace quorvane::exp_kernel
