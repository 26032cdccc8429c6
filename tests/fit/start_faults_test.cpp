// Every way a Start is refused or stops, once: traces read from files by the
// reader, then Start with the texts a user could type. Each case states the
// message and what the refused Start has changed, checked against a byte
// copy of the whole workspace taken before it.
#include <string>

#include "data/number_text.h"
#include "data/trace_reader.h"
#include "start_log.h"
#include "support/expect_error.h"
#include "support/synthetic_traces.h"
#include "support/workspace_image.h"

namespace quorvane {
namespace {

using testing::errorOf;
using testing::StartLog;
using testing::WorkspaceImage;

// How far a refused first Start got before its error, in Start's order.
enum class Reached {
    nothing,           // refused before anything changed
    coefficients,      // componentCount, the start values 1.0 and lambda 0.001
    logRatesBeforeIt,  // ... and the log-rates of the boxes before the bad one
    iterations,        // ... and all nine log-rates; stopped inside the loop
};

struct Refusal {
    int traces;        // files loaded before the Start
    const char* data;  // their text; nullptr: a clean decay of two components
    const char* components;
    const char* iterations;
    int box;           // the time-constant box typed in (1..9), 0: none
    const char* text;  // its text
    const char* message;
    Reached reached;
    char separator = '.';
};

const char* const kOverflowAtMinusOne = "-1 0.5\n1e-6 0.4\n1e-5 0.2\n1e-4 0.1\n";

// exp(-t / 1e-5) at t = -1 is e^100000, beyond the extended range: formed
// once for three traces on one axis, it stops the fit as for one trace. All
// times 0 make the log-rate's row and column zero: no row can be exchanged
// for that pivot, and back substitution forms 0 / 0.
const Refusal kRefusals[] = {
    {2, nullptr, "four", "5", 0, "", "'four' is not a valid integer value", Reached::nothing},
    {2, nullptr, "0", "5", 0, "", "The number of components must be between 1 and 9, not 0",
     Reached::nothing},
    {2, nullptr, "10", "5", 0, "", "The number of components must be between 1 and 9, not 10",
     Reached::nothing},
    {30, nullptr, "9", "3", 0, "",
     "A fit of 30 traces with 9 components needs 309 parameter entries, and at most 300 are "
     "available: with 9 components at most 29 traces can be fitted",
     Reached::nothing},
    {40, nullptr, "7", "3", 0, "",
     "A fit of 40 traces with 7 components needs 329 parameter entries, and at most 300 are "
     "available: with 7 components at most 36 traces can be fitted",
     Reached::nothing},
    {0, nullptr, "2", "1", 0, "", "No trace is loaded: open a trace file before Start",
     Reached::nothing},
    {0, nullptr, "2", "x1", 0, "", "'x1' is not a valid integer value", Reached::coefficients},
    {2, nullptr, "2", "abc", 0, "", "'abc' is not a valid integer value", Reached::coefficients},
    {1, nullptr, "2", "5", 9, "1e-5x", "'1e-5x' is not a valid floating point value",
     Reached::logRatesBeforeIt},
    {1, nullptr, "2", "5", 1, "0", "Floating point division by zero", Reached::logRatesBeforeIt},
    {1, nullptr, "2", "5", 3, "-0", "Floating point division by zero", Reached::logRatesBeforeIt},
    {1, nullptr, "2", "5", 4, "-1e-3", "Invalid floating point operation",
     Reached::logRatesBeforeIt},
    {1, nullptr, "1", "0", 2, "1,5e-3", "'1,5e-3' is not a valid floating point value",
     Reached::logRatesBeforeIt},
    {1, "1e-6 0,5\n1e-5 0,3\n1e-4 0,1\n", "1", "0", 2, "1.5e-3",
     "'1.5e-3' is not a valid floating point value", Reached::logRatesBeforeIt, ','},
    {3, kOverflowAtMinusOne, "2", "8", 0, "", "Floating point overflow", Reached::iterations},
    {1, "0 0.5\n0 0.4\n0 0.3\n", "1", "5", 0, "", "Invalid floating point operation",
     Reached::iterations},
};

class StartFaults : public testing::WorkspaceTest {
  protected:
    void TearDown() override { setDecimalSeparator('.'); }

    int load(const std::string& name, const std::string& text) {
        return loadTraceFile(dir_.write(name, text));
    }

