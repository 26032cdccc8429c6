// The one-pass build keeps its gradient and current sum for the next call
// (build_results.h): when the kept results may be used and when not, and the
// faults each result raises. Its equality with the literal reference is
// shown in reference_equality_test.cpp.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <vector>

#include "data/error.h"
#include "data/thread_pool.h"
#include "data/time_axes.h"
#include "data/workspace.h"
#include "fit/goodness_of_fit.h"
#include "lsq/build_results.h"
#include "lsq/curve_subtotals.h"
#include "lsq/linear_solver.h"
#include "lsq/normal_equations.h"
#include "random_problem.h"
#include "reference_normal_equations.h"
#include "reference_sums.h"
#include "support/expect_error.h"

namespace quorvane {
namespace {

using testing::Axes;
using testing::errorOf;
using testing::firstDifference;
using testing::kNoError;
using testing::leadingEntries;
using testing::runIteration;
using testing::sameBits;

class ThreadCountTest : public testing::WorkspaceTest {
  protected:
    void TearDown() override { setParallelThreadCount(0); }
};

// The grouping dates from the last announced change; times and counts
// written without the announcement are worked on as they are.
TEST_F(ThreadCountTest, UnannouncedChangesAreNotHiddenByTheGrouping) {
    testing::loadRandomProblem({3, 6, 40, 0.001L, Axes::kOne, 300});
    ASSERT_GT(workspace.pointCount[1], kBatchPoints + 5);
    setParallelThreadCount(2);
    buildNormalMatrix();
    workspace.curves[3].times[kBatchPoints + 5] *= 2.0;
    workspace.pointCount[5] -= 1;
    EXPECT_EQ(testing::firstDifferenceOf(runIteration(false), runIteration(true)), "");
}

// The results of one thread and of two are the same bits, iteration after
// iteration of a fit that moves the parameters.
TEST_F(ThreadCountTest, OneAndTwoThreadsAgreeOverSeveralSteps) {
    testing::loadRandomProblem({4, 12, 35, 0.001L});
    std::vector<long double> start = leadingEntries(workspace.ParameterVector, kMaxParameters);
    std::vector<testing::IterationResults> byThreads[2];
    for (const int threads : {1, 2}) {
        setParallelThreadCount(threads);
        std::copy(start.begin(), start.end(), workspace.ParameterVector + 1);
        for (int step = 0; step < 3; ++step) {
            byThreads[threads - 1].push_back(runIteration(false));
            const int size = fittedParameterCount();
            for (int m = 1; m <= size; ++m)
                workspace.ParameterVector[m] += 0.25L * workspace.stepVector[m];
        }
    }
    for (int step = 0; step < 3; ++step)
        EXPECT_EQ(testing::firstDifferenceOf(byThreads[1][step], byThreads[0][step]), "") << step;
}

class KeptResults : public ThreadCountTest {
  protected:
    void SetUp() override {
        ThreadCountTest::SetUp();
        testing::loadRandomProblem({3, 4, 36, 0.001L});
        setParallelThreadCount(2);
        buildNormalMatrix();
    }
    static bool gradientKept() {
        const long double* gradient = nullptr;
        FloatingPointFaults faults = 0;
        return lookUpBuildGradient(gradient, faults);
    }
    static bool sumKept() {
        long double sum = 0.0L;
        FloatingPointFaults faults = 0;
        return lookUpBuildSumOfSquares(sum, faults);
    }
    void expectDirectResults() {
        buildGradientVector();
        const auto gradient = leadingEntries(workspace.gradientVector, fittedParameterCount());
        const long double sum = sumSquaredResiduals();
        testing::referenceBuildGradientVector();
        EXPECT_EQ(firstDifference(gradient,
                                  leadingEntries(workspace.gradientVector, fittedParameterCount())),
                  -1);
        EXPECT_TRUE(sameBits(sum, testing::referenceSumSquaredResiduals()));
    }
};

TEST_F(KeptResults, KeptForTheSameInputsWhateverLambdaAndUnusedEntries) {
    EXPECT_TRUE(gradientKept());
    EXPECT_TRUE(sumKept());
    workspace.lambda = 7.0L;
    workspace.ParameterVector[fittedParameterCount() + 1] = 3.0L;  // log-rate of component n+1
    workspace.normalMatrix[1][1] = 5.0L;
    EXPECT_TRUE(gradientKept());
    EXPECT_TRUE(sumKept());
    expectDirectResults();
}

TEST_F(KeptResults, NotKeptAfterAChangeOfTheCurveData) {
    const int last = workspace.pointCount[2];
    workspace.curves[2].values[last] = std::nextafter(workspace.curves[2].values[last], 1e9);
    workspace.curves[4].times[1] = -workspace.curves[4].times[1] - 1e-9;
    noteCurveDataChanged();
    EXPECT_FALSE(gradientKept());
    EXPECT_FALSE(sumKept());
    expectDirectResults();
}

TEST_F(KeptResults, NotKeptWhenAParameterChanges) {
    const int rate = fittedParameterCount();  // the last log-rate
    workspace.ParameterVector[rate] = nextafterl(workspace.ParameterVector[rate], 100.0L);
    EXPECT_FALSE(gradientKept());
    EXPECT_FALSE(sumKept());
    expectDirectResults();
}

TEST_F(KeptResults, NotKeptWhenTheCountsChange) {
    workspace.pointCount[3] = workspace.pointCount[3] - 1;
    EXPECT_FALSE(gradientKept());
    expectDirectResults();
    workspace.pointCount[3] = workspace.pointCount[3] + 1;
    EXPECT_TRUE(gradientKept());

    workspace.curveCount = 3;  // the layout moves: the rates are other entries now
    EXPECT_FALSE(sumKept());
    workspace.curveCount = 4;
    workspace.componentCount = 2;
    EXPECT_FALSE(sumKept());
}

TEST_F(KeptResults, NotKeptAfterAFailedBuild) {
    workspace.ParameterVector[rateIndex(1)] = 20000.0L;  // exp overflows
    EXPECT_THROW(buildNormalMatrix(), QuorvaneError);
    workspace.ParameterVector[rateIndex(1)] = 0.0L;
    EXPECT_FALSE(gradientKept());
    expectDirectResults();
}

// One curve, one component, w = 1; two points near time 0 with value 0.
class FaultsOfOneResult : public ThreadCountTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        ThreadCountTest::SetUp();
        setParallelThreadCount(GetParam());
        testing::addCurve({1e-10, 2e-10}, {0.0, 0.0});
        testing::addCurve({1e-10, 2e-10}, {0.0, 0.0});
        // Y0 and A of curve 1, Y0 and A of curve 2, k = 0.
        testing::setParameters(1, {0.0L, 1.0L, 0.0L, 1.0L, 0.0L});
    }
    static FloatingPointFaults sumFaults(long double (*sum)()) {
        clearFloatingPointFaults();
        sum();
        const FloatingPointFaults faults = raisedFloatingPointFaults();
        clearFloatingPointFaults();
        return faults;
    }
};

