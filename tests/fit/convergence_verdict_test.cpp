// The verdict after a fit: from the result alone, and without touching what
// the fit or a later command reads.
#include "fit/convergence_verdict.h"

#include <string>

#include "data/floating_point.h"
#include "fit/fit_driver.h"
#include "start_log.h"
#include "support/example_traces.h"
#include "support/test_support.h"
#include "support/workspace_image.h"

namespace quorvane {
namespace {

StartBoxes threeComponents(const char* iterations, const char* t1, const char* t2, const char* t3) {
    return testing::startBoxes("3", iterations, {t1, t2, t3});
}

FitVerdict classicVerdict(const StartBoxes& boxes) {
    testing::StartLog log;
    runStart(boxes, log.hooks());
    return log.verdict;
}

class ConvergenceVerdict : public testing::WorkspaceTest {};

TEST_F(ConvergenceVerdict, ClassicFitOfTheExamplesHasConvergedAfterFiftyIterations) {
    testing::loadExamples();
    const FitVerdict verdict = classicVerdict(threeComponents("50", "10e-6", "100e-6", "2e-3"));
    EXPECT_TRUE(verdict.converged);
    EXPECT_EQ(verdict.message, "Converged");
}

TEST_F(ConvergenceVerdict, ClassicFitOfPicosecondDataHasNotConverged) {
    testing::loadPicosecondExamples();
    const FitVerdict verdict = classicVerdict(threeComponents("50", "2", "20", "50"));
    EXPECT_FALSE(verdict.converged);
    EXPECT_EQ(verdict.message.rfind("Not converged: the sum of squares fell ", 0), 0u)
        << verdict.message;
    EXPECT_NE(verdict.message.find(" in the last 5 iterations and could fall about "),
              std::string::npos)
        << verdict.message;
    EXPECT_NE(verdict.message.find("Press Start again, or use Variable projection"),
              std::string::npos);
}

// Judging reads the result only: the workspace, the flags and the next
// Start are what they would be without a verdict.
TEST_F(ConvergenceVerdict, JudgingChangesNothingOfTheWorkspaceNorOfTheNextStart) {
    const StartBoxes boxes = threeComponents("8", "10e-6", "100e-6", "2e-3");
    testing::loadExamples();
    EXPECT_TRUE(classicVerdict(boxes).judged);
    const testing::WorkspaceImage image;
    FitRecord record;
    record.finalSum = 1.0L;
    EXPECT_TRUE(judgeFit(record).judged);
    EXPECT_TRUE(image.matches());
    EXPECT_EQ(raisedFloatingPointFaults(), 0);
    runStart(boxes, {});
    const testing::WorkspaceImage judged;

    testing::resetWholeWorkspace();
    testing::loadExamples();
    runStart(boxes, {});
    runStart(boxes, {});
    EXPECT_TRUE(judged.matches());
}

}  // namespace
}  // namespace quorvane
