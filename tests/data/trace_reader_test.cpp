#include "data/trace_reader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "data/error.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::resetWholeWorkspace;
using testing::TempDir;

// A byte copy of the whole workspace, to prove that a refused load changed
// nothing at all (counters, every slot's data and point counts).
class WorkspaceSnapshot {
  public:
    WorkspaceSnapshot() : bytes_(sizeof workspace) {
        std::memcpy(bytes_.data(), static_cast<const void*>(&workspace), sizeof workspace);
    }
    bool unchanged() const {
        return std::memcmp(bytes_.data(), static_cast<const void*>(&workspace), sizeof workspace) ==
               0;
    }

  private:
    std::vector<unsigned char> bytes_;
};

class TraceReader : public testing::WorkspaceTest {
  protected:
    // One curve already loaded and stale data in slot 2 (as after a Clear),
    // so that a load that writes anything before failing is caught.
    // The decimal separator of the test is kept.
    void loadEarlierState() {
        const char separator = decimalSeparator();
        resetWholeWorkspace();
        setDecimalSeparator(separator);
        testing::addCurve({1e-6, 2e-6}, {0.1, 0.2});
        for (int i = 1; i <= 5; ++i) {
            workspace.curves[2].times[i] = 100.0 + i;
            workspace.curves[2].values[i] = -100.0 - i;
        }
        workspace.pointCount[2] = 5;
    }

    // Loads `content` as file `name` and expects it to be refused with
    // `message`, leaving the workspace byte-identical. Returns the error.
    QuorvaneError expectRefused(const std::string& name, const std::string& content,
                                const std::string& message) {
        return expectRefusedPath(dir_.write(name, content), message);
    }

    QuorvaneError expectRefusedPath(const std::string& path, const std::string& message) {
        loadEarlierState();
        const WorkspaceSnapshot before;
        try {
            loadTraceFile(path);
        } catch (const QuorvaneError& error) {
            EXPECT_EQ(error.message(), message);
            EXPECT_TRUE(before.unchanged()) << "a refused load changed the workspace";
            return error;
        }
        ADD_FAILURE() << "loading " << path << " succeeded";
        return QuorvaneError("");
    }

    static std::string invalid(const std::string& field) {
        return "'" + field + "' is not a valid floating point value";
    }

    // Lines "i*1e-6 i*0.001" for i = 1..count.
    static std::string numberedLines(int count) {
        std::string text;
        for (int i = 1; i <= count; ++i)
            text += std::to_string(i) + "e-6 " + std::to_string(i) + "e-3\n";
        return text;
    }

    TempDir dir_;
};

TEST_F(TraceReader, LoadsTheThreePointExample) {
    const std::string path = dir_.write("450.txt", "1e-6 0.012\n2e-6 0.010\n4e-6 0.007\n");
    EXPECT_EQ(loadTraceFile(path), 1);
    EXPECT_EQ(workspace.curveCount, 1);
    EXPECT_EQ(workspace.pointCount[1], 3);
    const Curve& curve = workspace.curves[1];
    EXPECT_EQ(curve.times[1], 1e-6);
    EXPECT_EQ(curve.times[2], 2e-6);
    EXPECT_EQ(curve.times[3], 4e-6);
    EXPECT_EQ(curve.values[1], 0.012);
    EXPECT_EQ(curve.values[2], 0.010);
    EXPECT_EQ(curve.values[3], 0.007);
    EXPECT_EQ(traceTitle(path), "450.txt");
}

TEST_F(TraceReader, TitleIsThePathWithoutItsFolder) {
    EXPECT_EQ(traceTitle("/a/b/450.txt"), "450.txt");
    EXPECT_EQ(traceTitle("data/520nm.txt"), "520nm.txt");
    EXPECT_EQ(traceTitle("450.txt"), "450.txt");
}

TEST_F(TraceReader, SplitsAtTheFirstBlankAndSkipsBlanksOfTheSecondField) {
    loadTraceFile(dir_.write("450.txt", "1e-6    0.5\n2e-6 0.25   \n"));
    EXPECT_EQ(workspace.pointCount[1], 2);
    EXPECT_EQ(workspace.curves[1].values[1], 0.5);
    EXPECT_EQ(workspace.curves[1].values[2], 0.25);
}

TEST_F(TraceReader, LineEnds) {
    // A final line break adds no point; the last line may lack one.
    loadTraceFile(dir_.write("lf.txt", "1e-6 0.5\n2e-6 0.4\n"));
    loadTraceFile(dir_.write("nolf.txt", "1e-6 0.5\n2e-6 0.4"));
    loadTraceFile(dir_.write("crlf.txt", "1e-6 0.5\r\n2e-6 0.4\r\n"));
    ASSERT_EQ(workspace.curveCount, 3);
    for (int c = 1; c <= 3; ++c) {
        EXPECT_EQ(workspace.pointCount[c], 2) << c;
        EXPECT_EQ(workspace.curves[c].times[2], 2e-6) << c;
        EXPECT_EQ(workspace.curves[c].values[2], 0.4) << c;
    }
}

