// The reader's own rules: lines, fields, the end of the data, the files it
// refuses and its capacities. The syntax of one number is number_text's.
#include "data/trace_reader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "data/error.h"
#include "support/expect_error.h"
#include "support/test_support.h"
#include "support/workspace_image.h"

namespace quorvane {
namespace {

using namespace std::string_literals;
using testing::resetWholeWorkspace;

std::string invalid(const std::string& field) {
    return "'" + field + "' is not a valid floating point value";
}

// Lines "ie-6 ie-3" for i = 1..count.
std::string numberedLines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i)
        text += std::to_string(i) + "e-6 " + std::to_string(i) + "e-3\n";
    return text;
}

struct Refused {
    const char* name;
    std::string content;
    std::string message;
    char separator = '.';
};

const std::string kGarbage(100000, 'x');

const Refused kRefused[] = {
    {"cr.txt", "1e-6 0.5\r2e-6 0.4\n", invalid("0.5\r2e-6 0.4")},  // a lone CR is no line end
    {"lastcr.txt", "1e-6 0.5\n2e-6 0.5\r", invalid("0.5\r")},
    {"tab.txt", "1e-6\t0.5\n", invalid("")},
    {"lead.txt", " 1e-6 0.5\n", invalid("")},
    {"nosecond.txt", "1e-6 \n", invalid("")},
    {"header.txt", "time signal\n1e-6 0.5\n", invalid("time")},
    {"third.txt", "1e-6 0.5 7\n", invalid("0.5 7")},
    {"450.txt", "1e-6 0.012\n2e-6 0.010\n4e-6 abc\n8e-6 0.001\n", invalid("abc")},
    {"450.txt", "1e-6 0.5\n2e-6 0.4\n\n", invalid("")},
    {"point.txt", "1.5E-6 0.25\n", invalid("1.5E-6"), ','},
    {"inside.txt", "1e-6 0.5\x1a\n", invalid("0.5\x1a")},
    {"nul.txt", "1e-6 0.5\0\n"s, invalid("0.5\0"s)},
    {"nul.txt", "1e-6\0 0.5\n"s, invalid("1e-6\0"s)},
    {"bad.txt", "1e-6 " + kGarbage + "\n", invalid(kGarbage)},
    {"450.txt", "", "Cannot load 450.txt: the file holds no data points"},
    {"450.txt",
     "\x1a"
     "1e-6 0.5\n",
     "Cannot load 450.txt: the file holds no data points"},
    {"over.txt", numberedLines(kMaxPoints + 1),
     "Cannot load over.txt: a trace holds at most 20000 points"},
    // A file without line breaks is not read into memory without bound.
    {"junk.txt", "1e-6 0.5\n" + std::string(std::size_t{1} << 24, '1') + "1\n",
     "Cannot load junk.txt: line 2 is longer than 16777216 characters"},
};

class TraceReader : public testing::WorkspaceTest {
  protected:
    // Loading `path` is refused with `message` and changes nothing: one curve
    // already loaded and stale data in slot 2 (as after a Clear), so that a
    // load that writes anything before failing is caught.
    void expectRefused(const std::string& path, const std::string& message, char separator = '.') {
        resetWholeWorkspace();
        setDecimalSeparator(separator);
        testing::addCurve({1e-6, 2e-6}, {0.1, 0.2});
        for (int i = 1; i <= 5; ++i) {
            workspace.curves[2].times[i] = 100.0 + i;
            workspace.curves[2].values[i] = -100.0 - i;
        }
        workspace.pointCount[2] = 5;
        const testing::WorkspaceImage before;
        EXPECT_EQ(testing::errorOf([&] { loadTraceFile(path); }), message) << path;
        EXPECT_TRUE(before.matches()) << "a refused load of " << path << " changed the workspace";
        setDecimalSeparator('.');
    }

    testing::TempDir dir_;
};

