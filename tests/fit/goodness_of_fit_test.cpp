#include "fit/goodness_of_fit.h"

#include <cmath>

#include "fit/model.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::addCurve;

class GoodnessOfFit : public testing::WorkspaceTest {
  protected:
    // Two curves of three and two points, two components, parameters that
    // do not fit the data.
    void loadTwoCurves() {
        addCurve({1e-6, 2e-5, 3e-4}, {0.031, 0.017, 0.004});
        addCurve({0.0, 5e-5}, {-0.012, 0.002});
        workspace.componentCount = 2;
        const long double entries[] = {0,      0.001L, 0.02L,        0.01L,       -0.002L,
                                       -0.01L, 0.005L, -logl(5e-6L), -logl(1e-4L)};
        for (int m = 1; m <= 8; ++m)
            workspace.ParameterVector[m] = entries[m];
    }
};

// The sum written out once more: per-curve subtotals, added in curve order.
long double literalSum(long double (*model)(int, int)) {
    long double total = 0.0L;
    for (int c = 1; c <= workspace.curveCount; ++c) {
        long double partial = 0.0L;
        for (int j = 1; j <= workspace.pointCount[c]; ++j) {
            const long double r =
                static_cast<long double>(workspace.curves[c].values[j]) - model(c, j);
            partial = partial + r * r;
        }
        total = total + partial;
    }
    return total;
}

TEST_F(GoodnessOfFit, CurrentSumIsThePerCurveSum) {
    loadTwoCurves();
    const long double sum = sumSquaredResiduals();
    EXPECT_EQ(sum, literalSum(evaluateModelAtPoint));
    EXPECT_GT(sum, 0.0L);
}

TEST_F(GoodnessOfFit, PerCurveSubtotalsDecideTheRounding) {
    // With n = 1 and all parameters 0 the model is 0, so the residuals are
    // the values. Curve 1: 1; curve 2: 2^-32 twice. One running sum gives
    // (1 + 2^-64) + 2^-64 = 1 (each addition a tie to even); the subtotals
    // give 1 + (2^-64 + 2^-64) = 1 + 2^-63, one unit in the last place more.
    const double small = std::ldexp(1.0, -32);
    addCurve({1e-6}, {1.0});
    addCurve({1e-6, 2e-6}, {small, small});
    workspace.componentCount = 1;
    const long double tiny = std::ldexp(1.0L, -64);
    ASSERT_EQ((1.0L + tiny) + tiny, 1.0L);
    EXPECT_EQ(sumSquaredResiduals(), 1.0L + std::ldexp(1.0L, -63));
    EXPECT_EQ(trialSumSquaredResiduals(), 1.0L + std::ldexp(1.0L, -63));
}

TEST_F(GoodnessOfFit, TrialSumAddsTheWholeStep) {
    loadTwoCurves();
    for (int m = 1; m <= 8; ++m)
        workspace.stepVector[m] = 0.001L * m;
    workspace.stepVector[9] = 5.0L;
    workspace.trialVector[9] = -3.0L;  // above the fitted entries: kept
    const long double trial = trialSumSquaredResiduals();
    for (int m = 1; m <= 8; ++m)
        EXPECT_EQ(workspace.trialVector[m], workspace.ParameterVector[m] + workspace.stepVector[m])
            << m;
    EXPECT_EQ(workspace.trialVector[9], -3.0L);
    EXPECT_EQ(trial, literalSum(evaluateTrialModelAtPoint));
    EXPECT_NE(trial, sumSquaredResiduals());
}

TEST_F(GoodnessOfFit, ZeroStepGivesEqualSums) {
    loadTwoCurves();
    workspace.trialVector[3] = 99.0L;  // stale trial entries are overwritten
    EXPECT_EQ(trialSumSquaredResiduals(), sumSquaredResiduals());
}

TEST_F(GoodnessOfFit, NoCurvesGiveZeroAndStillWriteTheRateEntries) {
    workspace.componentCount = 3;
    for (int m = 1; m <= 4; ++m) {
        workspace.ParameterVector[m] = m;
        workspace.stepVector[m] = 0.5L;
        workspace.trialVector[m] = -1.0L;
    }
    EXPECT_EQ(sumSquaredResiduals(), 0.0L);
    EXPECT_EQ(trialSumSquaredResiduals(), 0.0L);
    EXPECT_EQ(workspace.trialVector[1], 1.5L);
    EXPECT_EQ(workspace.trialVector[3], 3.5L);
    EXPECT_EQ(workspace.trialVector[4], -1.0L);
}

TEST_F(GoodnessOfFit, CurveWithoutPointsContributesNothing) {
    loadTwoCurves();
    const long double full = sumSquaredResiduals();
    workspace.pointCount[1] = 0;  // its stale data stay in the slot
    long double secondOnly = 0.0L;
    for (int j = 1; j <= 2; ++j) {
        const long double r = workspace.curves[2].values[j] - evaluateModelAtPoint(2, j);
        secondOnly = secondOnly + r * r;
    }
    EXPECT_EQ(sumSquaredResiduals(), secondOnly);
    EXPECT_LT(secondOnly, full);
}

TEST_F(GoodnessOfFit, ExactDataGiveZero) {
    // Dyadic parameters at t = 0 (every E is 1) and far beyond every time
    // constant (every E is 0): the model values are doubles.
    addCurve({0.0, 10.0, 0.0}, {0.625, 0.5, 0.625});
    workspace.componentCount = 2;
    workspace.ParameterVector[1] = 0.5L;
    workspace.ParameterVector[2] = 0.25L;
    workspace.ParameterVector[3] = -0.125L;
    workspace.ParameterVector[4] = -logl(1e-4L);
    workspace.ParameterVector[5] = -logl(3e-3L);
    EXPECT_EQ(sumSquaredResiduals(), 0.0L);
}

TEST_F(GoodnessOfFit, OnePointGivesItsSquaredResidual) {
    addCurve({2e-6}, {0.03});
    workspace.componentCount = 1;
    workspace.ParameterVector[1] = 0.01L;
    workspace.ParameterVector[2] = 0.04L;
    workspace.ParameterVector[3] = -logl(5e-6L);
    const long double r = static_cast<long double>(0.03) - evaluateModelAt(1, 2e-6);
    EXPECT_EQ(sumSquaredResiduals(), r * r);
    const double y = 0.01 + 0.04 * std::exp(-0.4);
    EXPECT_NEAR(static_cast<double>(sumSquaredResiduals()), (0.03 - y) * (0.03 - y), 1e-18);
}

}  // namespace
}  // namespace quorvane
