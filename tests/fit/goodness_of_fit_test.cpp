// The two sums of squares; that they equal the literal per-curve sums bit
// for bit on random problems is shown in tests/lsq/cached_build_test.cpp.
#include "fit/goodness_of_fit.h"

#include <cmath>

#include "data/extended_exp.h"
#include "fit/model.h"
#include "support/example_traces.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::addCurve;
using testing::setParameters;

class GoodnessOfFit : public testing::WorkspaceTest {
  protected:
    // Two curves of three and two points, two components, parameters that
    // do not fit the data.
    static void loadTwoCurves() {
        addCurve({1e-6, 2e-5, 3e-4}, {0.031, 0.017, 0.004});
        addCurve({0.0, 5e-5}, {-0.012, 0.002});
        setParameters(2,
                      {0.001L, 0.02L, 0.01L, -0.002L, -0.01L, 0.005L, -logl(5e-6L), -logl(1e-4L)});
    }
};

TEST_F(GoodnessOfFit, TrialSumAddsTheWholeStepAndAZeroStepChangesNothing) {
    loadTwoCurves();
    workspace.trialVector[3] = 99.0L;  // stale trial entries are overwritten
    EXPECT_EQ(trialSumSquaredResiduals(), sumSquaredResiduals());
    for (int m = 1; m <= 8; ++m)
        workspace.stepVector[m] = 0.001L * m;
    workspace.stepVector[9] = 5.0L;
    workspace.trialVector[9] = -3.0L;  // above the fitted entries: kept
    const long double trial = trialSumSquaredResiduals();
    for (int m = 1; m <= 8; ++m)
        EXPECT_EQ(workspace.trialVector[m], workspace.ParameterVector[m] + workspace.stepVector[m])
            << m;
    EXPECT_EQ(workspace.trialVector[9], -3.0L);
    EXPECT_NE(trial, sumSquaredResiduals());
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
    noteCurveDataChanged();
    long double secondOnly = 0.0L;
    for (int j = 1; j <= 2; ++j) {
        const long double r = workspace.curves[2].values[j] - evaluateModelAtPoint(2, j);
        secondOnly = secondOnly + r * r;
    }
    EXPECT_EQ(sumSquaredResiduals(), secondOnly);
    EXPECT_LT(secondOnly, full);
}

TEST_F(GoodnessOfFit, ExactDataGiveZeroAndOnePointItsSquaredResidual) {
    // Dyadic parameters at t = 0 (every E is 1) and far beyond every time
    // constant (every E is 0): the model values are doubles.
    addCurve({0.0, 10.0, 0.0}, {0.625, 0.5, 0.625});
    setParameters(2, {0.5L, 0.25L, -0.125L, -logl(1e-4L), -logl(3e-3L)});
    EXPECT_EQ(sumSquaredResiduals(), 0.0L);

    testing::resetWholeWorkspace();
    addCurve({2e-6}, {0.03});
    setParameters(1, {0.01L, 0.04L, -logl(5e-6L)});
    const double y = 0.01 + 0.04 * std::exp(-0.4);
    EXPECT_NEAR(static_cast<double>(sumSquaredResiduals()), (0.03 - y) * (0.03 - y), 1e-18);
}

// The example traces hold the model that the script writing them states:
// time constants 5e-6, 1e-4, 3e-3, amplitudes from Gaussian bands of the
// wavelength and an offset; the noisy set adds noise of sigma 5e-4.
class ExampleTraces : public GoodnessOfFit {
  protected:
    static long double band(long double wavelength, long double centre, long double width) {
        const long double x = (wavelength - centre) / width;
        return extendedExp(-(x * x));
    }

    static void loadWithTheirModel(const std::string& folder) {
        testing::loadExamples(folder);
        workspace.componentCount = 3;
        for (int c = 1; c <= 5; ++c) {
            ASSERT_EQ(workspace.pointCount[c], 500);
            EXPECT_EQ(workspace.curves[c].times[1], 1e-7);
            EXPECT_EQ(workspace.curves[c].times[500], 1.0);
            const long double w = 350 + 50 * c;
            const long double block[] = {
                0.002L + 1e-5L * (w - 500.0L), 0.08L * band(w, 450, 80) - 0.02L,
                -0.06L * band(w, 530, 70) - 0.015L, 0.05L * band(w, 600, 80) - 0.02L};
            for (int k = 0; k < 4; ++k)
                workspace.ParameterVector[offsetIndex(c) + k] = block[k];
        }
        const long double timeConstants[] = {5e-6L, 1e-4L, 3e-3L};
        for (int k = 1; k <= 3; ++k)
            workspace.ParameterVector[rateIndex(k)] = -logl(timeConstants[k - 1]);
    }
};

TEST_F(ExampleTraces, NoiselessSetIsTheModelToNineDigitsAndTheNoisyOneCarriesTheStatedNoise) {
    ASSERT_NO_FATAL_FAILURE(loadWithTheirModel("noiseless/"));
    // Only the rounding to 9 significant digits remains: below 1e-10 a point.
    EXPECT_LT(sumSquaredResiduals(), 2500 * 1e-20L) << sumSquaredResiduals();
    testing::resetWholeWorkspace();
    ASSERT_NO_FATAL_FAILURE(loadWithTheirModel(""));
    const long double meanSquare = sumSquaredResiduals() / 2500;
    EXPECT_NEAR(static_cast<double>(sqrtl(meanSquare)), 5e-4, 0.3e-4) << sqrtl(meanSquare);
}

}  // namespace
}  // namespace quorvane