TEST_F(TraceReader, LoadsEveryLineAsAPoint) {
    auto expectLoaded = [this](const std::string& content, const std::vector<double>& times,
                               const std::vector<double>& values, char separator = '.') {
        resetWholeWorkspace();
        setDecimalSeparator(separator);
        EXPECT_EQ(loadTraceFile(dir_.write("450.txt", content)), 1);
        setDecimalSeparator('.');
        EXPECT_EQ(workspace.curveCount, 1);
        ASSERT_EQ(workspace.pointCount[1], static_cast<int>(times.size())) << content;
        for (std::size_t i = 0; i < times.size(); ++i) {
            EXPECT_EQ(workspace.curves[1].times[i + 1], times[i]) << content;
            EXPECT_EQ(workspace.curves[1].values[i + 1], values[i]) << content;
        }
    };
    expectLoaded("1e-6 0.012\n2e-6 0.010\n4e-6 0.007\n", {1e-6, 2e-6, 4e-6}, {0.012, 0.010, 0.007});
    // Split at the first blank; the second field's blanks are skipped.
    expectLoaded("1e-6    0.5\n2e-6 0.25   \n", {1e-6, 2e-6}, {0.5, 0.25});
    // No line break after the last line; CR LF.
    expectLoaded("1e-6 0.5\n2e-6 0.4", {1e-6, 2e-6}, {0.5, 0.4});
    expectLoaded("1e-6 0.5\r\n2e-6 0.4\r\n", {1e-6, 2e-6}, {0.5, 0.4});
    // The decimal separator of the setting; underflow reads as 0.
    expectLoaded("1.5E-6 0.25\n", {1.5e-6}, {0.25});
    expectLoaded("1,5E-6 0,25\n", {1.5e-6}, {0.25}, ',');
    expectLoaded("1e-6 1e-400\n", {1e-6}, {0.0});
    // Ctrl+Z at the start of a line ends the data.
    expectLoaded("1e-6 0.5\n2e-6 0.4\n\x1agarbage\nmore\n", {1e-6, 2e-6}, {0.5, 0.4});
    expectLoaded("3e-6 0.3\n1e-6 0.1\n2e-6 0.2\n", {3e-6, 1e-6, 2e-6}, {0.3, 0.1, 0.2});
    // Very long lines; a mantissa of thousands of digits still rounds
    // correctly (1 + 1e-5001 is 1).
    const std::string blanks(100000, ' ');
    expectLoaded("1e-6" + blanks + "0.5" + blanks + "\n2e-6 1." + std::string(5000, '0') + "1",
                 {1e-6, 2e-6}, {0.5, 1.0});
}

TEST_F(TraceReader, RefusedFilesChangeNothing) {
    for (const Refused& file : kRefused)
        expectRefused(dir_.write(file.name, file.content), file.message, file.separator);
    expectRefused((dir_.path() / "missing.txt").string(), "File not found");
    // fopen succeeds on a folder; the first read fails with EISDIR.
    std::filesystem::create_directory(dir_.path() / "500.txt");
    expectRefused((dir_.path() / "500.txt").string(), "File access denied");
    if (geteuid() != 0) {  // root reads every file
        const std::string path = dir_.write("550.txt", "1e-6 0.5\n");
        ASSERT_EQ(chmod(path.c_str(), 0), 0);
        expectRefused(path, "File access denied");
    }
}

TEST_F(TraceReader, ABadFieldNamesTheFileAndTheLine) {
    const std::pair<const char*, std::string> cases[] = {
        {"1e-6 0.012\n2e-6 0.010\n4e-6 abc\n8e-6 0.001\n", invalid("abc")},
        {"1e-6 0.5\n2e-6 0.4\n\n", invalid("")},  // an empty line after the final break
    };
    for (const auto& [content, message] : cases) {
        const std::string path = dir_.write("450.txt", content);
        EXPECT_EQ(testing::errorWithDetailOf([&] { loadTraceFile(path); }),
                  message + " | File 450.txt, line 3.");
    }
}

TEST_F(TraceReader, TitleIsThePathWithoutItsFolder) {
    EXPECT_EQ(traceTitle("/a/b/450.txt"), "450.txt");
    EXPECT_EQ(traceTitle("data/520nm.txt"), "520nm.txt");
    EXPECT_EQ(traceTitle("450.txt"), "450.txt");
}

TEST_F(TraceReader, SlotsFollowTheLoadOrderUpToForty) {
    const std::string path = dir_.write("450.txt", "1e-6 0.012\n2e-6 0.010\n");
    for (int c = 1; c <= kMaxCurves; ++c)
        ASSERT_EQ(loadTraceFile(path), c);
    EXPECT_EQ(workspace.curves[40].times[2], 2e-6);  // the same file twice: the same curve
    EXPECT_EQ(workspace.curves[40].values[2], 0.010);
    const testing::WorkspaceImage full;
    EXPECT_EQ(testing::errorOf([&] { loadTraceFile(path); }),
              "Cannot load 450.txt: at most 40 traces can be loaded");
    EXPECT_TRUE(full.matches());

    // After a Clear slot 1 is loaded anew; 20000 points fit.
    resetWorkspace();
    EXPECT_EQ(loadTraceFile(dir_.write("full.txt", numberedLines(kMaxPoints))), 1);
    EXPECT_EQ(workspace.curveCount, 1);
    EXPECT_EQ(workspace.pointCount[1], kMaxPoints);
    EXPECT_EQ(workspace.curves[1].times[kMaxPoints], 20000e-6);
    EXPECT_EQ(workspace.curves[1].values[kMaxPoints], 20000e-3);
}

}  // namespace
}  // namespace quorvane
