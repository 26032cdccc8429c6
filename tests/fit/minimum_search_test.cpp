#include "fit/minimum_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "data/error.h"
#include "data/thread_pool.h"
#include "support/example_traces.h"
#include "support/test_support.h"
#include "support/workspace_image.h"

namespace quorvane {
namespace {

using testing::resetWholeWorkspace;
using testing::WorkspaceTest;

// Four components on the three-component examples: from these slow starts a
// single fit ends in a minimum with the fourth component at about 0.25, above
// the one with a very fast fourth component.
StartBoxes poorStart() {
    StartBoxes boxes;
    boxes.componentCount = "4";
    boxes.timeConstants[0] = "1e-1";
    boxes.timeConstants[1] = "2e-1";
    boxes.timeConstants[2] = "3e-1";
    boxes.timeConstants[3] = "5e-1";
    return boxes;
}

class MinimumSearchTest : public WorkspaceTest {
  protected:
    void SetUp() override {
        WorkspaceTest::SetUp();
        testing::loadExamples();
    }
    MinimumSearchResult search(const MinimumSearchHooks& hooks = {}) {
        return searchLowestMinimum(poorStart(), -1, hooks);
    }
};

TEST_F(MinimumSearchTest, FindsALowerMinimumThanTheTypedStartAndCountsEveryStart) {
    const long double single =
        *parseExtended(runStart(poorStart(), {}, FitMethod::VariableProjection));
    const MinimumSearchResult result = search();

    ASSERT_GE(result.minima.size(), 2u);
    EXPECT_TRUE(result.lowestConverged);
    EXPECT_LT(result.minima.front().sumOfSquares, single * (1 - 1e-4L));
    EXPECT_EQ(*parseExtended(result.sumText), result.minima.front().sumOfSquares);
    // The typed start's own minimum is among those found.
    bool typedFound = false;
    int reached = result.unfinishedStarts;
    for (const SearchMinimum& minimum : result.minima) {
        typedFound = typedFound || std::fabs(minimum.sumOfSquares / single - 1) < 1e-12L;
        reached += minimum.startsReached;
    }
    EXPECT_TRUE(typedFound);
    EXPECT_EQ(result.startCount, 1 + kStartsPerComponent * 4);
    EXPECT_EQ(reached, result.startCount);
    const std::string summary = searchSummaryLine(result);
    const std::string expected = "Search: 33 starts, " + std::to_string(result.minima.size()) +
                                 " distinct minima; the lowest reached by " +
                                 std::to_string(result.minima.front().startsReached);
    EXPECT_EQ(summary.substr(0, expected.size()), expected);
    EXPECT_EQ(searchReportLines(result).size(), result.minima.size() + 1);
}

TEST_F(MinimumSearchTest, LeavesTheWorkspaceOfASingleFitFromTheWinningStartAtAnyThreadCount) {
    setParallelThreadCount(1);
    const MinimumSearchResult one = search();
    const testing::WorkspaceImage afterOne;
    resetWholeWorkspace();
    testing::loadExamples();
    setParallelThreadCount(2);
    const MinimumSearchResult two = search();
    EXPECT_TRUE(afterOne.matches());
    ASSERT_EQ(one.minima.size(), two.minima.size());
    for (std::size_t m = 0; m < one.minima.size(); ++m) {
        EXPECT_TRUE(testing::sameBits(one.minima[m].sumOfSquares, two.minima[m].sumOfSquares));
        EXPECT_EQ(one.minima[m].startsReached, two.minima[m].startsReached);
    }

    resetWholeWorkspace();
    testing::loadExamples();
    EXPECT_EQ(runStart(one.minima.front().boxes, {}, FitMethod::VariableProjection), one.sumText);
    EXPECT_TRUE(afterOne.matches());
}

TEST_F(MinimumSearchTest, AStopEndsTheSearchWithAWorkspaceThatFitsOnAsBefore) {
    const std::string single = runStart(poorStart(), {}, FitMethod::VariableProjection);
    const testing::WorkspaceImage afterSingle;
    for (const int askedBeforeStop : {0, 3, 40}) {
        int asked = 0;
        MinimumSearchHooks hooks;
        hooks.stopRequested = [&] { return asked++ >= askedBeforeStop; };
        EXPECT_THROW(search(hooks), QuorvaneError) << askedBeforeStop;
        EXPECT_FALSE(startInProgress());
        EXPECT_EQ(workspace.curveCount, 5);
        EXPECT_EQ(workspace.componentCount, 4);
        EXPECT_EQ(workspace.fitCount, 1);
    }
    EXPECT_EQ(runStart(poorStart(), {}, FitMethod::VariableProjection), single);
}

TEST(SearchStarts, AreSortedSpacedInsideTheDataAndTheSameEveryTime) {
    struct Case {
        long double shortest, longest;
        int n, count;
    };
    for (const Case& c :
         {Case{1e-9L, 1.0L, 3, 24}, Case{1e-3L, 1e-2L, 4, 8}, Case{1.0L, 1e3L, 1, 5}}) {
        const TimeConstantRange range{true, c.shortest, c.longest};
        const std::vector<SearchStart> starts = searchStarts(range, c.n, c.count);
        ASSERT_EQ(starts.size(), static_cast<std::size_t>(c.count));
        EXPECT_EQ(starts, searchStarts(range, c.n, c.count));
        // Too narrow for the spacing: spread evenly over the range.
        const long double spacing = std::min(
            kStartSpacingFactor, powl(c.longest / c.shortest, 1.0L / std::max(c.n - 1, 1)));
        for (const SearchStart& start : starts) {
            EXPECT_GE(start[0], c.shortest * (1 - 1e-15L));
            EXPECT_LE(start[c.n - 1], c.longest * (1 + 1e-15L));
            for (int j = 1; j < c.n; ++j)
                EXPECT_GE(start[j] / start[j - 1], spacing * (1 - 1e-15L));
        }
    }
    EXPECT_TRUE(searchStarts(TimeConstantRange{}, 3, 24).empty());
}

}  // namespace
}  // namespace quorvane
