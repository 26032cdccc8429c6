// The profile intervals of the time constants: the F quantile against its
// tables, the interval's ends re-evaluated on the profile, its agreement with
// the standard errors where the fit is well determined, its asymmetry where
// it is not, and the workspace left untouched.
#include "fit/profile_intervals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>

#include "data/floating_point.h"
#include "fit/f_quantile.h"
#include "fit/profile_problem.h"
#include "fit/standard_errors.h"
#include "start_log.h"
#include "support/synthetic_traces.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

TEST(FQuantileTest, MatchesTablesAndRefusesBadArguments) {
    struct Case {
        double denominator, expected;
    };
    for (const Case c : {Case{10, 4.9646}, Case{30, 4.1709}, Case{120, 3.9201}})
        EXPECT_NEAR(fQuantile(0.95, 1, c.denominator), c.expected, 5e-5) << c.denominator;
    EXPECT_THROW(fQuantile(1.0, 1, 10), std::domain_error);
    EXPECT_THROW(fQuantile(0.95, 1, 0), std::domain_error);
}

class ProfileIntervalsTest : public testing::WorkspaceTest {
  protected:
    // Traces of the decay on one log axis, each with its own amplitudes'
    // scale and noise seed; fitted by variable projection from the true
    // time constants.
    void fit(const std::vector<long double>& timeConstants, int traces, double noise,
             testing::LogAxis axis = {}) {
        std::vector<std::string> starts;
        for (const long double t : timeConstants)
            starts.push_back(std::to_string(static_cast<double>(t)));
        for (int c = 0; c < traces; ++c) {
            std::vector<long double> amplitudes;
            for (std::size_t k = 0; k < timeConstants.size(); ++k)
                amplitudes.push_back((k % 2 == 0 ? 1.0L : -0.6L) * (1.0L + 0.2L * c));
            testing::addDecay(
                {0.01L, amplitudes, timeConstants, noise, static_cast<unsigned>(c + 7)}, axis);
        }
        runStart(testing::startBoxes(std::to_string(timeConstants.size()), "200", starts), {},
                 FitMethod::VariableProjection);
    }

    // S_j at time constant t of component j, refitted afresh here from the
    // fitted log-rates.
    static long double profileAt(int j, long double t) {
        ProfileProblem problem(j, -logl(t), LogRateBounds{}, {});
        long double x[kMaxComponents] = {};
        for (int k = 1, f = 0; k <= workspace.componentCount; ++k)
            if (k != j)
                x[f++] = workspace.ParameterVector[rateIndex(k)];
        EXPECT_TRUE(fitProfilePoint(problem, x));
        return problem.acceptedSumOfSquares();
    }

    // Every interval holds its fitted value and, where bounded, its ends lie
    // on the threshold; the workspace is as before, bit for bit.
    ProfileIntervals checkedIntervals() {
        long double before[kMaxParameters + 1];
        std::memcpy(before, workspace.ParameterVector, sizeof before);
        const ProfileIntervals intervals = computeProfileIntervals();
        EXPECT_EQ(std::memcmp(before, workspace.ParameterVector, sizeof before), 0);
        EXPECT_EQ(raisedFloatingPointFaults(), 0);
        EXPECT_TRUE(intervals.valid) << intervals.message;
        const long double rise = intervals.threshold - intervals.minimumSumOfSquares;
        for (int j = 1; j <= intervals.componentCount; ++j) {
            const TimeConstantInterval& interval = intervals.interval[j];
            EXPECT_LT(interval.lower, interval.fitted) << j;
            EXPECT_GT(interval.upper, interval.fitted) << j;
            for (const auto& [bounded, end] : {std::pair{interval.lowerBounded, interval.lower},
                                               std::pair{interval.upperBounded, interval.upper}}) {
                if (!bounded)
                    continue;
                EXPECT_NEAR(profileAt(j, end), intervals.threshold, 2e-3L * rise)
                    << "t" << j << " end " << static_cast<double>(end);
            }
        }
        return intervals;
    }
};

