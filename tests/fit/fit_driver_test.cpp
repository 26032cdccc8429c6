// Start's iterations and what it writes back; its refusals and faults are in
// start_faults_test.cpp.
#include "fit/fit_driver.h"

#include <cmath>
#include <limits>
#include <vector>

#include "data/error.h"
#include "data/number_format.h"
#include "data/number_text.h"
#include "fit/goodness_of_fit.h"
#include "fit/model.h"
#include "start_log.h"
#include "support/synthetic_traces.h"

namespace quorvane {
namespace {

using testing::addCurve;
using testing::addTwoNoisyTraces;
using testing::sameBits;
using testing::startBoxes;
using testing::StartLog;

const std::vector<long double> kTimeConstants = {5e-6L, 1e-4L, 3e-3L};
const TimeConstantTexts kDefaultTexts = StartBoxes().timeConstants;

// -ln(t) as Start forms it, at run time: the compiler folds logl of a
// literal with a correctly rounded library of its own, which the run-time
// logl can miss by one unit in the last place.
long double logRateOf(const std::string& timeConstant) {
    return -logl(textToExtended(timeConstant));
}

class FitDriver : public testing::WorkspaceTest {};

// No iteration, also for a negative count or without traces: the boxes are
// rewritten in the exponent format, the curves drawn from the start values,
// the fit counted, and the label shows the sum at the start values.
TEST_F(FitDriver, WithoutIterationsTheStartValuesAreWrittenBackAndCounted) {
    const TimeConstantTexts rewritten = {"1.00000E-5", "1.00000E-4", "2.00000E-3",
                                         "2.00000E-2", "8.00000E-3", "2.00000E-3",
                                         "8.00000E-3", "4.00000E-2", "1.00000E-5"};
    for (const char* iterations : {"0", "-3", "no trace"}) {
        SCOPED_TRACE(iterations);
        testing::resetWholeWorkspace();
        const bool traced = std::string(iterations) != "no trace";
        if (traced)
            testing::addDecay({0.0L, {1.0L, 2.0L}, {1e-5L, 1e-4L}}, {50});
        StartLog log;
        const std::string label = runStart(startBoxes("2", traced ? iterations : "0"), log.hooks());
        EXPECT_EQ(log.writtenTexts, std::vector<TimeConstantTexts>{rewritten});
        EXPECT_EQ(log.curveReplacements, 1);
        EXPECT_EQ(log.eventPasses, 0);
        EXPECT_TRUE(log.progress.empty());
        EXPECT_EQ(workspace.fitCount, 1);
        EXPECT_EQ(workspace.lambda, 0.001L);
        EXPECT_EQ(label, formatGeneral15(sumSquaredResiduals()));
        EXPECT_EQ(label == "0", !traced);
        EXPECT_TRUE(sameBits(workspace.ParameterVector[rateIndex(1)], logRateOf("10e-6")));
        for (int m = 1; m <= 3 * workspace.curveCount; ++m)
            EXPECT_EQ(workspace.ParameterVector[m], 1.0L);
    }
}

TEST_F(FitDriver, ProgressPositionsAreIntegerPercentages) {
    addTwoNoisyTraces();
    StartLog three;
    runStart(startBoxes("3", "3"), three.hooks());
    EXPECT_EQ(three.progress, (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(startProgressPosition(49, 50), 98);
    // Formed in 64 bits: huge counts do not overflow.
    EXPECT_EQ(startProgressPosition(2147483647, 2147483647), 100);
    EXPECT_EQ(startProgressPosition(1073741823, 2147483647), 49);
}

TEST_F(FitDriver, OneEventPassAtTheTopOfEachIterationBeforeTheBuild) {
    addTwoNoisyTraces();
    StartLog log;
    StartHooks hooks = log.hooks();
    std::vector<std::size_t> progressSeenAtPass;
    hooks.processEvents = [&] {
        ++log.eventPasses;
        progressSeenAtPass.push_back(log.progress.size());
        // Poison the system: only a build after this pass makes the solve
        // and the accept test work on sound numbers.
        const long double nan = std::numeric_limits<long double>::quiet_NaN();
        for (int i = 1; i <= fittedParameterCount(); ++i) {
            workspace.gradientVector[i] = nan;
            for (int k = 1; k <= fittedParameterCount(); ++k)
                workspace.normalMatrix[i][k] = nan;
        }
    };
    runStart(startBoxes("3", "7"), hooks);
    EXPECT_EQ(progressSeenAtPass, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(workspace.fitCount, 1);
}

// Iterations 1..4 move the coefficients only; from iteration 5 on the
// fitted log-rates move too, and t(n+1)..t9 are written back as typed.
TEST_F(FitDriver, TheLogRatesAreReleasedInIterationFive) {
    for (const char* iterations : {"4", "12"}) {
        testing::resetWholeWorkspace();
        addTwoNoisyTraces();
        const StartBoxes boxes = startBoxes("2", iterations, {"7e-6", "1.234567e-3"});
        StartLog log;
        runStart(boxes, log.hooks());
        const bool released = std::string(iterations) == "12";
        for (int k = 1; k <= 9; ++k) {
            EXPECT_EQ(sameBits(workspace.ParameterVector[rateIndex(k)],
                               logRateOf(boxes.timeConstants[k - 1])),
                      k > 2 || !released)
                << iterations << " iterations, t" << k;
        }
        const TimeConstantTexts& written = log.writtenTexts.at(0);
        EXPECT_EQ(written[0] == "7.00000E-6", !released);
        EXPECT_EQ(written[1] == "1.23457E-3", !released);
        EXPECT_TRUE(std::equal(written.begin() + 2, written.end(), kDefaultTexts.begin() + 2,
                               [](const std::string& text, const std::string& typed) {
                                   return textToExtended(text) == textToExtended(typed);
                               }));
        EXPECT_NE(workspace.ParameterVector[2], 1.0L);
    }
}

TEST_F(FitDriver, AnAcceptedStepInIterationThreeLeavesTheLogRates) {
    addTwoNoisyTraces();
    long double lambdaBefore = 0;
    long double ratesBefore[4] = {};
    int iteration = 0;
    bool checked = false;
    StartHooks hooks;
    hooks.processEvents = [&] {
        ++iteration;
        lambdaBefore = workspace.lambda;
        for (int k = 1; k <= 3; ++k)
            ratesBefore[k] = workspace.ParameterVector[rateIndex(k)];
    };
    hooks.setProgress = [&](int) {
        if (iteration != 3)
            return;
        checked = true;
        ASSERT_EQ(workspace.lambda, lambdaBefore / 10.0L) << "iteration 3 was not accepted";
        for (int k = 1; k <= 3; ++k) {
            EXPECT_NE(workspace.stepVector[rateIndex(k)], 0.0L);
            EXPECT_TRUE(sameBits(workspace.ParameterVector[rateIndex(k)], ratesBefore[k]));
        }
    };
    // Start values near the traces' time constants, so that the whole step,
    // rates included, lowers the sum.
    runStart(startBoxes("3", "3", {"5.1e-6", "1.02e-4", "2.95e-3"}), hooks);
    EXPECT_TRUE(checked);
}

// Points at which the model with offset 1, amplitude 1 and time constant
// 1e-3 is exactly a double: the start values then fit with residuals of 0,
// the step is 0, and the equal trial sum is rejected.
TEST_F(FitDriver, AStepThatLeavesTheSumEqualIsRejectedAndLambdaGrowsTenfold) {
    workspace.curveCount = 1;
    testing::setParameters(1, {1.0L, 1.0L, logRateOf("1e-3")});
    std::vector<double> times;
    std::vector<double> values;
    for (int i = 1; times.size() < 6 && i < 1000000; ++i) {
        const long double y = evaluateModelAt(1, i * 1.7e-7);
        if (static_cast<long double>(static_cast<double>(y)) == y) {
            times.push_back(i * 1.7e-7);
            values.push_back(static_cast<double>(y));
        }
    }
    ASSERT_EQ(times.size(), 6u);
    workspace.curveCount = 0;
    addCurve(times, values);

    EXPECT_EQ(runStart(startBoxes("1", "1", {"1e-3"}), {}), "0");
    for (int m = 1; m <= 3; ++m)
        EXPECT_EQ(workspace.stepVector[m], 0.0L);
    EXPECT_EQ(workspace.lambda, 0.001L * 10.0L);
    EXPECT_EQ(workspace.ParameterVector[1], 1.0L);
    EXPECT_EQ(workspace.ParameterVector[2], 1.0L);
    runStart(startBoxes("1", "2", {"1e-3"}), {});
    EXPECT_EQ(workspace.lambda, 0.001L * 10.0L * 10.0L);
}

TEST_F(FitDriver, NoiselessTracesGiveBackTheirTimeConstantsToSixDigits) {
    testing::addDecay({0.01L, {0.5L, -0.3L, 0.2L}, kTimeConstants}, {300, 1e-7, 1.0});
    testing::addDecay({-0.02L, {0.1L, 0.4L, -0.25L}, kTimeConstants}, {300, 1e-7, 1.0});
    StartLog log;
    runStart(startBoxes("3", "100", {"1e-5", "2e-4", "1e-3"}), log.hooks());
    const TimeConstantTexts& written = log.writtenTexts.at(0);
    EXPECT_EQ(written[0], "5.00000E-6");
    EXPECT_EQ(written[1], "1.00000E-4");
    EXPECT_EQ(written[2], "3.00000E-3");
    EXPECT_LT(sumSquaredResiduals(), 1e-20L);
    EXPECT_NEAR(static_cast<double>(workspace.ParameterVector[amplitudeIndex(2, 3)]), -0.25, 1e-9);
}

// 1e-7 to 10 in eight decades of ten points; the last point of a decade and
// the first of the next share their nominal time.
TEST_F(FitDriver, PlotGridRunsFromOneTenthMicroToTenInEightDecades) {
    const auto& grid = plotGrid();
    EXPECT_EQ(static_cast<double>(grid[1]), 1e-7);
    EXPECT_EQ(static_cast<double>(grid[kPlotGridPoints]), 10.0);
    EXPECT_NEAR(static_cast<double>(grid[25]), 5e-5, 1e-20);
    for (int i = 2; i <= kPlotGridPoints; ++i) {
        if (i % 10 != 1)
            EXPECT_GT(grid[i], grid[i - 1]) << i;
        else
            EXPECT_NEAR(grid[i], grid[i - 1], 1e-15L * grid[i]) << i;
    }
}

TEST_F(FitDriver, FittedCurveFollowsTheModelAndReportsOverflow) {
    addCurve({1e-6}, {0.0});
    testing::setParameters(1, {0.5L, 2.0L, logRateOf("1e-4")});
    std::array<double, kPlotGridPoints + 1> x{};
    std::array<double, kPlotGridPoints + 1> y{};
    fittedCurvePoints(1, x, y);
    for (int i = 1; i <= kPlotGridPoints; ++i) {
        EXPECT_EQ(x[i], static_cast<double>(plotGrid()[i]));
        EXPECT_EQ(y[i], static_cast<double>(evaluateModelAt(1, plotGrid()[i]))) << i;
        EXPECT_NEAR(y[i], 0.5 + 2.0 * std::exp(-x[i] / 1e-4), 1e-12) << i;
    }
    workspace.ParameterVector[2] = 1e4000L;  // beyond the range of a double
    EXPECT_THROW(fittedCurvePoints(1, x, y), QuorvaneError);
}

}  // namespace
}  // namespace quorvane
