// Start with the variable-projection method: the exact linear solve at fixed
// rates, the fit of the log-rates, and the reach of its minimum.
#include "fit/variable_projection.h"

#include <algorithm>
#include <array>
#include <cfenv>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "data/extended_exp.h"
#include "data/thread_pool.h"
#include "data/time_axes.h"
#include "fit/curve_projection.h"
#include "fit/fit_driver.h"
#include "fit/goodness_of_fit.h"
#include "lsq/normal_equations.h"
#include "start_log.h"
#include "support/example_traces.h"
#include "support/synthetic_traces.h"

namespace quorvane {
namespace {

using testing::addCurve;

const std::vector<long double> kTimeConstants = {5e-6L, 3e-4L, 2e-3L};

// Six noisy traces of three components on one axis of 200 times.
void addSixTraces() {
    for (unsigned seed = 1; seed <= 6; ++seed)
        testing::addDecay({0.01L * seed, {0.5L, -0.3L, 0.1L}, kTimeConstants, 1e-3, seed});
}

// Start's boxes: n, the iterations and t1..tn written with 17 digits.
StartBoxes boxes(int components, int iterations, const std::vector<double>& timeConstants) {
    std::vector<std::string> texts;
    for (const double t : timeConstants) {
        char text[32];
        std::snprintf(text, sizeof text, "%.17g", t);
        texts.push_back(text);
    }
    return testing::startBoxes(std::to_string(components), std::to_string(iterations), texts);
}

// What a variable-projection Start reported.
struct ProjectionRun {
    int iterations = 0;
    FitVerdict verdict;
    std::vector<long double> timeConstants;  // t1..tn, ascending
};

ProjectionRun runProjection(const StartBoxes& start) {
    ProjectionRun run;
    testing::StartLog log;
    runStart(start, log.hooks(), FitMethod::VariableProjection);
    run.iterations = log.eventPasses;
    run.verdict = log.verdict;
    for (int k = 1; k <= workspace.componentCount; ++k)
        run.timeConstants.push_back(extendedExp(-workspace.ParameterVector[rateIndex(k)]));
    std::sort(run.timeConstants.begin(), run.timeConstants.end());
    return run;
}

long double relativeDifference(long double a, long double b) {
    return fabsl(a - b) / fabsl(b);
}

class VariableProjection : public testing::WorkspaceTest {};

// At rates that are not the traces' own, the coefficients are the linear
// least-squares solution: the gradient of the sum of squares with respect
// to every offset and amplitude vanishes there, and the sum is the designed
// one at those parameters.
TEST_F(VariableProjection, CoefficientsAtFixedRatesAreTheLeastSquaresSolution) {
    testing::addDecay({0.01L, {0.5L, -0.3L}, {5e-6L, 3e-4L}, 1e-3, 1});
    testing::addDecay({-0.02L, {0.1L, 0.4L}, {5e-6L, 3e-4L}, 1e-3, 2});
    workspace.componentCount = workspace.layoutComponentCount = 2;
    const long double logRates[] = {0.0L, -logl(8e-6L), -logl(1e-4L)};
    const auto projection = std::make_unique<Projection>();
    projectCurves(logRates, nullptr, *projection);
    ASSERT_TRUE(projection->valid);
    storeProjection(*projection, logRates);
    EXPECT_EQ(projection->sumOfSquares, sumSquaredResiduals());
    buildGradientVector();
    for (int m = 1; m <= 6; ++m)
        EXPECT_NEAR(static_cast<double>(workspace.gradientVector[m]), 0.0, 1e-14) << m;
    EXPECT_GT(fabsl(workspace.gradientVector[rateIndex(1)]), 1e-9L);  // not at the rates' minimum
}

TEST_F(VariableProjection, NoiselessTracesAreRecoveredToTenDigits) {
    const std::vector<long double> truth = {2e-6L, 3e-5L, 4e-4L};
    const long double blocks[3][4] = {
        {0.01L, 0.5L, -0.3L, 0.2L}, {-0.02L, 0.1L, 0.4L, -0.25L}, {0.0L, -0.2L, 0.3L, 0.1L}};
    for (const auto& block : blocks)
        testing::addDecay({block[0], {block[1], block[2], block[3]}, truth});
    const ProjectionRun run = runProjection(boxes(3, 100, {4e-6, 1.5e-5, 1e-3}));
    for (int k = 0; k < 3; ++k)
        EXPECT_LT(relativeDifference(run.timeConstants[k], truth[k]), 1e-10) << "t" << k + 1;
    for (int c = 1; c <= 3; ++c)
        for (int j = 0; j <= 3; ++j)
            EXPECT_NEAR(static_cast<double>(workspace.ParameterVector[offsetIndex(c) + j]),
                        static_cast<double>(blocks[c - 1][j]), 1e-10 * 0.5);
    EXPECT_TRUE(run.verdict.converged) << run.verdict.message;
}

TEST_F(VariableProjection, EqualTimeConstantsAreHandledAndReported) {
    // One decay fitted with two components that start equal: the basis is
    // rank-deficient at the start, and the two time constants end closer
    // than their standard errors.
    testing::addDecay({0.01L, {0.5L}, {5e-6L}, 1e-4});
    ProjectionRun run;
    ASSERT_NO_THROW(run = runProjection(boxes(2, 30, {1e-5, 1e-5})));
    EXPECT_NE(run.verdict.message.find("t1 and t2 cannot be told apart by the data"),
              std::string::npos)
        << run.verdict.message;
    EXPECT_TRUE(std::isfinite(sumSquaredResiduals()));
}

TEST_F(VariableProjection, AnOverflowingPointIsReportedNotRaised) {
    // A point at t = -1 and a rate of e^10 = 22026: exp(22026) overflows.
    addCurve({-1.0, 0.0, 1.0, 2.0}, {1.0, 0.5, 0.2, 0.1});
    workspace.componentCount = 1;
    const long double logRates[] = {0.0L, 10.0L};
    const auto projection = std::make_unique<Projection>();
    ASSERT_NO_THROW(projectCurves(logRates, nullptr, *projection));
    EXPECT_FALSE(projection->valid);
    EXPECT_NE(projection->faults & FE_OVERFLOW, 0);
    EXPECT_EQ(raisedFloatingPointFaults(), 0);
}

// The projection's numbers, for comparison bit for bit.
std::vector<long double> projectionNumbers(const long double* logRates) {
    const auto projection = std::make_unique<Projection>();
    projectCurves(logRates, nullptr, *projection);
    EXPECT_TRUE(projection->valid);
    std::vector<long double> numbers = {projection->sumOfSquares};
    for (int c = 1; c <= workspace.curveCount; ++c)
        numbers.insert(numbers.end(), projection->coefficients[c],
                       projection->coefficients[c] + workspace.componentCount + 1);
    for (int j = 0; j < workspace.componentCount; ++j) {
        numbers.insert(numbers.end(), projection->system.triangle[j],
                       projection->system.triangle[j] + workspace.componentCount);
        numbers.push_back(projection->system.projectedResidual[j]);
    }
    return numbers;
}

// Finds the grouping of the curves with curve c's times shifted by
// shift[c-1], then puts the times back without announcing it: the
// projection is then told other axes than the times have. Returns the
// grouping's axis count.
int groupAs(const std::vector<double>& shift) {
    std::vector<Curve> saved(workspace.curveCount + 1);
    for (int c = 1; c <= workspace.curveCount; ++c) {
        saved[c] = workspace.curves[c];
        for (int i = 1; i <= workspace.pointCount[c]; ++i)
            workspace.curves[c].times[i] += shift[c - 1];
    }
    noteCurveDataChanged();
    const int axes = timeAxes().axisCount;
    for (int c = 1; c <= workspace.curveCount; ++c)
        workspace.curves[c] = saved[c];
    return axes;
}

TEST_F(VariableProjection, WhichCurvesShareAnAxisChangesNoBit) {
    addSixTraces();
    for (int c = 4; c <= 6; ++c)
        for (int i = 1; i <= workspace.pointCount[c]; ++i)
            workspace.curves[c].times[i] *= 1.5;
    noteCurveDataChanged();
    workspace.componentCount = 3;
    const long double logRates[] = {0.0L, -logl(6e-6L), -logl(2e-4L), -logl(3e-3L)};
    ASSERT_EQ(timeAxes().axisCount, 2);
    const std::vector<long double> twoAxes = projectionNumbers(logRates);
    // Curves 1-2, 3 and 4-6.
    ASSERT_EQ(groupAs({0.0, 0.0, 1e-3, 2e-3, 2e-3, 2e-3}), 3);
    EXPECT_EQ(projectionNumbers(logRates), twoAxes) << "mixed axes";
    ASSERT_EQ(groupAs({0.0, 1e-3, 2e-3, 3e-3, 4e-3, 5e-3}), 6);
    EXPECT_EQ(projectionNumbers(logRates), twoAxes) << "an axis per curve";
}

TEST_F(VariableProjection, CurvesWrittenWithoutNoticeAreProjectedOnTheirOwnTimes) {
    addSixTraces();
    workspace.componentCount = 3;
    const long double logRates[] = {0.0L, -logl(6e-6L), -logl(2e-4L), -logl(3e-3L)};
    const std::vector<long double> oneAxis = projectionNumbers(logRates);
    // Behind the grouping's back: curve 3 moves to other times, curve 5
    // loses its last 50 points.
    for (int i = 1; i <= workspace.pointCount[3]; ++i)
        workspace.curves[3].times[i] *= 1.5;
    workspace.pointCount[5] = 150;
    const std::vector<long double> unannounced = projectionNumbers(logRates);
    noteCurveDataChanged();
    const std::vector<long double> announced = projectionNumbers(logRates);
    EXPECT_NE(announced, oneAxis);
    EXPECT_EQ(unannounced, announced);
}

// The traces of addSixTraces share one axis: its columns and its curves are
// split over the threads.
TEST_F(VariableProjection, ResultsDoNotDependOnTheThreadCount) {
    addSixTraces();
    std::vector<long double> results[2];
    const int threadCounts[] = {1, 3};
    for (int run = 0; run < 2; ++run) {
        workspace.fitCount = 0;
        setParallelThreadCount(threadCounts[run]);
        runStart(boxes(3, 30, {1e-5, 1e-4, 1e-3}), {}, FitMethod::VariableProjection);
        results[run].assign(workspace.ParameterVector + 1,
                            workspace.ParameterVector + 1 + fittedParameterCount());
    }
    setParallelThreadCount(0);
    EXPECT_EQ(results[0], results[1]);
}

// The picosecond examples: 40 traces, 300 times from 0.3 to 1000, time
// constants 1.8, 21 and 50.
TEST_F(VariableProjection, ReachesTheSameMinimumFromThreeStartsWithinThirtyIterations) {
    testing::loadPicosecondExamples();
    const std::vector<double> starts[] = {{2, 20, 50}, {10, 100, 250}, {0.4, 4, 10}};
    std::vector<long double> sums;
    for (const std::vector<double>& start : starts) {
        const ProjectionRun run = runProjection(boxes(3, 30, start));
        EXPECT_LT(run.iterations, 30) << "from " << start[0];
        EXPECT_TRUE(run.verdict.converged) << run.verdict.message;
        sums.push_back(sumSquaredResiduals());
    }
    EXPECT_LT(relativeDifference(sums[1], sums[0]), 1e-10);
    EXPECT_LT(relativeDifference(sums[2], sums[0]), 1e-10);
}

TEST_F(VariableProjection, TheUnitOfTimeDoesNotChangeTheTimeConstants) {
    // Picoseconds as written, then nanoseconds, microseconds and seconds.
    const double scales[] = {1.0, 1e-3, 1e-6, 1e-12};
    std::vector<long double> reference;
    for (const double scale : scales) {
        testing::resetWholeWorkspace();
        testing::loadPicosecondExamples(scale);
        const ProjectionRun run = runProjection(boxes(3, 30, {2 * scale, 20 * scale, 50 * scale}));
        if (reference.empty())
            reference = run.timeConstants;
        for (int k = 0; k < 3; ++k)
            EXPECT_LT(relativeDifference(run.timeConstants[k] / scale, reference[k]), 1e-9)
                << "scale " << scale << ", t" << k + 1;
    }
}

}  // namespace
}  // namespace quorvane
