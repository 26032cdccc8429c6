// Bad input and faults of a Start, end to end: traces read from files by the
// reader, then Start with the texts a user could type. Each case asserts the
// exact message and that the whole workspace holds exactly what it held
// before the refused command, or exactly what a Start that stops at that
// point leaves (the changes made before the error, nothing else).
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "data/error.h"
#include "data/number_text.h"
#include "data/trace_reader.h"
#include "fit/fit_driver.h"
#include "support/test_support.h"
#include "support/workspace_image.h"

namespace quorvane {
namespace {

using testing::TempDir;
using testing::WorkspaceImage;

// What a Start told its window.
struct WindowLog {
    int timeConstantWrites = 0;
    int curveReplacements = 0;
    std::vector<int> progress;
};

class StartFaults : public testing::WorkspaceTest {
  protected:
    // A clean decay of 60 points from 1e-7 to 1e-1 with time constants 1e-5
    // and 1e-3, as a file, loaded through the reader.
    int loadDecay(const std::string& name, double scale = 1.0) {
        std::string text;
        char line[96];
        for (int i = 0; i < 60; ++i) {
            const double t = std::pow(10.0, -7.0 + 6.0 * i / 59);
            const double y = scale * (0.01 + 0.4 * std::exp(-t / 1e-5) + 0.2 * std::exp(-t / 1e-3));
            std::snprintf(line, sizeof line, "%.17g %.17g\n", t, y);
            text += line;
        }
        return loadTraceFile(dir_.write(name, text));
    }

    int loadText(const std::string& name, const std::string& text) {
        return loadTraceFile(dir_.write(name, text));
    }

    StartHooks hooks() {
        StartHooks result;
        result.setProgress = [this](int position) { log_.progress.push_back(position); };
        result.writeTimeConstants = [this](const TimeConstantTexts&) { ++log_.timeConstantWrites; };
        result.replaceFittedCurves = [this] { ++log_.curveReplacements; };
        return result;
    }

    std::string startMessage(const StartBoxes& boxes) {
        try {
            lastLabel_ = runStart(boxes, hooks());
        } catch (const QuorvaneError& error) {
            return error.message();
        }
        return "(no error)";
    }

    static StartBoxes boxes(const std::string& components, const std::string& iterations) {
        StartBoxes result;
        result.componentCount = components;
        result.iterationCount = iterations;
        return result;
    }

    // A first Start of `components` with the default time constants that a
    // fault stops inside its iterations: it leaves the prepared coefficients,
    // lambda and the log-rates, and nothing reaches the window.
    void expectFirstStartStopsInItsIterations(int components, const std::string& iterations,
                                              const std::string& message) {
        const StartBoxes start = boxes(std::to_string(components), iterations);
        WorkspaceImage image;
        image.expectPreparedFirstStart(components);
        image.expectLogRates(start.timeConstants, 9);
        EXPECT_EQ(startMessage(start), message);
        EXPECT_TRUE(image.matchesOutsideTheIterationArrays());
        EXPECT_TRUE(windowUntouched());
    }

    bool windowUntouched() const {
        return log_.timeConstantWrites == 0 && log_.curveReplacements == 0 && log_.progress.empty();
    }

    TempDir dir_;
    WindowLog log_;
    std::string lastLabel_;
};

// ---- Texts refused before anything changes ---------------------------------

TEST_F(StartFaults, ComponentCountsOutsideOneToNineOrNotIntegersChangeNothing) {
    loadDecay("450.txt");
    loadDecay("500.txt", 0.5);
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"0", "The number of components must be between 1 and 9, not 0"},
        {"10", "The number of components must be between 1 and 9, not 10"},
        {"-1", "The number of components must be between 1 and 9, not -1"},
        {"3.0", "'3.0' is not a valid integer value"},
        {"", "'' is not a valid integer value"},
        {"three", "'three' is not a valid integer value"},
    };
    for (const Case& c : cases) {
        WorkspaceImage before;
        EXPECT_EQ(startMessage(boxes(c.text, "5")), c.message) << c.text;
        EXPECT_TRUE(before.matches()) << c.text;
    }
    EXPECT_TRUE(windowUntouched());
}

