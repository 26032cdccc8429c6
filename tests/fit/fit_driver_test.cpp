#include "fit/fit_driver.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "data/error.h"
#include "data/extended_exp.h"
#include "data/number_format.h"
#include "fit/goodness_of_fit.h"
#include "fit/model.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::addCurve;

// What a Start told its window, in order.
struct StartLog {
    int eventPasses = 0;
    std::vector<int> progress;
    std::vector<TimeConstantTexts> writtenTexts;
    int curveReplacements = 0;
};

StartHooks recordingHooks(StartLog& log) {
    StartHooks hooks;
    hooks.processEvents = [&log] { ++log.eventPasses; };
    hooks.setProgress = [&log](int position) { log.progress.push_back(position); };
    hooks.writeTimeConstants = [&log](const TimeConstantTexts& texts) {
        log.writtenTexts.push_back(texts);
    };
    hooks.replaceFittedCurves = [&log] { ++log.curveReplacements; };
    return hooks;
}

StartBoxes boxes(const std::string& components, const std::string& iterations) {
    StartBoxes result;
    result.componentCount = components;
    result.iterationCount = iterations;
    return result;
}

// A trace of `points` times spaced evenly on a log axis from 1e-7 to 1, with
// the values offset + sum of amplitude_k * exp(-t / timeConstant_k) formed in
// extended precision and rounded to double.
void addSyntheticCurve(long double offset, const std::vector<long double>& amplitudes,
                       const std::vector<long double>& timeConstants, int points = 300,
                       double noise = 0.0) {
    std::vector<double> times;
    std::vector<double> values;
    for (int i = 0; i < points; ++i) {
        const double t = std::pow(10.0, -7.0 + 7.0 * i / (points - 1));
        long double y = offset;
        for (std::size_t k = 0; k < amplitudes.size(); ++k)
            y += amplitudes[k] * extendedExp(-t / timeConstants[k]);
        // A deterministic zig-zag stands in for noise.
        y += (i % 2 == 0 ? noise : -noise) * ((i % 7) + 1) / 7.0;
        times.push_back(t);
        values.push_back(static_cast<double>(y));
    }
    addCurve(times, values);
}

// Two traces of a three-component decay with time constants 5e-6, 1e-4 and
// 3e-3, plus a little zig-zag so that steps are accepted.
void addTwoNoisyTraces() {
    addSyntheticCurve(0.01L, {0.5L, -0.3L, 0.2L}, {5e-6L, 1e-4L, 3e-3L}, 200, 1e-4);
    addSyntheticCurve(-0.02L, {0.1L, 0.4L, -0.25L}, {5e-6L, 1e-4L, 3e-3L}, 200, 1e-4);
}

std::string messageOf(const StartBoxes& start, const StartHooks& hooks = {}) {
    try {
        runStart(start, hooks);
    } catch (const QuorvaneError& error) {
        return error.message();
    }
    return "(no error)";
}

// -ln(t) as Start forms it, at run time: the compiler folds logl of a
// literal with a correctly rounded library of its own, which the run-time
// logl can miss by one unit in the last place.
long double logRateOf(const char* timeConstant) {
    return -logl(textToExtended(timeConstant));
}

bool sameBits(long double a, long double b) {
    // Only the 10 bytes of the 80-bit value are significant.
    return std::memcmp(&a, &b, 10) == 0;
}

class FitDriver : public testing::WorkspaceTest {};

// ---- Starts without iterations ---------------------------------------------

TEST_F(FitDriver, ZeroIterationsRewritesBoxesCountsTheFitAndShowsTheStartSum) {
    addSyntheticCurve(0.0L, {1.0L, 2.0L}, {1e-5L, 1e-4L}, 50);
    StartLog log;
    const std::string label = runStart(boxes("2", "0"), recordingHooks(log));

    ASSERT_EQ(log.writtenTexts.size(), 1u);
    const TimeConstantTexts expected = {"1.00000E-5", "1.00000E-4", "2.00000E-3",
                                        "2.00000E-2", "8.00000E-3", "2.00000E-3",
                                        "8.00000E-3", "4.00000E-2", "1.00000E-5"};
    EXPECT_EQ(log.writtenTexts[0], expected);
    EXPECT_EQ(log.curveReplacements, 1);
    EXPECT_EQ(log.eventPasses, 0);
    EXPECT_TRUE(log.progress.empty());
    EXPECT_EQ(workspace.fitCount, 1);
    // The start values: every offset and amplitude 1.0.
    for (int m = 1; m <= 3; ++m)
        EXPECT_EQ(workspace.ParameterVector[m], 1.0L);
    EXPECT_EQ(label, formatGeneral15(sumSquaredResiduals()));
    EXPECT_NE(label, "0");
}