    testing::TempDir dir_;
};

TEST_F(StartFaults, EachRefusalNamesItsCauseAndChangesOnlyWhatCameBefore) {
    const std::string decay = testing::decayText({0.01L, {0.4L, 0.2L}, {1e-5L, 1e-3L}}, {60});
    for (const Refusal& refusal : kRefusals) {
        SCOPED_TRACE(refusal.message);
        testing::resetWholeWorkspace();
        setDecimalSeparator(refusal.separator);
        for (int c = 1; c <= refusal.traces; ++c)
            load(std::to_string(400 + c) + ".txt", refusal.data ? refusal.data : decay);
        StartBoxes boxes = testing::startBoxes(refusal.components, refusal.iterations);
        if (refusal.box > 0)
            boxes.timeConstants[refusal.box - 1] = refusal.text;

        WorkspaceImage image;
        if (refusal.reached != Reached::nothing)
            image.expectPreparedFirstStart(parseInteger(refusal.components).value());
        if (refusal.reached == Reached::logRatesBeforeIt)
            image.expectLogRates(boxes.timeConstants, refusal.box - 1);
        if (refusal.reached == Reached::iterations)
            image.expectLogRates(boxes.timeConstants, 9);
        StartLog log;
        EXPECT_EQ(errorOf([&] { runStart(boxes, log.hooks()); }), refusal.message);
        EXPECT_TRUE(refusal.reached == Reached::iterations
                        ? image.matchesOutsideTheIterationArrays()
                        : image.matches());
        EXPECT_TRUE(log.windowUntouched());
        EXPECT_EQ(log.eventPasses > 0, refusal.reached == Reached::iterations);
    }
}

// The same files and texts with the fault mended run to their end.
TEST_F(StartFaults, TheTextsNextToTheRefusedOnesAreAccepted) {
    setDecimalSeparator(',');
    load("450.txt", "1e-6 0,5\n1e-5 0,3\n1e-4 0,1\n");
    const StartBoxes comma = testing::startBoxes(" 1 ", "0", {"10e-6", "1,5e-3"});
    EXPECT_EQ(errorOf([&] { runStart(comma, {}); }), testing::kNoError);
    volatile long double timeConstant = 1.5e-3L;  // -ln formed at run time, as Start does
    EXPECT_EQ(workspace.ParameterVector[rateIndex(2)], -logl(timeConstant));

    // The largest fits: 40 traces of 6 components (289 entries), 29 of 9 (299).
    for (const auto& [traces, components] : {std::pair{40, "6"}, std::pair{29, "9"}}) {
        testing::resetWholeWorkspace();
        for (int c = 1; c <= traces; ++c)
            load("450.txt", "1e-6 0.5\n1e-5 0.25\n1e-4 0.125\n");
        EXPECT_EQ(errorOf([&] { runStart(testing::startBoxes(components, "0"), {}); }),
                  testing::kNoError);
        EXPECT_EQ(workspace.fitCount, 1);
    }

    // Equal non-zero times make the undamped columns of the offset, the
    // amplitude and the log-rate proportional, and two identical traces
    // with equal time constants a singular undamped system: the damped
    // diagonal keeps both solvable.
    for (const bool equalTimes : {true, false}) {
        testing::resetWholeWorkspace();
        const std::string decay = testing::decayText({0.01L, {0.4L, 0.2L}, {1e-5L, 1e-3L}}, {60});
        load("450.txt", equalTimes ? "1e-5 0.5\n1e-5 0.4\n1e-5 0.3\n" : decay);
        if (!equalTimes)
            load("451.txt", decay);
        const StartBoxes boxes = equalTimes ? testing::startBoxes("1", "10")
                                            : testing::startBoxes("2", "10", {"1e-4", "1e-4"});
        std::string label;
        EXPECT_EQ(errorOf([&] { label = runStart(boxes, {}); }), testing::kNoError);
        EXPECT_EQ(workspace.fitCount, 1);
        EXPECT_TRUE(parseDouble(label).has_value()) << label;
    }
}

// A fault in iteration 3 keeps the parameters of the last accepted
// iteration; the time that overflows is written without announcing it, so
// the exponentials curve 2 shared with curve 1 until then must not stand in
// for its own.
TEST_F(StartFaults, AFaultInsideTheLoopKeepsTheLastAcceptedParameters) {
    testing::addTwoNoisyTraces();
    const int count = 4 * 2 + 3;
    long double lastAccepted[kMaxParameters + 1] = {};
    StartLog log;
    StartHooks hooks = log.hooks();
    hooks.processEvents = [&] {
        if (++log.eventPasses < 3)
            return;
        std::copy(workspace.ParameterVector, workspace.ParameterVector + count + 1, lastAccepted);
        workspace.curves[2].times[5] = -1e300;
    };
    EXPECT_EQ(errorOf([&] { runStart(testing::startBoxes("3", "10"), hooks); }),
              "Floating point overflow");
    EXPECT_EQ(log.eventPasses, 3);
    EXPECT_EQ(log.progress, (std::vector<int>{10, 20}));
    for (int m = 1; m <= count; ++m)
        EXPECT_TRUE(testing::sameBits(workspace.ParameterVector[m], lastAccepted[m])) << m;
    EXPECT_TRUE(log.writtenTexts.empty());
    EXPECT_EQ(log.curveReplacements, 0);
    EXPECT_EQ(workspace.fitCount, 0);
}

// Commands given in the event pass of a running fit.
TEST_F(StartFaults, AStartDuringAFitIsRefusedAndChangedTracesStopTheFit) {
    testing::addTwoNoisyTraces();
    std::string nested;
    StartHooks hooks;
    hooks.processEvents = [&] {
        if (nested.empty())
            nested = errorOf([] { runStart(testing::startBoxes("3", "1"), {}); });
    };
    runStart(testing::startBoxes("3", "5"), hooks);
    EXPECT_EQ(nested, "A fit is running: wait until it has ended");
    EXPECT_EQ(workspace.fitCount, 1);

    int passes = 0;
    hooks.processEvents = [&] {
        if (++passes == 2)
            testing::addCurve({1e-6, 1e-5, 1e-4}, {1.0, 0.5, 0.1});
    };
    EXPECT_EQ(errorOf([&] { runStart(testing::startBoxes("3", "5"), hooks); }),
              "The traces or the component count were changed during the fit: the fit was "
              "stopped, Start again");
    EXPECT_EQ(workspace.fitCount, 1);
}

}  // namespace
}  // namespace quorvane
