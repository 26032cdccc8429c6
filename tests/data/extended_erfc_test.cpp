#include "data/extended_erfc.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

#include "data/erfc_oracle.h"
#include "data/exp_paths.h"
#include "data/floating_point.h"

namespace quorvane {
namespace {

constexpr long double kNan = std::numeric_limits<long double>::quiet_NaN();
constexpr long double kInfinity = std::numeric_limits<long double>::infinity();

TEST(ExtendedErfc, StaysWithinItsErrorBoundsOnAMillionArguments) {
    constexpr std::size_t kCount = 1000000;
    testing::ErfcArgumentSampler sampler(20);
    std::vector<long double> arguments(kCount);
    for (long double& argument : arguments)
        argument = sampler.next();
    testing::ErfcFindings halves[2];
    std::thread second(testing::checkErfc, arguments.data() + kCount / 2, kCount - kCount / 2,
                       std::ref(halves[1]));
    testing::checkErfc(arguments.data(), kCount / 2, halves[0]);
    second.join();
    halves[0].merge(halves[1]);
    halves[0].print();
    EXPECT_TRUE(halves[0].withinBounds());
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
        SCOPED_TRACE(testing::describeArgument(c.argument));
        clearFloatingPointFaults();
        const long double erfc = extendedErfc(c.argument);
        EXPECT_EQ(raisedFloatingPointFaults(), std::isnan(c.erfc) ? FE_INVALID : 0);
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