TEST_F(FitDriver, NegativeIterationCountRunsNoIteration) {
    addSyntheticCurve(0.0L, {1.0L}, {1e-5L}, 20);
    StartLog log;
    runStart(boxes("1", "-3"), recordingHooks(log));
    EXPECT_EQ(log.eventPasses, 0);
    EXPECT_EQ(workspace.fitCount, 1);
    EXPECT_EQ(workspace.lambda, 0.001L);
}

TEST_F(FitDriver, NoTraceAndZeroIterationsCompletesWithSumZero) {
    StartLog log;
    EXPECT_EQ(runStart(boxes("3", "0"), recordingHooks(log)), "0");
    EXPECT_EQ(workspace.fitCount, 1);
    EXPECT_EQ(log.writtenTexts.size(), 1u);
    EXPECT_EQ(log.curveReplacements, 1);
    EXPECT_EQ(workspace.ParameterVector[1], logRateOf("10e-6"));
}

// ---- The iteration loop ----------------------------------------------------

TEST_F(FitDriver, ProgressPositionsAreIntegerPercentages) {
    addTwoNoisyTraces();
    StartLog log;
    StartBoxes start = boxes("3", "3");
    runStart(start, recordingHooks(log));
    EXPECT_EQ(log.progress, (std::vector<int>{33, 66, 100}));

    StartLog fifty;
    start.iterationCount = "50";
    runStart(start, recordingHooks(fifty));
    std::vector<int> evenSteps;
    for (int position = 2; position <= 100; position += 2)
        evenSteps.push_back(position);
    EXPECT_EQ(fifty.progress, evenSteps);
    EXPECT_EQ(workspace.fitCount, 2);
}

TEST_F(FitDriver, ProgressOfHugeIterationCountsDoesNotOverflow) {
    EXPECT_EQ(startProgressPosition(2147483647, 2147483647), 100);
    EXPECT_EQ(startProgressPosition(1073741823, 2147483647), 49);
    EXPECT_EQ(startProgressPosition(1, 3), 33);
}

