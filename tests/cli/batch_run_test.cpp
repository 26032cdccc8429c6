// A run of the batch command in the same process: what goes to standard
// error when it is a terminal.

#include "cli/batch_run.h"

#include <cmath>
#include <sstream>
#include <string>
#include <utility>

#include "support/test_support.h"

namespace quorvane {
namespace {

// Strings are moved in: assigning short literals trips a false -Wrestrict
// warning of GCC 12.
BatchRequest requestFor(std::string components, std::string iterations, std::string file) {
    BatchRequest request;
    request.boxes.componentCount = std::move(components);
    request.boxes.iterationCount = std::move(iterations);
    request.files.push_back(std::move(file));
    return request;
}

class BatchRun : public testing::WorkspaceTest {
  protected:
    std::string trace() const {
        std::ostringstream text;
        text.precision(17);
        for (int i = 0; i < 100; ++i) {
            const double t = std::pow(10.0, -7.0 + 6.0 * i / 99);
            text << t << ' ' << 0.01 + 0.5 * std::exp(-t / 2e-5) + (i % 2 ? 1e-4 : -1e-4) << '\n';
        }
        return text.str();
    }
    testing::TempDir folder;
};

// The verdict, after everything else, on a line of its own.
bool endsWithOneVerdictLine(const std::string& text, std::size_t from) {
    const std::size_t end = text.find('\n', from);
    return end == text.size() - 1 && (text.compare(from, 9, "Converged") == 0 ||
                                      text.compare(from, 15, "Not converged: ") == 0);
}

TEST_F(BatchRun, ProgressPositionsGoToATerminalOnOneLine) {
    const BatchRequest request = requestFor("1", "3", folder.write("500.txt", trace()));
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runBatch(request, out, err, true), kExitSuccess);
    const std::string progress = "\rProgress: 33%\rProgress: 66%\rProgress: 100%\n";
    EXPECT_EQ(err.str().compare(0, progress.size(), progress), 0) << err.str();
    EXPECT_TRUE(endsWithOneVerdictLine(err.str(), progress.size())) << err.str();
    EXPECT_EQ(out.str().rfind("t1 = ", 0), 0u);
}

TEST_F(BatchRun, AFailedStartEndsTheProgressLine) {
    // All points at time 0: the first solve meets a zero pivot.
    const BatchRequest request = requestFor("1", "4", folder.write("500.txt", "0 1\n0 2\n0 3\n"));
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runBatch(request, out, err, true), kExitFailure);
    EXPECT_EQ(err.str().find('\r'), std::string::npos) << err.str();
    EXPECT_TRUE(err.str() == "Floating point division by zero.\n" ||
                err.str() == "Invalid floating point operation.\n")
        << err.str();
    EXPECT_EQ(out.str(), "");
}

TEST_F(BatchRun, NoProgressWithoutATerminal) {
    const BatchRequest request = requestFor("1", "3", folder.write("500.txt", trace()));
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runBatch(request, out, err, false), kExitSuccess);
    EXPECT_TRUE(endsWithOneVerdictLine(err.str(), 0)) << err.str();
}

}  // namespace
}  // namespace quorvane