TEST_F(ProfileIntervalsTest, WellDeterminedFitAgreesWithStandardErrors) {
    fit({2e-6L, 1e-4L, 5e-3L}, 4, 0.01);
    const StandardErrors errors = computeStandardErrors();
    ASSERT_TRUE(errors.valid) << errors.message;
    const ProfileIntervals intervals = checkedIntervals();
    const long double z = sqrtl(static_cast<long double>(intervals.quantile));
    for (int j = 1; j <= 3; ++j) {
        const TimeConstantInterval& interval = intervals.interval[j];
        ASSERT_TRUE(interval.lowerBounded && interval.upperBounded) << interval.note;
        EXPECT_NEAR(interval.fitted / errors.timeConstant[j] * errors.logRate[j], 1.0L, 1e-6L);
        const long double expected = z * errors.timeConstant[j];
        EXPECT_NEAR((interval.upper - interval.fitted) / expected, 1.0L, 0.1L) << j;
        EXPECT_NEAR((interval.fitted - interval.lower) / expected, 1.0L, 0.1L) << j;
    }
}

TEST_F(ProfileIntervalsTest, NoiselessTracesGiveATightIntervalAroundTheTrueValue) {
    fit({1e-5L, 1e-3L}, 2, 0.0);
    const ProfileIntervals intervals = computeProfileIntervals();
    ASSERT_TRUE(intervals.valid) << intervals.message;
    for (const auto& [j, t] : {std::pair{1, 1e-5L}, std::pair{2, 1e-3L}}) {
        EXPECT_LE(intervals.interval[j].lower, t * (1 + 1e-12L)) << j;
        EXPECT_GE(intervals.interval[j].upper, t * (1 - 1e-12L)) << j;
        EXPECT_LT(intervals.interval[j].upper / intervals.interval[j].lower, 1.0L + 1e-6L) << j;
    }
}

// A slow component seen only at its start: the data bound short time
// constants far better than long ones.
TEST_F(ProfileIntervalsTest, PoorlyDeterminedTimeConstantHasAnAsymmetricInterval) {
    fit({1e-5L, 0.03L}, 2, 0.003, {120, 1e-7, 1e-2});
    const TimeConstantInterval slow = checkedIntervals().interval[2];
    const long double above = logl(slow.upper / slow.fitted);
    const long double below = logl(slow.fitted / slow.lower);
    EXPECT_GT(above, 1.3L * below) << "upper " << static_cast<double>(slow.upper) << " lower "
                                   << static_cast<double>(slow.lower);
}

// A decay much slower than the data are long: the data cannot exclude any
// longer time constant, and the upper side ends unbounded at the edge of
// the range searched (a decade beyond the fit, past the longest time).
TEST_F(ProfileIntervalsTest, SideBelowTheThresholdUpToTheEdgeIsNotBounded) {
    fit({1e-5L, 0.05L}, 2, 0.02, {120, 1e-7, 1e-2});
    const ProfileIntervals intervals = checkedIntervals();
    const TimeConstantInterval& slow = intervals.interval[2];
    EXPECT_FALSE(slow.upperBounded);
    EXPECT_TRUE(slow.lowerBounded);
    EXPECT_NEAR(slow.upper / slow.fitted, 10.0L, 1e-9L);
    EXPECT_EQ(slow.note, "");
    EXPECT_LT(profileAt(2, slow.upper), intervals.threshold);
}

TEST_F(ProfileIntervalsTest, OneComponentHasNothingElseToRefit) {
    fit({3e-4L}, 1, 0.01);
    const ProfileIntervals intervals = checkedIntervals();
    EXPECT_TRUE(intervals.interval[1].lowerBounded && intervals.interval[1].upperBounded);
}

TEST_F(ProfileIntervalsTest, RefusesWithoutAFitAndWhenCancelled) {
    EXPECT_EQ(computeProfileIntervals().message, "No intervals: there is no fit");
    fit({3e-4L}, 1, 0.01);
    long double before[kMaxParameters + 1];
    std::memcpy(before, workspace.ParameterVector, sizeof before);
    int asked = 0;
    const ProfileIntervals cancelled =
        computeProfileIntervals([&asked](double) { return ++asked < 5; });
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_FALSE(cancelled.valid);
    EXPECT_EQ(asked, 5);
    EXPECT_EQ(std::memcmp(before, workspace.ParameterVector, sizeof before), 0);
}

}  // namespace
}  // namespace quorvane
