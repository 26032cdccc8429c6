// The table of the extended exponential (extended_exp.h): 2^(j/256) for
// j = 0..255 as a double-double, high + low, with high the double nearest
// to 2^(j/256) and low the double nearest to the difference (relative
// error below 2^-106). The entries were computed with MPFR at 400 bits.
#pragma once

namespace quorvane {

struct PowerOfTwoEntry {
    double high;
    double low;
};

inline constexpr int kPowerOfTwoTableBits = 8;

alignas(64) extern const PowerOfTwoEntry kPowersOfTwo[1 << kPowerOfTwoTableBits];

}  // namespace quorvane