TEST_F(StartFaults, BlanksAroundTheComponentCountAreAllowed) {
    loadDecay("450.txt");
    EXPECT_EQ(startMessage(boxes(" 3 ", "2")), "(no error)");
    EXPECT_EQ(workspace.componentCount, 3);
    EXPECT_EQ(workspace.fitCount, 1);
    EXPECT_EQ(log_.progress, (std::vector<int>{50, 100}));
}

TEST_F(StartFaults, AFitBeyondThreeHundredEntriesIsRefusedBeforeAnythingChanges) {
    // 30 traces with 9 components: 10 * 30 + 9 = 309 entries; 29 traces need
    // 299 and fit.
    const std::string path = dir_.write("450.txt", "1e-6 0.5\n1e-5 0.25\n1e-4 0.125\n");
    for (int c = 1; c <= 30; ++c)
        ASSERT_EQ(loadTraceFile(path), c);
    WorkspaceImage before;
    EXPECT_EQ(startMessage(boxes("9", "3")),
              "A fit of 30 traces with 9 components needs 309 parameter entries, and at most 300 "
              "are available: with 9 components at most 29 traces can be fitted");
    EXPECT_TRUE(before.matches());

    // With all 40 slots full the largest count is 6 (289 entries).
    for (int c = 31; c <= kMaxCurves; ++c)
        ASSERT_EQ(loadTraceFile(path), c);
    WorkspaceImage full;
    EXPECT_EQ(startMessage(boxes("7", "3")),
              "A fit of 40 traces with 7 components needs 329 parameter entries, and at most 300 "
              "are available: with 7 components at most 36 traces can be fitted");
    EXPECT_TRUE(full.matches());
    EXPECT_TRUE(windowUntouched());
    EXPECT_EQ(startMessage(boxes("6", "0")), "(no error)");
    EXPECT_EQ(workspace.fitCount, 1);
}

// ---- Texts refused after the coefficients and lambda were set --------------

TEST_F(StartFaults, BadIterationCountsLeaveOnlyThePreparedCoefficientsAndLambda) {
    loadDecay("450.txt");
    loadDecay("500.txt", 0.5);
    for (const char* text : {"", "abc", "1e3", "5.0", "50 0"}) {
        testing::resetWholeWorkspace();
        loadDecay("450.txt");
        loadDecay("500.txt", 0.5);
        WorkspaceImage image;
        image.expectPreparedFirstStart(2);
        EXPECT_EQ(startMessage(boxes("2", text)),
                  std::string("'") + text + "' is not a valid integer value");
        EXPECT_TRUE(image.matches()) << text;
    }
    EXPECT_TRUE(windowUntouched());
}

TEST_F(StartFaults, ZeroAndNegativeTimeConstantsStopAtTheirBox) {
    loadDecay("450.txt");
    struct Case {
        int box;  // 1..9
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {1, "0", "Floating point division by zero"},
        {4, "-1e-3", "Invalid floating point operation"},
        {9, "0", "Floating point division by zero"},
        {3, "-0", "Floating point division by zero"},
    };
    for (const Case& c : cases) {
        testing::resetWholeWorkspace();
        loadDecay("450.txt");
        StartBoxes start = boxes("2", "5");
        start.timeConstants[c.box - 1] = c.text;
        WorkspaceImage image;
        image.expectPreparedFirstStart(2);
        image.expectLogRates(start.timeConstants, c.box - 1);
        EXPECT_EQ(startMessage(start), c.message) << c.text;
        EXPECT_TRUE(image.matches()) << c.box << " " << c.text;
    }
    EXPECT_TRUE(windowUntouched());
}

TEST_F(StartFaults, TimeConstantsFollowTheDecimalSeparator) {
    for (const char separator : {'.', ','}) {
        testing::resetWholeWorkspace();
        setDecimalSeparator(separator);
        log_ = {};
        loadText("450.txt", separator == '.' ? "1e-6 0.5\n1e-5 0.3\n1e-4 0.1\n"
                                             : "1e-6 0,5\n1e-5 0,3\n1e-4 0,1\n");
        const std::string foreign = separator == '.' ? "1,5e-3" : "1.5e-3";
        const std::string local = separator == '.' ? "1.5e-3" : "1,5e-3";

        StartBoxes start = boxes("1", "0");
        start.timeConstants[1] = foreign;
        WorkspaceImage image;
        image.expectPreparedFirstStart(1);
        image.expectLogRates(start.timeConstants, 1);
        EXPECT_EQ(startMessage(start), "'" + foreign + "' is not a valid floating point value");
        EXPECT_TRUE(image.matches()) << separator;
        EXPECT_TRUE(windowUntouched());

        start.timeConstants[1] = local;
        EXPECT_EQ(startMessage(start), "(no error)");
        volatile long double timeConstant = 1.5e-3L;  // -ln formed at run time, as Start does
        EXPECT_EQ(workspace.ParameterVector[2 + 2], -logl(timeConstant));
    }
    setDecimalSeparator('.');
}

