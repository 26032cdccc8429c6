#include "data/extended_erfc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "data/erfc_oracle.h"
#include "data/exp_paths.h"
#include "data/floating_point.h"

namespace quorvane {
namespace {

constexpr long double kNan = std::numeric_limits<long double>::quiet_NaN();
constexpr long double kInfinity = std::numeric_limits<long double>::infinity();

bool invalidArgument(long double argument) {
    const ExtendedFields fields = fieldsOf(argument);
    return std::isnan(argument) ||
           ((fields.signAndExponent & 0x7FFF) != 0 && (fields.significand >> 63) == 0);
}

// An argument in a message: printf cannot print an invalid encoding.
std::string describe(long double argument) {
    const ExtendedFields fields = fieldsOf(argument);
    char text[64];
    if (invalidArgument(argument) && !std::isnan(argument))
        std::snprintf(text, sizeof text, "encoding %04llx:%016llx",
                      static_cast<unsigned long long>(fields.signAndExponent),
                      static_cast<unsigned long long>(fields.significand));
    else
        std::snprintf(text, sizeof text, "%La", argument);
    return text;
}

// The error bounds of extended_erfc.h on ranges of arguments.
struct Bounds {
    long double below;  // the range ends here; it begins where the one before ends
    double erfc;
    double erfcx;
    const char* name;
};
constexpr Bounds kRanges[] = {
    {0.0L, 1.07, 1.63, "x < 0"},
    {0x1p16381L, 1.63, 0.63, "0 <= x < 2^16381"},
    {std::numeric_limits<long double>::infinity(), 0.0, 1.3, "x >= 2^16381"},
};
constexpr int kRangeCount = sizeof kRanges / sizeof kRanges[0];

int rangeOf(long double x) {
    int range = 0;
    while (range + 1 < kRangeCount && !(x < kRanges[range].below))
        ++range;
    return range;
}

// The largest error of each function on each range, and any result whose
// faults differ from an invalid operation for an invalid argument and an
// overflow for a finite argument whose result is +inf.
struct Findings {
    double largest[kRangeCount][2] = {};  // [range][erfc, erfcx]
    long double worstArgument[kRangeCount][2] = {};
    long double unexpectedFaults = 0.0L;
    int unexpectedFaultCount = 0;
};

void judge(const std::vector<long double>& arguments, std::size_t begin, std::size_t end,
           Findings& findings) {
    for (std::size_t i = begin; i < end; ++i) {
        const long double x = arguments[i];
        clearFloatingPointFaults();
        const long double erfc = extendedErfc(x);
        const FloatingPointFaults erfcFaults = raisedFloatingPointFaults();
        clearFloatingPointFaults();
        const long double erfcx = extendedErfcx(x);
        const FloatingPointFaults erfcxFaults = raisedFloatingPointFaults();
        const bool invalid = invalidArgument(x);
        const FloatingPointFaults expectedErfcx =
            invalid ? FE_INVALID : (std::isfinite(x) && erfcx == kInfinity ? FE_OVERFLOW : 0);
        if (erfcFaults != (invalid ? FE_INVALID : 0) || erfcxFaults != expectedErfcx) {
            findings.unexpectedFaults = x;
            ++findings.unexpectedFaultCount;
        }
        const testing::ErrorFunctionErrors errors = testing::ulpErrors(x, erfc, erfcx);
        const int range = invalid ? 0 : rangeOf(x);
        for (const auto& [function, error] : {std::pair{0, errors.erfc}, {1, errors.erfcx}}) {
            if (!(error <= findings.largest[range][function])) {
                findings.largest[range][function] = error;
                findings.worstArgument[range][function] = x;
            }
        }
    }
    clearFloatingPointFaults();
    testing::releaseOracleCaches();
}

TEST(ExtendedErfc, StaysWithinItsErrorBoundsOnAMillionArguments) {
    constexpr int kCount = 1000000;
    testing::ErfcArgumentSampler sampler(20);
    std::vector<long double> arguments(kCount);
    for (long double& argument : arguments)
        argument = sampler.next();
    Findings halves[2];
    std::thread second(judge, std::cref(arguments), kCount / 2, kCount, std::ref(halves[1]));
    judge(arguments, 0, kCount / 2, halves[0]);
    second.join();

    for (int range = 0; range < kRangeCount; ++range) {
        for (int function = 0; function < 2; ++function) {
            const Findings& worse =
                halves[0].largest[range][function] >= halves[1].largest[range][function]
                    ? halves[0]
                    : halves[1];
            const double largest = worse.largest[range][function];
            const std::string at = describe(worse.worstArgument[range][function]);
            const char* name = function == 0 ? "erfc" : "erfcx";
            std::printf("%-5s %-18s largest error %.4f ulp at %s\n", name, kRanges[range].name,
                        largest, at.c_str());
            EXPECT_LE(largest, function == 0 ? kRanges[range].erfc : kRanges[range].erfcx)
                << name << ", " << kRanges[range].name << ", at " << at;
        }
    }
    EXPECT_EQ(halves[0].unexpectedFaultCount + halves[1].unexpectedFaultCount, 0)
        << "for instance at "
        << describe((halves[0].unexpectedFaultCount > 0 ? halves[0] : halves[1]).unexpectedFaults);
}

// Values that must come out exactly, with their faults.
TEST(ExtendedErfc, GivesSpecialValuesWithExtendedExpsFaults) {
    struct Case {
        long double argument;
        long double erfc;
        long double erfcx;
        FloatingPointFaults erfcxFaults;  // erfc raises nothing but an invalid operation
    };
    const long double unnormal = extendedFrom(0, 0x3FFF);  // 1.0 without its integer bit
    const Case cases[] = {
        {kNan, kNan, kNan, FE_INVALID},
        {unnormal, kNan, kNan, FE_INVALID},
        {kInfinity, 0.0L, 0.0L, 0},
        {-kInfinity, 2.0L, kInfinity, 0},
        {0.0L, 1.0L, 1.0L, 0},
        {-0.0L, 1.0L, 1.0L, 0},
        {106.75L, 0.0L, -1.0L, 0},   // -1: any finite value
        {LDBL_MAX, 0.0L, -1.0L, 0},  // erfcx's subnormal result
        {-6.5L, 2.0L, -1.0L, 0},
        {-106.56L, 2.0L, -1.0L, 0},  // the last before the overflow
        {-106.57L, 2.0L, kInfinity, FE_OVERFLOW},
        {-1e4000L, 2.0L, kInfinity, FE_OVERFLOW},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(describe(c.argument));
        clearFloatingPointFaults();
        const long double erfc = extendedErfc(c.argument);
        EXPECT_EQ(raisedFloatingPointFaults(), invalidArgument(c.argument) ? FE_INVALID : 0);
        EXPECT_TRUE(std::isnan(c.erfc) ? std::isnan(erfc) : erfc == c.erfc) << erfc;
        clearFloatingPointFaults();
        const long double erfcx = extendedErfcx(c.argument);
        EXPECT_EQ(raisedFloatingPointFaults(), c.erfcxFaults);
        if (std::isnan(c.erfcx))
            EXPECT_TRUE(std::isnan(erfcx)) << erfcx;
        else if (c.erfcx == -1.0L)
            EXPECT_TRUE(std::isfinite(erfcx) && erfcx > 0.0L) << erfcx;
        else
            EXPECT_EQ(erfcx, c.erfcx);
    }
    clearFloatingPointFaults();
}

}  // namespace
}  // namespace quorvane
