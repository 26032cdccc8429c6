#include "data/workspace.h"

#include <vector>

#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::addCurve;

class WorkspaceLayout : public testing::WorkspaceTest {};

TEST_F(WorkspaceLayout, IndexRulesForTwoCurvesTwoComponents) {
    addCurve({0.0}, {0.0});
    addCurve({0.0}, {0.0});
    workspace.componentCount = 2;
    EXPECT_EQ(offsetIndex(1), 1);
    EXPECT_EQ(amplitudeIndex(1, 1), 2);
    EXPECT_EQ(amplitudeIndex(1, 2), 3);
    EXPECT_EQ(offsetIndex(2), 4);
    EXPECT_EQ(amplitudeIndex(2, 2), 6);
    EXPECT_EQ(rateIndex(1), 7);
    EXPECT_EQ(rateIndex(9), 15);
    EXPECT_EQ(fittedParameterCount(), 8);
}

TEST_F(WorkspaceLayout, CapacityOfOneStart) {
    EXPECT_EQ(entriesWrittenByStart(9, 29), 299);
    EXPECT_EQ(entriesWrittenByStart(6, 40), 289);
    EXPECT_GT(entriesWrittenByStart(7, 40), kMaxParameters);
}

TEST_F(WorkspaceLayout, FirstPrepareSetsStartValues) {
    addCurve({0.0}, {0.0});
    addCurve({0.0}, {0.0});
    workspace.componentCount = 3;
    workspace.ParameterVector[9] = 7.0L;  // the first log-rate: not a coefficient
    prepareCoefficients();
    EXPECT_EQ(workspace.layoutComponentCount, 3);
    for (int m = 1; m <= 8; ++m)
        EXPECT_EQ(workspace.ParameterVector[m], 1.0L) << m;
    EXPECT_EQ(workspace.ParameterVector[9], 7.0L);
}

// Fills curve c's block for layout L with 10c + k (k = 1 is the offset).
void fillBlocks(int layout, int curves) {
    for (int c = 1; c <= curves; ++c)
        for (int k = 1; k <= layout + 1; ++k)
            workspace.ParameterVector[(c - 1) * (layout + 1) + k] = 10.0L * c + k;
}

// A fit with `before` components, then a Start with `after`: each curve
// keeps its offset and first amplitudes, new amplitudes start at 1.0, and a
// changed layout clears the normal matrix and the step.
TEST_F(WorkspaceLayout, RelayoutKeepsTheOffsetAndTheFirstAmplitudes) {
    const struct {
        int before;
        int after;
        std::vector<long double> blocks;
    } cases[] = {
        {2, 4, {11, 12, 13, 1, 1, 21, 22, 23, 1, 1}},
        {4, 2, {11, 12, 13, 21, 22, 23}},
        {2, 2, {11, 12, 13, 21, 22, 23}},
    };
    for (const auto& c : cases) {
        testing::resetWholeWorkspace();
        addCurve({0.0}, {0.0});
        addCurve({0.0}, {0.0});
        workspace.componentCount = c.before;
        prepareCoefficients();
        fillBlocks(c.before, 2);
        workspace.fitCount = 1;
        workspace.normalMatrix[1][1] = 5.0L;
        workspace.stepVector[3] = 5.0L;

        workspace.componentCount = c.after;
        prepareCoefficients();
        EXPECT_EQ(workspace.layoutComponentCount, c.after);
        for (std::size_t m = 0; m < c.blocks.size(); ++m)
            EXPECT_EQ(workspace.ParameterVector[m + 1], c.blocks[m])
                << c.before << " to " << c.after;
        EXPECT_EQ(workspace.normalMatrix[1][1], c.before == c.after ? 5.0L : 0.0L);
        EXPECT_EQ(workspace.stepVector[3], c.before == c.after ? 5.0L : 0.0L);
    }
}

TEST_F(WorkspaceLayout, CurveLoadedAfterAFitStartsAtOne) {
    addCurve({0.0}, {0.0});
    workspace.componentCount = 2;
    prepareCoefficients();
    fillBlocks(2, 1);
    workspace.ParameterVector[4] = 99.0L;  // stale log-rate where curve 2's block will be
    workspace.fitCount = 1;

    addCurve({0.0}, {0.0});
    prepareCoefficients();
    EXPECT_EQ(workspace.ParameterVector[1], 11.0L);
    for (int m = 4; m <= 6; ++m)
        EXPECT_EQ(workspace.ParameterVector[m], 1.0L) << m;
    EXPECT_EQ(workspace.laidOutCurveCount, 2);
}

TEST_F(WorkspaceLayout, CurveLoadedAfterAFitWithRelayoutReadsOnlyOldBlocks) {
    for (int c = 1; c <= 29; ++c)
        addCurve({0.0}, {0.0});
    workspace.componentCount = 9;
    prepareCoefficients();
    fillBlocks(9, 29);
    workspace.fitCount = 1;
    for (int c = 30; c <= 40; ++c)
        addCurve({0.0}, {0.0});  // 40 * 10 would pass 300

    workspace.componentCount = 2;
    prepareCoefficients();
    EXPECT_EQ(workspace.ParameterVector[offsetIndex(29)], 291.0L);
    EXPECT_EQ(workspace.ParameterVector[amplitudeIndex(29, 2)], 293.0L);
    EXPECT_EQ(workspace.ParameterVector[offsetIndex(30)], 1.0L);
    EXPECT_EQ(workspace.ParameterVector[amplitudeIndex(40, 2)], 1.0L);
}

TEST_F(WorkspaceLayout, ResetKeepsDataAndParameters) {
    addCurve({1.0, 2.0}, {3.0, 4.0});
    workspace.componentCount = 1;
    workspace.ParameterVector[1] = 5.0L;
    workspace.fitCount = 2;
    workspace.normalMatrix[300][300] = 1.0L;
    workspace.stepVector[300] = 1.0L;
    workspace.lambda = 0.5L;
    resetWorkspace();
    EXPECT_EQ(workspace.curveCount, 0);
    EXPECT_EQ(workspace.fitCount, 0);
    EXPECT_EQ(workspace.normalMatrix[300][300], 0.0L);
    EXPECT_EQ(workspace.stepVector[300], 0.0L);
    EXPECT_EQ(workspace.componentCount, 1);
    EXPECT_EQ(workspace.ParameterVector[1], 5.0L);
    EXPECT_EQ(workspace.lambda, 0.5L);
    EXPECT_EQ(workspace.pointCount[1], 2);
    EXPECT_EQ(workspace.curves[1].values[2], 4.0);
}

}  // namespace
}  // namespace quorvane