TEST_F(FitDriver, OneEventPassAtTheTopOfEachIterationBeforeTheBuild) {
    addTwoNoisyTraces();
    StartLog log;
    StartHooks hooks = recordingHooks(log);
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
    runStart(boxes("3", "7"), hooks);
    EXPECT_EQ(log.eventPasses, 7);
    EXPECT_EQ(progressSeenAtPass, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(workspace.fitCount, 1);
}

TEST_F(FitDriver, AtMostFourIterationsNeverMoveATimeConstant) {
    addTwoNoisyTraces();
    StartBoxes start = boxes("3", "4");
    start.timeConstants[0] = "7e-6";
    start.timeConstants[1] = "2.5e-4";
    start.timeConstants[2] = "1.234567e-3";
    StartLog log;
    runStart(start, recordingHooks(log));

    const int s = 4 * 2;
    EXPECT_TRUE(sameBits(workspace.ParameterVector[s + 1], logRateOf("7e-6")));
    EXPECT_TRUE(sameBits(workspace.ParameterVector[s + 2], logRateOf("2.5e-4")));
    EXPECT_TRUE(sameBits(workspace.ParameterVector[s + 3], logRateOf("1.234567e-3")));
    EXPECT_EQ(log.writtenTexts.at(0)[0], "7.00000E-6");
    EXPECT_EQ(log.writtenTexts.at(0)[1], "2.50000E-4");
    EXPECT_EQ(log.writtenTexts.at(0)[2], "1.23457E-3");
    // The coefficients did move.
    EXPECT_NE(workspace.ParameterVector[2], 1.0L);
}

// Points at which the model with offset 1, amplitude 1 and time constant
// 1e-3 is exactly a double, so that such data give residuals of exactly 0.
void addCurveTheStartValuesReproduce(int wanted) {
    workspace.curveCount = 1;
    workspace.componentCount = 1;
    workspace.ParameterVector[1] = 1.0L;
    workspace.ParameterVector[2] = 1.0L;
    workspace.ParameterVector[3] = logRateOf("1e-3");
    std::vector<double> times;
    std::vector<double> values;
    for (int i = 1; static_cast<int>(times.size()) < wanted && i < 1000000; ++i) {
        const double t = i * 1.7e-7;
        const long double y = evaluateModelAt(1, t);
        if (static_cast<long double>(static_cast<double>(y)) != y)
            continue;
        times.push_back(t);
        values.push_back(static_cast<double>(y));
    }
    workspace.curveCount = 0;
    ASSERT_EQ(static_cast<int>(times.size()), wanted);
    addCurve(times, values);
}

TEST_F(FitDriver, AStepThatLeavesTheSumEqualIsRejectedAndLambdaGrowsTenfold) {
    addCurveTheStartValuesReproduce(6);
    ASSERT_EQ(workspace.curveCount, 1);

    StartBoxes start = boxes("1", "1");
    start.timeConstants[0] = "1e-3";
    StartLog log;
    EXPECT_EQ(runStart(start, recordingHooks(log)), "0");
    for (int m = 1; m <= 3; ++m)
        EXPECT_EQ(workspace.stepVector[m], 0.0L);
    EXPECT_EQ(workspace.lambda, 0.001L * 10.0L);
    EXPECT_EQ(workspace.ParameterVector[1], 1.0L);
    EXPECT_EQ(workspace.ParameterVector[2], 1.0L);

    start.iterationCount = "2";
    runStart(start, recordingHooks(log));
    EXPECT_EQ(workspace.lambda, 0.001L * 10.0L * 10.0L);
}

TEST_F(FitDriver, AnAcceptedStepInIterationThreeLeavesTheLogRates) {
    addTwoNoisyTraces();
    const int s = 4 * 2;
    long double lambdaBefore = 0;
    long double ratesBefore[4] = {};
    int iteration = 0;
    bool checked = false;
    StartHooks hooks;
    hooks.processEvents = [&] {
        ++iteration;
        lambdaBefore = workspace.lambda;
        for (int k = 1; k <= 3; ++k)
            ratesBefore[k] = workspace.ParameterVector[s + k];
    };
    hooks.setProgress = [&](int) {
        if (iteration != 3)
            return;
        checked = true;
        ASSERT_EQ(workspace.lambda, lambdaBefore / 10.0L) << "iteration 3 was not accepted";
        for (int k = 1; k <= 3; ++k) {
            EXPECT_NE(workspace.stepVector[s + k], 0.0L);
            EXPECT_TRUE(sameBits(workspace.ParameterVector[s + k], ratesBefore[k]));
        }
    };
    // Start values near the traces' time constants, so that the whole step,
    // rates included, lowers the sum.
    StartBoxes start = boxes("3", "3");
    start.timeConstants[0] = "5.1e-6";
    start.timeConstants[1] = "1.02e-4";
    start.timeConstants[2] = "2.95e-3";
    runStart(start, hooks);
    EXPECT_TRUE(checked);
}

TEST_F(FitDriver, RatesMoveFromIterationFiveAndUnfittedBoxesKeepTheirValues) {
    addTwoNoisyTraces();
    StartLog log;
    runStart(boxes("2", "12"), recordingHooks(log));

    const int s = 3 * 2;  // C = 2 curves of n + 1 = 3 entries
    EXPECT_FALSE(sameBits(workspace.ParameterVector[s + 1], logRateOf("10e-6")));
    EXPECT_FALSE(sameBits(workspace.ParameterVector[s + 2], logRateOf("100e-6")));
    const char* typed[9] = {"10e-6", "100e-6", "2e-3",  "20e-3", "8e-3",
                            "2e-3",  "8e-3",   "40e-3", "10e-6"};
    const TimeConstantTexts& written = log.writtenTexts.at(0);
    for (int k = 3; k <= 9; ++k) {
        EXPECT_TRUE(sameBits(workspace.ParameterVector[s + k], logRateOf(typed[k - 1])))
            << "t" << k;
    }
    EXPECT_EQ(written[2], "2.00000E-3");
    EXPECT_EQ(written[3], "2.00000E-2");
    EXPECT_EQ(written[4], "8.00000E-3");
    EXPECT_EQ(written[5], "2.00000E-3");
    EXPECT_EQ(written[6], "8.00000E-3");
    EXPECT_EQ(written[7], "4.00000E-2");
    EXPECT_EQ(written[8], "1.00000E-5");
}

TEST_F(FitDriver, NoiselessTracesGiveBackTheirTimeConstantsToSixDigits) {
    addSyntheticCurve(0.01L, {0.5L, -0.3L, 0.2L}, {5e-6L, 1e-4L, 3e-3L});
    addSyntheticCurve(-0.02L, {0.1L, 0.4L, -0.25L}, {5e-6L, 1e-4L, 3e-3L});
    StartBoxes start = boxes("3", "100");
    start.timeConstants[0] = "1e-5";
    start.timeConstants[1] = "2e-4";
    start.timeConstants[2] = "1e-3";
    StartLog log;
    const std::string label = runStart(start, recordingHooks(log));
    const TimeConstantTexts& written = log.writtenTexts.at(0);
    EXPECT_EQ(written[0], "5.00000E-6");
    EXPECT_EQ(written[1], "1.00000E-4");
    EXPECT_EQ(written[2], "3.00000E-3");
    EXPECT_LT(sumSquaredResiduals(), 1e-20L) << label;
    // Curve 2's amplitude of the slowest component (entry (2-1)*4 + 1 + 3).
    EXPECT_NEAR(static_cast<double>(workspace.ParameterVector[8]), -0.25, 1e-9);
}

TEST_F(FitDriver, ACurveLoadedAfterAFitStartsAtOne) {
    addSyntheticCurve(0.0L, {0.5L, 0.2L}, {1e-5L, 1e-3L}, 100, 1e-4);
    runStart(boxes("2", "10"), {});
    const long double firstOffset = workspace.ParameterVector[1];
    ASSERT_NE(firstOffset, 1.0L);
    addSyntheticCurve(0.0L, {0.3L, 0.1L}, {1e-5L, 1e-3L}, 100, 1e-4);
    runStart(boxes("2", "0"), {});
    EXPECT_EQ(workspace.ParameterVector[1], firstOffset);
    for (int m = 4; m <= 6; ++m)
        EXPECT_EQ(workspace.ParameterVector[m], 1.0L) << m;
}

// ---- Refusals and failures, in the order Start meets them ------------------

TEST_F(FitDriver, BadComponentCountChangesNothing) {
    addSyntheticCurve(0.0L, {1.0L}, {1e-5L}, 20);
    workspace.componentCount = 2;
    workspace.lambda = 5.0L;
    EXPECT_EQ(messageOf(boxes("four", "50")), "'four' is not a valid integer value");
    for (const char* count : {"0", "10", "-1"}) {
        EXPECT_EQ(messageOf(boxes(count, "50")),
                  std::string("The number of components must be between 1 and 9, not ") + count);
    }
    EXPECT_EQ(workspace.componentCount, 2);
    EXPECT_EQ(workspace.lambda, 5.0L);
    EXPECT_EQ(workspace.ParameterVector[1], 0.0L);
    EXPECT_EQ(workspace.fitCount, 0);
}

TEST_F(FitDriver, AFitBeyondThreeHundredEntriesIsRefused) {
    for (int c = 1; c <= 40; ++c)
        addCurve({1e-6, 1e-5, 1e-4}, {1.0, 0.5, 0.1});
    EXPECT_EQ(messageOf(boxes("7", "1")),
              "A fit of 40 traces with 7 components needs 329 parameter entries, and at most 300 "
              "are available: with 7 components at most 36 traces can be fitted");
    EXPECT_EQ(workspace.componentCount, 0);
    EXPECT_EQ(workspace.lambda, 0.0L);
    // 7 * 40 + 9 = 289 entries fit.
    StartLog log;
    runStart(boxes("6", "0"), recordingHooks(log));
    EXPECT_EQ(workspace.fitCount, 1);
}

TEST_F(FitDriver, NoTraceWithIterationsIsRefusedUnlessTheCountIsNoInteger) {
    EXPECT_EQ(messageOf(boxes("2", "1")), "No trace is loaded: open a trace file before Start");
    EXPECT_EQ(workspace.componentCount, 0);
    EXPECT_EQ(workspace.lambda, 0.0L);

    EXPECT_EQ(messageOf(boxes("2", "x1")), "'x1' is not a valid integer value");
    EXPECT_EQ(workspace.componentCount, 2);
    EXPECT_EQ(workspace.lambda, 0.001L);
}

TEST_F(FitDriver, BadIterationCountComesAfterCoefficientsAndLambda) {
    addSyntheticCurve(0.0L, {1.0L}, {1e-5L}, 20);
    workspace.lambda = 0.0L;
    EXPECT_EQ(messageOf(boxes("2", " 5 0")), "' 5 0' is not a valid integer value");
    EXPECT_EQ(workspace.componentCount, 2);
    EXPECT_EQ(workspace.layoutComponentCount, 2);
    for (int m = 1; m <= 3; ++m)
        EXPECT_EQ(workspace.ParameterVector[m], 1.0L);
    EXPECT_EQ(workspace.lambda, 0.001L);
    EXPECT_EQ(workspace.ParameterVector[4], 0.0L);  // no log-rate stored yet
}

TEST_F(FitDriver, EveryTimeConstantBoxIsParsedAndTheEarlierOnesStayStored) {
    addSyntheticCurve(0.0L, {1.0L}, {1e-5L}, 20);
    StartBoxes start = boxes("2", "5");
    start.timeConstants[8] = "1e-5x";
    StartLog log;
    EXPECT_EQ(messageOf(start, recordingHooks(log)), "'1e-5x' is not a valid floating point value");
    const int s = 3;
    EXPECT_EQ(workspace.ParameterVector[s + 1], logRateOf("10e-6"));
    EXPECT_EQ(workspace.ParameterVector[s + 8], logRateOf("40e-3"));
    EXPECT_EQ(workspace.ParameterVector[s + 9], 0.0L);
    EXPECT_EQ(log.eventPasses, 0);
    EXPECT_TRUE(log.writtenTexts.empty());
    EXPECT_EQ(workspace.fitCount, 0);
}

TEST_F(FitDriver, ZeroAndNegativeTimeConstantsAreFloatingPointFaults) {
    addSyntheticCurve(0.0L, {1.0L}, {1e-5L}, 20);
    StartBoxes start = boxes("1", "5");
    start.timeConstants[3] = "0";
    EXPECT_EQ(messageOf(start), "Floating point division by zero");
    const int s = 2;
    EXPECT_EQ(workspace.ParameterVector[s + 3], logRateOf("2e-3"));
    EXPECT_EQ(workspace.ParameterVector[s + 4], 0.0L);

    start.timeConstants[3] = "20e-3";
    start.timeConstants[5] = "-2e-3";
    EXPECT_EQ(messageOf(start), "Invalid floating point operation");
    EXPECT_EQ(workspace.ParameterVector[s + 5], logRateOf("8e-3"));
    EXPECT_EQ(workspace.ParameterVector[s + 6], 0.0L);
    EXPECT_EQ(workspace.fitCount, 0);
}

TEST_F(FitDriver, AFaultInsideTheLoopKeepsTheLastAcceptedParameters) {
    addTwoNoisyTraces();
    const int count = 4 * 2 + 3;
    long double lastAccepted[kMaxParameters + 1] = {};
    int iteration = 0;
    StartLog log;
    StartHooks hooks = recordingHooks(log);
    hooks.processEvents = [&] {
        ++iteration;
        if (iteration < 3)
            return;
        for (int m = 1; m <= count; ++m)
            lastAccepted[m] = workspace.ParameterVector[m];
        // A time far before zero makes exp(-t * rate) overflow in the build.
        // Written without announcing it: the exponentials curve 1 shares
        // with curve 2 until now must not stand in for curve 2's.
        workspace.curves[2].times[5] = -1e300;
    };
    EXPECT_EQ(messageOf(boxes("3", "10"), hooks), "Floating point overflow");
    EXPECT_EQ(iteration, 3);
    EXPECT_EQ(log.progress, (std::vector<int>{10, 20}));
    for (int m = 1; m <= count; ++m)
        EXPECT_TRUE(sameBits(workspace.ParameterVector[m], lastAccepted[m])) << m;
    EXPECT_TRUE(log.writtenTexts.empty());
    EXPECT_EQ(log.curveReplacements, 0);
    EXPECT_EQ(workspace.fitCount, 0);
    EXPECT_FALSE(startInProgress());
}

TEST_F(FitDriver, ASingularSystemStopsTheFirstIteration) {
    // Every point at t = 0: the derivative by the log-rate vanishes.
    addCurve({0.0, 0.0, 0.0}, {1.0, 2.0, 3.0});
    StartLog log;
    const std::string message = messageOf(boxes("1", "3"), recordingHooks(log));
    EXPECT_TRUE(message == "Floating point division by zero" ||
                message == "Invalid floating point operation")
        << message;
    EXPECT_TRUE(log.progress.empty());
    EXPECT_EQ(workspace.fitCount, 0);
}

// ---- Commands given during a fit -------------------------------------------

TEST_F(FitDriver, AStartDuringAFitIsRefusedAndTheFitGoesOn) {
    addTwoNoisyTraces();
    std::string nestedMessage;
    StartHooks hooks;
    hooks.processEvents = [&] {
        if (nestedMessage.empty())
            nestedMessage = messageOf(boxes("3", "1"));
    };
    runStart(boxes("3", "5"), hooks);
    EXPECT_EQ(nestedMessage, "A fit is running: wait until it has ended");
    EXPECT_EQ(workspace.fitCount, 1);
}

TEST_F(FitDriver, TracesChangedDuringAFitStopIt) {
    addTwoNoisyTraces();
    StartHooks hooks;
    int passes = 0;
    hooks.processEvents = [&] {
        if (++passes == 2)
            addCurve({1e-6, 1e-5, 1e-4}, {1.0, 0.5, 0.1});
    };
    EXPECT_EQ(messageOf(boxes("3", "5"), hooks),
              "The traces or the component count were changed during the fit: the fit was "
              "stopped, Start again");
    EXPECT_EQ(workspace.fitCount, 0);
}

// ---- The fitted curves -----------------------------------------------------

TEST_F(FitDriver, PlotGridRunsFromOneTenthMicroToTenInEightDecades) {
    const auto& grid = plotGrid();
    EXPECT_EQ(static_cast<double>(grid[1]), 1e-7);
    EXPECT_EQ(static_cast<double>(grid[kPlotGridPoints]), 10.0);
    for (int i = 2; i <= kPlotGridPoints; ++i) {
        if (i % 10 != 1) {
            EXPECT_GT(grid[i], grid[i - 1]) << i;
        }
    }
    // The last point of a decade and the first of the next share their
    // nominal time.
    for (int d = 1; d <= 7; ++d) {
        EXPECT_NEAR(static_cast<double>(grid[10 * d]), static_cast<double>(grid[10 * d + 1]),
                    1e-15 * static_cast<double>(grid[10 * d]))
            << d;
    }
    EXPECT_NEAR(static_cast<double>(grid[25]), 5e-5, 1e-20);
}

TEST_F(FitDriver, FittedCurveFollowsTheModelAndReportsOverflow) {
    addCurve({1e-6}, {0.0});
    workspace.componentCount = 1;
    workspace.ParameterVector[1] = 0.5L;
    workspace.ParameterVector[2] = 2.0L;
    workspace.ParameterVector[3] = logRateOf("1e-4");
    std::array<double, kPlotGridPoints + 1> x{};
    std::array<double, kPlotGridPoints + 1> y{};
    fittedCurvePoints(1, x, y);
    for (int i = 1; i <= kPlotGridPoints; ++i) {
        EXPECT_EQ(x[i], static_cast<double>(plotGrid()[i]));
        EXPECT_NEAR(y[i], 0.5 + 2.0 * std::exp(-x[i] / 1e-4), 1e-12) << i;
    }
    workspace.ParameterVector[2] = 1e4000L;  // beyond the range of a double
    EXPECT_THROW(fittedCurvePoints(1, x, y), QuorvaneError);
}

}  // namespace
}  // namespace quorvane