// ---- Faults inside the iterations ------------------------------------------

TEST_F(StartFaults, DataThatOverflowTheModelStopTheFitAtTheLastAcceptedParameters) {
    // A completed Start on one trace, then a second trace with a time far
    // below zero: exp(-t / 1e-5) at t = -1 is e^100000, beyond the extended
    // range (e^11356). The next Start stops in its first iteration with the
    // prepared state: curve 1 continues from its fit, curve 2 starts at 1.0.
    loadDecay("450.txt");
    ASSERT_EQ(startMessage(boxes("2", "8")), "(no error)");
    const WindowLog afterFirstFit = log_;
    loadText("500.txt", "-1 0.5\n1e-6 0.4\n1e-5 0.2\n1e-4 0.1\n");

    WorkspaceImage image;
    Workspace& expected = image.expected();
    expected.laidOutCurveCount = 2;
    for (int m = 4; m <= 6; ++m)
        expected.ParameterVector[m] = 1.0L;  // curve 2's offset and amplitudes
    // Curve 1's block stays; the log-rates now follow both blocks.
    expected.lambda = 0.001L;
    image.expectLogRates(StartBoxes().timeConstants, 9);
    log_ = {};
    EXPECT_EQ(startMessage(boxes("2", "8")), "Floating point overflow");
    EXPECT_TRUE(image.matchesOutsideTheIterationArrays());
    EXPECT_EQ(workspace.fitCount, 1);
    EXPECT_TRUE(windowUntouched());
    EXPECT_EQ(afterFirstFit.curveReplacements, 1);
}

TEST_F(StartFaults, AnOverflowInAnExponentialOfASharedAxisStopsTheFirstIteration) {
    // Three traces recorded at the same times, the first at t = -1, where
    // exp(-t / 1e-5) overflows: formed once, it stops the fit as it would
    // for one trace.
    for (const char* name : {"450.txt", "500.txt", "550.txt"})
        loadText(name, "-1 0.5\n1e-6 0.4\n1e-5 0.2\n1e-4 0.1\n");
    expectFirstStartStopsInItsIterations(2, "8", "Floating point overflow");
}

TEST_F(StartFaults, CurveWhoseTimesAreAllZeroIsASingularSystem) {
    // Every derivative by the log-rate is t * (...) = 0: a zero row and
    // column that the damping cannot lift, and a zero right-hand side. No
    // row can be exchanged for the zero pivot, and the back substitution
    // forms 0 / 0.
    loadText("450.txt", "0 0.5\n0 0.4\n0 0.3\n");
    expectFirstStartStopsInItsIterations(1, "5", "Invalid floating point operation");
}

TEST_F(StartFaults, CurveWhoseTimesAreAllEqualIsFittedThroughTheDamping) {
    // Equal non-zero times make the undamped columns of the offset, the
    // amplitude and the log-rate proportional; the damped diagonal keeps the
    // system solvable, and the fit completes.
    loadText("450.txt", "1e-5 0.5\n1e-5 0.4\n1e-5 0.3\n");
    EXPECT_EQ(startMessage(boxes("1", "10")), "(no error)");
    EXPECT_EQ(workspace.fitCount, 1);
    EXPECT_EQ(log_.curveReplacements, 1);
    EXPECT_TRUE(parseDouble(lastLabel_).has_value()) << lastLabel_;
}

TEST_F(StartFaults, TwoIdenticalTracesWithEqualTimeConstantsAreFittedThroughTheDamping) {
    loadDecay("450.txt");
    loadDecay("451.txt");
    StartBoxes start = boxes("2", "10");
    start.timeConstants[0] = "1e-4";
    start.timeConstants[1] = "1e-4";
    EXPECT_EQ(startMessage(start), "(no error)");
    EXPECT_EQ(workspace.fitCount, 1);
    EXPECT_TRUE(parseDouble(lastLabel_).has_value()) << lastLabel_;
}

}  // namespace
}  // namespace quorvane
