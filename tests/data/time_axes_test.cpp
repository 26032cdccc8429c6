#include "data/time_axes.h"

#include <vector>

#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::addCurve;

class TimeAxesTest : public testing::WorkspaceTest {};

std::vector<int> representatives() {
    const TimeAxes& axes = timeAxes();
    return std::vector<int>(axes.representative + 1, axes.representative + axes.curveCount + 1);
}

// The same count and the same doubles bit for bit: -0.0 is not 0.0, and a
// shorter trace with the same first times is an axis of its own.
TEST_F(TimeAxesTest, CurvesWithTheSameTimesShareAnAxis) {
    addCurve({0.0, 1e-6, 2e-6}, {1, 2, 3});
    addCurve({0.0, 1e-6, 2e-6}, {4, 5, 6});
    addCurve({-0.0, 1e-6, 2e-6}, {1, 2, 3});
    addCurve({0.0, 1e-6}, {1, 2});
    addCurve({0.0, 1e-6, 2e-6}, {7, 8, 9});
    addCurve({-0.0, 1e-6, 2e-6}, {0, 0, 0});
    EXPECT_EQ(representatives(), (std::vector<int>{1, 1, 3, 4, 1, 3}));
    const TimeAxes& axes = timeAxes();
    EXPECT_EQ(axes.axisCount, 3);
    EXPECT_EQ(std::vector<int>(axes.axis + 1, axes.axis + 7), (std::vector<int>{1, 1, 2, 3, 1, 2}));
}

TEST_F(TimeAxesTest, FoundAnewAfterAnnouncedChangesAndOtherCurveCounts) {
    addCurve({1.0, 2.0}, {0, 0});
    addCurve({1.0, 2.0}, {0, 0});
    addCurve({1.0, 2.0}, {0, 0});
    EXPECT_EQ(representatives(), (std::vector<int>{1, 1, 1}));
    workspace.curves[2].times[2] = 3.0;
    EXPECT_EQ(representatives(), (std::vector<int>{1, 1, 1}));  // not announced yet
    noteCurveDataChanged();
    EXPECT_EQ(representatives(), (std::vector<int>{1, 2, 1}));
    workspace.curveCount = 2;
    EXPECT_EQ(representatives(), (std::vector<int>{1, 2}));
    resetWorkspace();
    EXPECT_EQ(representatives(), (std::vector<int>{}));
}

}  // namespace
}  // namespace quorvane
