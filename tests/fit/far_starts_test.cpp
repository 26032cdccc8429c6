// Variable projection from starts far from the data's time constants: the
// start is moved into the data's times, a trial stays in its box, and no
// Start ends in a fault.
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "fit/fit_driver.h"
#include "fit/time_constant_range.h"
#include "start_log.h"
#include "support/example_traces.h"

namespace quorvane {
namespace {

class FarStarts : public testing::WorkspaceTest {};

struct FarStart {
    const char* name;
    bool picosecond;
    std::vector<std::string> timeConstants;
    bool moved;  // some box lies outside the data's times
};

// The examples' times run from 1e-7 to 1 (shortest step 3.3e-9), the
// picosecond examples' from 0.3 to 1000 (shortest step 8.3e-3).
const FarStart kFarStarts[] = {
    {"examples, 1e-9 ..", false, {"1e-9", "1e-8", "1e-7"}, true},
    {"examples, 1e-10 ..", false, {"1e-10", "1e-9", "1e-8"}, true},
    {"examples, 1e-12 ..", false, {"1e-12", "1e-11", "1e-10"}, true},
    {"examples, 1e-15 ..", false, {"1e-15", "1e-14", "1e-13"}, true},
    {"picosecond, 100x too short", true, {"0.018", "0.21", "0.5"}, false},
    {"picosecond, far too short", true, {"1e-6", "1e-5", "1e-4"}, true},
    {"picosecond, far too long", true, {"1e5", "1e7", "1e9"}, true},
};

// Each Start completes: the plot points are finite,
// the verdict is an honest one on a projection that did not fault, and it
// notes a moved start exactly when one was moved.
TEST_F(FarStarts, EndWithoutAFault) {
    for (const FarStart& start : kFarStarts) {
        SCOPED_TRACE(start.name);
        testing::resetWholeWorkspace();
        if (start.picosecond)
            testing::loadPicosecondExamples();
        else
            testing::loadExamples();
        testing::StartLog log;
        StartHooks hooks = log.hooks();
        bool plotFinite = true;
        hooks.replaceFittedCurves = [&plotFinite] {
            std::array<double, kPlotGridPoints + 1> x{};
            std::array<double, kPlotGridPoints + 1> y{};
            for (int c = 1; c <= workspace.curveCount; ++c) {
                fittedCurvePoints(c, x, y);
                for (const double value : y)
                    plotFinite = plotFinite && std::isfinite(value);
            }
        };
        ASSERT_NO_THROW(runStart(testing::startBoxes("3", "50", start.timeConstants), hooks,
                                 FitMethod::VariableProjection));
        EXPECT_TRUE(plotFinite);
        // A converged fit keeps every component: one that lost its
        // amplitudes would leave the covariance singular.
        for (int j = 1; log.verdict.converged && j <= 3; ++j) {
            bool shown = false;
            for (int c = 1; c <= workspace.curveCount; ++c)
                shown = shown || workspace.ParameterVector[amplitudeIndex(c, j)] != 0.0L;
            EXPECT_TRUE(shown) << j;
        }
        EXPECT_TRUE(log.verdict.judged);
        const std::string& message = log.verdict.message;
        EXPECT_TRUE(message.rfind("Converged", 0) == 0 || message.rfind("Not converged", 0) == 0)
            << message;
        EXPECT_EQ(message.find("started within the data's times") != std::string::npos, start.moved)
            << message;
    }
}

// The box of the trials: h/1000 .. 1000 T in log-rates, widened on the side
// of a start that lies outside it; a start is moved to the nearer end of
// [h, T] and only then.
TEST_F(FarStarts, RangeMovesStartsAndBoundsTrials) {
    testing::addCurve({1e-3, 2e-3, 4e-3, 10.0}, {0.0, 0.0, 0.0, 0.0});
    const TimeConstantRange range = dataTimeConstantRange();
    long double logRates[4] = {0.0L, -logl(1e-5L), -logl(0.5L), -logl(1e3L)};
    const std::string note = moveStartIntoRange(range, 3, logRates);
    EXPECT_DOUBLE_EQ(static_cast<double>(range.shortestStep), 1e-3);
    EXPECT_EQ(logRates[1], -logl(range.shortestStep));
    EXPECT_EQ(logRates[2], -logl(0.5L));
    EXPECT_EQ(logRates[3], -logl(10.0L));
    EXPECT_NE(note.find("t1 from 1.00000E-5 to 1.00000E-3, t3 from 1.00000E+3 to 1.00000E+1"),
              std::string::npos)
        << note;

    const long double typed[3] = {0.0L, -logl(1e-9L), -logl(1.0L)};
    const LogRateBounds bounds = trialLogRateBounds(range, 2, typed);
    const long double inside[2] = {-logl(2e-9L), -logl(9e3L)};
    const long double beyondLong[2] = {-logl(1e-3L), -logl(2e4L)};
    const long double beyondTyped[2] = {-logl(5e-10L), 0.0L};
    EXPECT_TRUE(bounds.holds(inside, 2));
    EXPECT_FALSE(bounds.holds(beyondLong, 2));
    EXPECT_FALSE(bounds.holds(beyondTyped, 2));
}

}  // namespace
}  // namespace quorvane
