#include "data/extended_exp.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "data/floating_point.h"

namespace quorvane {
namespace {

bool sameBits(long double a, long double b) {
    return std::memcmp(&a, &b, 10) == 0;
}

// Every argument in [from, to] on an even grid plus random ones.
void expectEqualToExpl(long double from, long double to, int count) {
    std::mt19937_64 generator(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < count; ++i) {
        const long double grid = from + (to - from) * i / (count - 1);
        const long double random = from + (to - from) * static_cast<long double>(unit(generator));
        for (const long double argument : {grid, random}) {
            ASSERT_TRUE(sameBits(extendedExp(argument), expl(argument))) << argument;
        }
    }
}

TEST(ExtendedExp, EqualsExplAcrossTheUnderflowBoundary) {
    // expl reaches 0 near -11399.4986; the shortcut starts at -11400.
    expectEqualToExpl(-11401.0L, -11398.0L, 20000);
    expectEqualToExpl(-11356.0L, -11340.0L, 2000);  // denormal results
}

TEST(ExtendedExp, EqualsExplOnOrdinaryAndHugeArguments) {
    expectEqualToExpl(-60.0L, 60.0L, 20000);
    expectEqualToExpl(-1e7L, -11400.0L, 2000);
    EXPECT_TRUE(sameBits(extendedExp(-1e4000L), expl(-1e4000L)));
    EXPECT_TRUE(sameBits(extendedExp(-std::numeric_limits<long double>::infinity()), 0.0L));
    EXPECT_FALSE(std::signbit(extendedExp(-20000.0L)));
}

TEST(ExtendedExp, KeepsTheFaultsOfExpl) {
    clearFloatingPointFaults();
    volatile long double large = 20000.0L;
    volatile long double result = extendedExp(large);
    (void)result;
    EXPECT_TRUE(raisedFloatingPointFaults() & FE_OVERFLOW);

    clearFloatingPointFaults();
    result = extendedExp(-30000.0L);
    EXPECT_EQ(raisedFloatingPointFaults(), 0);

    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(extendedExp(nan)));
    clearFloatingPointFaults();
}

TEST(ExtendedExp, BlockGivesTheScalarBitsAndReturnsItsFaults) {
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    long double arguments[] = {-1.5L, 0.0L, 20000.0L, -30000.0L, nan, 11356.0L};
    long double results[6];
    clearFloatingPointFaults();
    const FloatingPointFaults faults = extendedExpBlock(arguments, results, 6);
    EXPECT_EQ(raisedFloatingPointFaults(), 0);
    EXPECT_EQ(faults, FE_OVERFLOW | FE_INVALID);
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(std::isnan(arguments[i]) ? std::isnan(results[i])
                                             : sameBits(results[i], extendedExp(arguments[i])));
    EXPECT_EQ(extendedExpBlock(arguments, results, 2), 0);
}

}  // namespace
}  // namespace quorvane
