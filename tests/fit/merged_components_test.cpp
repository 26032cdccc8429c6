// Components that merged in a variable-projection fit: split again when
// that finds a lower minimum, and reported honestly when it does not.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "data/extended_exp.h"
#include "fit/fit_driver.h"
#include "fit/goodness_of_fit.h"
#include "fit/merged_components.h"
#include "fit/variable_projection.h"
#include "start_log.h"
#include "support/synthetic_traces.h"

namespace quorvane {
namespace {

class MergedComponentsTest : public testing::WorkspaceTest {};

long double band(long double wavelength, long double centre, long double width) {
    const long double x = (wavelength - centre) / width;
    return expl(-x * x);
}

// Forty traces (400..790 nm) of three decays with noise, their amplitudes
// bands of the wavelength, on one log axis from 0.1 to 2000.
void loadTraces(const std::vector<long double>& timeConstants, double noise) {
    const testing::LogAxis axis{300, 0.1, 2000.0};
    for (int c = 1; c <= 40; ++c) {
        const long double w = 390.0L + 10.0L * c;
        testing::Decay decay;
        decay.offset = 0.001L;
        decay.amplitudes = {0.03L * band(w, 480, 60) - 0.01L, -0.02L * band(w, 560, 70) + 0.004L,
                            0.01L * band(w, 600, 80) + 0.002L};
        decay.timeConstants = timeConstants;
        decay.noise = noise;
        decay.seed = static_cast<unsigned>(c);
        testing::addDecay(decay, axis);
    }
}

std::string text(long double value) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17Lg", value);
    return buffer;
}

std::vector<long double> sortedTimeConstants() {
    std::vector<long double> result;
    for (int j = 1; j <= workspace.componentCount; ++j)
        result.push_back(extendedExp(-workspace.ParameterVector[rateIndex(j)]));
    std::sort(result.begin(), result.end());
    return result;
}

// The saddle of two equal rates: the best two-component fit with its
// second time constant doubled. Splitting it reaches the minimum that a
// start at the true time constants reaches, and the verdict says so.
TEST_F(MergedComponentsTest, SplitAtTheSaddleReachesTheLowerMinimum) {
    const std::vector<long double> truth = {2.0L, 10.0L, 30.0L};
    loadTraces(truth, 2e-4);
    testing::StartLog log;
    runStart(testing::startBoxes("3", "100", {"2", "10", "30"}), log.hooks(),
             FitMethod::VariableProjection);
    const long double lowest = sumSquaredResiduals();

    runStart(testing::startBoxes("2", "100", {"2", "15"}), log.hooks(),
             FitMethod::VariableProjection);
    const std::vector<long double> two = sortedTimeConstants();
    runStart(testing::startBoxes("3", "0", {text(two[0]), text(two[1]), text(two[1])}), log.hooks(),
             FitMethod::VariableProjection);
    RefitResult fitted;
    fitted.sumOfSquares = sumSquaredResiduals();
    ASSERT_GT(fitted.sumOfSquares, 1.5L * lowest);

    const Refit refit = [](const long double* start, RefitResult& result) {
        for (int j = 1; j <= workspace.componentCount; ++j)
            workspace.ParameterVector[rateIndex(j)] = start[j];
        result.outcome = fitByVariableProjection(100, {}, nullptr, nullptr, &result.recentSums);
        result.sumOfSquares = sumSquaredResiduals();
        return true;
    };
    FitRecord record;
    record.method = FitMethod::VariableProjection;
    splitMergedComponents(refit, fitted, record.mergedComponents);

    ASSERT_EQ(record.mergedComponents.splitCount, 1);
    EXPECT_EQ(record.mergedComponents.split[0].first, 2);
    EXPECT_EQ(record.mergedComponents.split[0].second, 3);
    EXPECT_EQ(record.mergedComponents.mergedCount, 0);
    EXPECT_NEAR(static_cast<double>(fitted.sumOfSquares / lowest), 1.0, 1e-9);
    const std::vector<long double> split = sortedTimeConstants();
    for (std::size_t j = 0; j < truth.size(); ++j)
        EXPECT_NEAR(static_cast<double>(split[j] / truth[j]), 1.0, 0.05) << j;
    record.recentSums = fitted.recentSums;
    record.finalSum = fitted.sumOfSquares;
    const std::string message = judgeFit(record).message;
    EXPECT_NE(message.find("; t2 and t3 merged and were split again"), std::string::npos)
        << message;
}

// Two of three time constants within a factor 1.2 under heavy noise: every
// start merges them, no split lowers the sum of squares, and the verdict
// advises fewer components instead of another Start.
TEST_F(MergedComponentsTest, PairThatStaysMergedAdvisesFewerComponents) {
    loadTraces({3.0L, 10.0L, 12.0L}, 1e-3);
    for (const char* factor : {"1", "5"}) {
        SCOPED_TRACE(factor);
        const long double f = std::stold(factor);
        testing::StartLog log;
        runStart(testing::startBoxes("3", "50", {text(3 * f), text(10 * f), text(12 * f)}),
                 log.hooks(), FitMethod::VariableProjection);
        const std::string& message = log.verdict.message;
        EXPECT_NE(message.find("merged into one time constant, and splitting them again did not "
                               "lower the sum of squares: fit fewer components"),
                  std::string::npos)
            << message;
        EXPECT_EQ(message.find("Press Start again"), std::string::npos) << message;
        EXPECT_EQ(message.find("cannot be told apart"), std::string::npos) << message;
    }
}

}  // namespace
}  // namespace quorvane
