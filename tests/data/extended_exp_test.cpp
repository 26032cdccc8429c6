#include "data/extended_exp.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>
#include <vector>

#include "data/exp_paths.h"
#include "data/exponential_oracle.h"
#include "data/floating_point.h"

namespace quorvane {
namespace {

using testing::oracleExp;
using testing::sameExtended;

constexpr long double kNan = std::numeric_limits<long double>::quiet_NaN();
constexpr long double kInfinity = std::numeric_limits<long double>::infinity();

// Arguments with their correctly rounded exponentials: 10^6 sampled ones,
// the constructed hard cases near 0 and a short search for hard cases.
struct Cases {
    std::vector<long double> arguments;
    std::vector<long double> expected;
    int searchedHardCases = 0;
};

const Cases& cases() {
    static const Cases all = [] {
        Cases made;
        testing::ArgumentSampler sampler(12);
        for (int i = 0; i < 1000000; ++i)
            made.arguments.push_back(sampler.next());
        for (const long double argument : testing::hardCasesNearZero())
            made.arguments.push_back(argument);
        // 2^24 steps over the whole normal range; about 8 cases expected.
        for (long double start = -11000.25L; start < 11356.0L; start += 1400.5L) {
            for (const testing::HardCase& hard :
                 testing::searchHardCases(start, 1 << 20, 0x1p-22)) {
                made.arguments.push_back(hard.argument);
                ++made.searchedHardCases;
            }
        }
        for (const long double argument : made.arguments)
            made.expected.push_back(oracleExp(argument));
        return made;
    }();
    return all;
}

TEST(ExtendedExp, IsCorrectlyRoundedOneAtATime) {
    const Cases& all = cases();
    EXPECT_GT(all.searchedHardCases, 0) << "the search found no hard case";
    for (std::size_t i = 0; i < all.arguments.size(); ++i)
        ASSERT_TRUE(sameExtended(extendedExp(all.arguments[i]), all.expected[i]))
            << std::hexfloat << all.arguments[i];
    clearFloatingPointFaults();
}

class ExtendedExpPath : public ::testing::TestWithParam<ExponentialPath> {};

TEST_P(ExtendedExpPath, IsCorrectlyRoundedInBlocksInPlace) {
    if (!exponentialPathAvailable(GetParam()))
        GTEST_SKIP() << "the processor lacks this path";
    const Cases& all = cases();
    std::vector<long double> values = all.arguments;
    // Blocks of uneven lengths, so that every lane position meets tails too.
    for (std::size_t start = 0, length = 1; start < values.size();
         start += length, length = length % 37 + 1) {
        const int count = static_cast<int>(std::min(length, values.size() - start));
        extendedExpBlockOn(GetParam(), values.data() + start, values.data() + start, count);
    }
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_TRUE(sameExtended(values[i], all.expected[i])) << std::hexfloat << all.arguments[i];
}

TEST_P(ExtendedExpPath, ReturnsTheFaultsOfItsBlockAndRaisesNone) {
    if (!exponentialPathAvailable(GetParam()))
        GTEST_SKIP() << "the processor lacks this path";
    // An overflow and an unnormal encoding (the integer bit of 1.0 cleared)
    // in vector lanes, a NaN in the tail; results in another array.
    std::vector<long double> arguments(19, -2.5L);
    arguments[3] = 11357.0L;
    arguments[9] = extendedFrom(0, 0x3FFF);
    arguments[17] = kNan;
    std::vector<long double> results(arguments.size());
    clearFloatingPointFaults();
    EXPECT_EQ(extendedExpBlockOn(GetParam(), arguments.data(), results.data(), 19),
              FE_OVERFLOW | FE_INVALID);
    EXPECT_EQ(raisedFloatingPointFaults(), 0);
    EXPECT_EQ(results[3], kInfinity);
    EXPECT_TRUE(std::isnan(results[9]));
    EXPECT_TRUE(std::isnan(results[17]));
    // +inf, -inf, underflow to subnormals and to 0 are no faults.
    const long double quiet[] = {kInfinity, -kInfinity, -11390.0L, -11399.0L, -11420.0L, -1e9L};
    EXPECT_EQ(extendedExpBlockOn(GetParam(), quiet, results.data(), 6), 0);
}

INSTANTIATE_TEST_SUITE_P(AllPaths, ExtendedExpPath,
                         ::testing::Values(ExponentialPath::scalar, ExponentialPath::avx2,
                                           ExponentialPath::avx512));

// The passes of the fit read the x87 status word (curve_subtotals.cpp).
unsigned short x87Faults() {
    unsigned short status;
    asm volatile("fnstsw %0" : "=a"(status));
    return status & (FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
}

TEST(ExtendedExp, RaisesOverflowAndInvalidOnTheX87UnitOnly) {
    clearFloatingPointFaults();
    volatile long double result = extendedExp(11356.6L);
    EXPECT_EQ(result, kInfinity);
    EXPECT_EQ(x87Faults(), FE_OVERFLOW);
    clearFloatingPointFaults();
    result = extendedExp(kNan);
    EXPECT_TRUE(std::isnan(result));
    EXPECT_EQ(x87Faults(), FE_INVALID);
    clearFloatingPointFaults();
    for (const long double quiet : {kInfinity, -kInfinity, -11390.0L, -20000.0L, 11356.5L})
        result = extendedExp(quiet);
    EXPECT_EQ(raisedFloatingPointFaults(), 0);
}

}  // namespace
}  // namespace quorvane
