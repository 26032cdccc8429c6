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

// A plan shares the axes that keep two or more curves of their first
// curve's point count; the rest work alone, and a curve whose times changed
// unannounced fails its check.
TEST_F(TimeAxesTest, PlanSharesAxesOfTwoCurvesOrMore) {
    for (const std::vector<double>& times :
         {std::vector<double>{1, 2, 3}, {5, 6}, {1, 2, 3}, {5, 6, 7}, {5, 6, 7}, {1, 2, 3}})
        addCurve(times, std::vector<double>(times.size(), 0.0));
    timeAxes();
    workspace.pointCount[6] = 2;  // unannounced
    AxisSharing plan;
    planAxisSharing(6, true, plan);
    EXPECT_EQ(plan.longestCurve, 3);
    EXPECT_EQ(plan.sharedAxisCount, 2);
    EXPECT_EQ(std::vector<int>(plan.sharedAxisOf + 1, plan.sharedAxisOf + 7),
              (std::vector<int>{1, 0, 1, 2, 2, 0}));
    EXPECT_EQ(std::vector<int>(plan.firstCurve + 1, plan.firstCurve + 3), (std::vector<int>{1, 4}));
    EXPECT_EQ(std::vector<int>(plan.axisStart + 1, plan.axisStart + 4),
              (std::vector<int>{0, 2, 4}));
    EXPECT_EQ(std::vector<int>(plan.sharingCurves, plan.sharingCurves + 4),
              (std::vector<int>{1, 3, 4, 5}));
    EXPECT_EQ(std::vector<int>(plan.loneCurves, plan.loneCurves + plan.loneCount),
              (std::vector<int>{2, 6}));
    EXPECT_TRUE(keepsSharedAxis(plan, 3));
    workspace.curves[3].times[2] = 9.0;  // unannounced
    EXPECT_FALSE(keepsSharedAxis(plan, 3));
    EXPECT_TRUE(keepsSharedAxis(plan, 1));

    planAxisSharing(6, false, plan);
    EXPECT_EQ(plan.sharedAxisCount, 0);
    EXPECT_EQ(plan.loneCount, 6);
}

}  // namespace
}  // namespace quorvane