TEST_F(TraceReader, CarriageReturnNotBeforeLineFeedIsPartOfTheField) {
    expectRefused("cr.txt", "1e-6 0.5\r2e-6 0.4\n", invalid("0.5\r2e-6 0.4"));
    expectRefused("lastcr.txt", "1e-6 0.5\n2e-6 0.5\r", invalid("0.5\r"));
}

TEST_F(TraceReader, EmptyLineAfterTheFinalBreakFails) {
    const QuorvaneError error = expectRefused("450.txt", "1e-6 0.5\n2e-6 0.4\n\n",
                                              "'' is not a valid floating point value");
    EXPECT_EQ(error.detail(), "File 450.txt, line 3.");
}

TEST_F(TraceReader, LinesWithoutABlankOrStartingWithOneFail) {
    expectRefused("tab.txt", "1e-6\t0.5\n", invalid(""));
    expectRefused("lead.txt", " 1e-6 0.5\n", invalid(""));
    expectRefused("nosecond.txt", "1e-6 \n", invalid(""));
}

TEST_F(TraceReader, HeaderAndThirdColumnFail) {
    expectRefused("header.txt", "time signal\n1e-6 0.5\n", invalid("time"));
    expectRefused("third.txt", "1e-6 0.5 7\n", invalid("0.5 7"));
}

TEST_F(TraceReader, DecimalSeparatorComesFromTheSetting) {
    setDecimalSeparator(',');
    loadTraceFile(dir_.write("comma.txt", "1,5E-6 0,25\n"));
    EXPECT_EQ(workspace.curves[1].times[1], 1.5e-6);
    EXPECT_EQ(workspace.curves[1].values[1], 0.25);
    resetWholeWorkspace();
    setDecimalSeparator(',');
    expectRefused("point.txt", "1.5E-6 0.25\n", invalid("1.5E-6"));

    resetWholeWorkspace();  // back to the point
    loadTraceFile(dir_.write("point.txt", "1.5E-6 0.25\n"));
    EXPECT_EQ(workspace.curves[1].times[1], 1.5e-6);
    resetWholeWorkspace();
    expectRefused("comma.txt", "1,5E-6 0,25\n", invalid("1,5E-6"));
}

TEST_F(TraceReader, NumberTooLargeForADoubleFailsAndUnderflowReadsAsZero) {
    expectRefused("big.txt", "1e-6 1e999\n", invalid("1e999"));
    resetWholeWorkspace();
    loadTraceFile(dir_.write("tiny.txt", "1e-6 1e-400\n"));
    EXPECT_EQ(workspace.curves[1].values[1], 0.0);
}

TEST_F(TraceReader, CtrlZAtALineStartEndsReading) {
    loadTraceFile(dir_.write("eof.txt",
                             "1e-6 0.5\n2e-6 0.4\n\x1a"
                             "garbage\nmore\n"));
    EXPECT_EQ(workspace.pointCount[1], 2);
    resetWholeWorkspace();
    expectRefused("inside.txt", "1e-6 0.5\x1a\n", invalid("0.5\x1a"));
}

TEST_F(TraceReader, UnsortedTimesStayInFileOrder) {
    loadTraceFile(dir_.write("450.txt", "3e-6 0.3\n1e-6 0.1\n2e-6 0.2\n"));
    EXPECT_EQ(workspace.curves[1].times[1], 3e-6);
    EXPECT_EQ(workspace.curves[1].times[2], 1e-6);
    EXPECT_EQ(workspace.curves[1].times[3], 2e-6);
    EXPECT_EQ(workspace.curves[1].values[1], 0.3);
}

TEST_F(TraceReader, SameFileTwiceGivesTwoIdenticalCurves) {
    const std::string path = dir_.write("450.txt", "1e-6 0.012\n2e-6 0.010\n");
    EXPECT_EQ(loadTraceFile(path), 1);
    EXPECT_EQ(loadTraceFile(path), 2);
    EXPECT_EQ(workspace.curveCount, 2);
    EXPECT_EQ(workspace.pointCount[2], 2);
    EXPECT_EQ(std::memcmp(workspace.curves[1].times, workspace.curves[2].times,
                          sizeof workspace.curves[1].times),
              0);
    EXPECT_EQ(std::memcmp(workspace.curves[1].values, workspace.curves[2].values,
                          sizeof workspace.curves[1].values),
              0);
}

