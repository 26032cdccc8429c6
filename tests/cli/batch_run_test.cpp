// A run of the batch command in the same process: the progress it writes to
// standard error when that is a terminal.

#include "cli/batch_run.h"

#include <algorithm>
#include <sstream>
#include <string>

#include "support/test_support.h"

namespace quorvane {
namespace {

class BatchRun : public testing::WorkspaceTest {
  protected:
    // quorvane-fit -n 1 -i ITERATIONS on one trace, standard error a terminal.
    int runOn(const std::string& iterations, const std::string& trace) {
        std::string problem;
        const std::optional<BatchRequest> request = parseCommandLine(
            {"-n", "1", "-i", iterations, folder.write("500.txt", trace)}, problem);
        return runBatch(request.value(), out, err, true);
    }
    testing::TempDir folder;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(BatchRun, ProgressPositionsGoToATerminalOnOneLine) {
    // A decay with time constant 1e-5.
    const std::string trace = "1e-7 0.51\n1e-6 0.46\n3e-6 0.38\n1e-5 0.19\n3e-5 0.035\n1e-4 0.01\n";
    EXPECT_EQ(runOn("3", trace), kExitSuccess);
    // The line ends before the sections; the verdict follows on a line of its own.
    const std::string progress = "\rProgress: 33%\rProgress: 66%\rProgress: 100%\n";
    const std::string text = err.str();
    EXPECT_EQ(text.rfind(progress, 0), 0u) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 2) << text;
    EXPECT_EQ(out.str().rfind("t1 = ", 0), 0u);
}

TEST_F(BatchRun, AStartThatFailsBeforeItsFirstProgressPrintsOnlyItsError) {
    // All points at time 0: the first solve meets a zero pivot.
    EXPECT_EQ(runOn("4", "0 1\n0 2\n0 3\n"), kExitFailure);
    EXPECT_EQ(err.str().find('\r'), std::string::npos) << err.str();
    EXPECT_TRUE(err.str() == "Floating point division by zero.\n" ||
                err.str() == "Invalid floating point operation.\n")
        << err.str();
    EXPECT_EQ(out.str(), "");
}

}  // namespace
}  // namespace quorvane