// Offsets near the top of the range: every residual is finite, their sum
// over two points (the offset's gradient entry) and their squares overflow;
// the matrix only ever multiplies residuals by tiny times.
TEST_P(FaultsOfOneResult, GradientAndSumFaultWhileTheMatrixDoesNot) {
    workspace.ParameterVector[1] = 7e4931L;
    EXPECT_EQ(errorOf(testing::referenceBuildNormalMatrix), kNoError);
    EXPECT_EQ(errorOf(testing::referenceBuildGradientVector), "Floating point overflow");
    EXPECT_TRUE(sumFaults(testing::referenceSumSquaredResiduals) & FE_OVERFLOW);

    EXPECT_EQ(errorOf(buildNormalMatrix), kNoError);
    EXPECT_EQ(errorOf(buildGradientVector), "Floating point overflow");
    EXPECT_TRUE(sumFaults(sumSquaredResiduals) & FE_OVERFLOW);
}

TEST_P(FaultsOfOneResult, OnlyTheSumFaults) {
    workspace.ParameterVector[3] = 1e2500L;  // second curve: r*r overflows
    EXPECT_EQ(errorOf(testing::referenceBuildNormalMatrix), kNoError);
    EXPECT_EQ(errorOf(testing::referenceBuildGradientVector), kNoError);
    EXPECT_TRUE(sumFaults(testing::referenceSumSquaredResiduals) & FE_OVERFLOW);

    EXPECT_EQ(errorOf(buildNormalMatrix), kNoError);
    EXPECT_EQ(errorOf(buildGradientVector), kNoError);
    const long double* kept = nullptr;
    FloatingPointFaults faults = 0;
    EXPECT_TRUE(lookUpBuildGradient(kept, faults));
    EXPECT_EQ(faults, 0);
    EXPECT_TRUE(sumFaults(sumSquaredResiduals) & FE_OVERFLOW);
    // A sum taken without the build's results faults the same way.
    workspace.ParameterVector[2] = 0.5L;
    EXPECT_TRUE(sumFaults(sumSquaredResiduals) & FE_OVERFLOW);
}

// With the build's sum and without it.
TEST_P(FaultsOfOneResult, AFaultRaisedBeforeTheSumStaysRaised) {
    buildNormalMatrix();
    for (const bool kept : {true, false}) {
        if (!kept)
            workspace.ParameterVector[1] = 0.125L;
        volatile long double zero = 0.0L;
        volatile long double quotient = 1.0L / zero;
        (void)quotient;
        sumSquaredResiduals();
        EXPECT_TRUE(raisedFloatingPointFaults() & FE_DIVBYZERO) << kept;
        EXPECT_FALSE(raisedFloatingPointFaults() & FE_OVERFLOW) << kept;
        clearFloatingPointFaults();
    }
}

INSTANTIATE_TEST_SUITE_P(ThreadCounts, FaultsOfOneResult, ::testing::Values(1, 2));

}  // namespace
}  // namespace quorvane