TEST_F(TraceReader, ErrorOnLineThreeKeepsNothingAndNamesFileAndLine) {
    const QuorvaneError error =
        expectRefused("450.txt", "1e-6 0.012\n2e-6 0.010\n4e-6 abc\n8e-6 0.001\n", invalid("abc"));
    EXPECT_EQ(error.detail(), "File 450.txt, line 3.");
    EXPECT_EQ(workspace.curveCount, 1);
    EXPECT_EQ(workspace.pointCount[2], 5);
    EXPECT_EQ(workspace.curves[2].times[1], 101.0);
}

TEST_F(TraceReader, FileErrors) {
    expectRefusedPath((dir_.path() / "missing.txt").string(), "File not found");
    resetWholeWorkspace();
    // fopen succeeds on a folder; the first read fails with EISDIR.
    const std::filesystem::path folder = dir_.path() / "500.txt";
    std::filesystem::create_directory(folder);
    expectRefusedPath(folder.string(), "File access denied");
}

TEST_F(TraceReader, UnreadableFileIsAccessDenied) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const std::string path = dir_.write("450.txt", "1e-6 0.5\n");
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    expectRefusedPath(path, "File access denied");
}

TEST_F(TraceReader, EmptyFileIsRefused) {
    expectRefused("450.txt", "", "Cannot load 450.txt: the file holds no data points");
    resetWholeWorkspace();
    expectRefused("450.txt",
                  "\x1a"
                  "1e-6 0.5\n",
                  "Cannot load 450.txt: the file holds no data points");
}

TEST_F(TraceReader, FortyFirstFileIsRefused) {
    const std::string path = dir_.write("450.txt", "1e-6 0.5\n");
    for (int c = 1; c <= kMaxCurves; ++c)
        ASSERT_EQ(loadTraceFile(path), c);
    const WorkspaceSnapshot before;
    try {
        loadTraceFile(path);
        ADD_FAILURE() << "a 41st file was loaded";
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.message(), "Cannot load 450.txt: at most 40 traces can be loaded");
    }
    EXPECT_TRUE(before.unchanged());
}

TEST_F(TraceReader, TwentyThousandPointsFitAndOneMoreIsRefused) {
    loadTraceFile(dir_.write("full.txt", numberedLines(kMaxPoints)));
    EXPECT_EQ(workspace.pointCount[1], kMaxPoints);
    EXPECT_EQ(workspace.curves[1].times[kMaxPoints], 20000e-6);
    EXPECT_EQ(workspace.curves[1].values[kMaxPoints], 20000e-3);
    resetWholeWorkspace();
    expectRefused("over.txt", numberedLines(kMaxPoints + 1),
                  "Cannot load over.txt: a trace holds at most 20000 points");
}

TEST_F(TraceReader, ClearThenLoadReplacesSlotOne) {
    loadTraceFile(dir_.write("400.txt", "1e-6 0.1\n2e-6 0.2\n3e-6 0.3\n"));
    resetWorkspace();
    EXPECT_EQ(loadTraceFile(dir_.write("450.txt", "5e-6 0.5\n6e-6 0.6\n")), 1);
    EXPECT_EQ(workspace.curveCount, 1);
    EXPECT_EQ(workspace.pointCount[1], 2);
    EXPECT_EQ(workspace.curves[1].times[1], 5e-6);
    EXPECT_EQ(workspace.curves[1].values[2], 0.6);
}

TEST_F(TraceReader, VeryLongLines) {
    // Blanks around the signal, and a mantissa of thousands of digits that
    // still rounds correctly (1 + 1e-5001 is 1).
    const std::string blanks(100000, ' ');
    const std::string longOne = "1." + std::string(5000, '0') + "1";
    loadTraceFile(dir_.write("long.txt", "1e-6" + blanks + "0.5" + blanks + "\n2e-6 " + longOne));
    EXPECT_EQ(workspace.curves[1].values[1], 0.5);
    EXPECT_EQ(workspace.curves[1].values[2], 1.0);
    resetWholeWorkspace();
    const std::string garbage(100000, 'x');
    expectRefused("bad.txt", "1e-6 " + garbage + "\n", invalid(garbage));
}

TEST_F(TraceReader, LineBeyondSixteenMebibytesIsRefusedNotHeld) {
    // A file without line breaks (binary junk, a stream) must not be read
    // into memory without bound.
    const std::string huge(std::size_t{1} << 24, '1');
    expectRefused("junk.txt", "1e-6 0.5\n" + huge + "1\n",
                  "Cannot load junk.txt: line 2 is longer than 16777216 characters");
}

TEST_F(TraceReader, NulBytesAreNotNumbers) {
    using namespace std::string_literals;
    expectRefused("nul.txt", "1e-6 0.5\0\n"s, invalid("0.5\0"s));
    resetWholeWorkspace();
    expectRefused("nul.txt", "1e-6\0 0.5\n"s, invalid("1e-6\0"s));
}

}  // namespace
}  // namespace quorvane
