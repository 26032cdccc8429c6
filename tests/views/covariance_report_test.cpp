#include "views/covariance_report.h"

#include <cmath>

#include "data/error.h"
#include "data/number_format.h"
#include "fit/model.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::addCurve;

class Covariance : public testing::WorkspaceTest {
  protected:
    void setComponents(int K) {
        workspace.componentCount = K;
        workspace.layoutComponentCount = K;
    }

    // Two curves of 60 points from 1e-7 to 0.1 that the three-component model
    // of `ParameterVector` matches up to rounding to double.
    void loadTwoCurvesThreeComponents() {
        std::vector<double> times;
        for (int i = 0; i < 60; ++i)
            times.push_back(1e-7 * std::pow(10.0, i / 10.0));
        const std::vector<double> zeros(times.size(), 0.0);
        addCurve(times, zeros);
        addCurve(times, zeros);
        setComponents(3);
        const long double coefficients[] = {0.001L,  0.05L,  -0.03L, 0.02L,
                                            -0.002L, -0.04L, 0.06L,  0.01L};
        for (int m = 1; m <= 8; ++m)
            workspace.ParameterVector[m] = coefficients[m - 1];
        const long double timeConstants[] = {1e-5L, 1e-4L, 1e-3L};
        for (int k = 1; k <= 3; ++k)
            workspace.ParameterVector[rateIndex(k)] = -logl(timeConstants[k - 1]);
        for (int c = 1; c <= 2; ++c) {
            for (int j = 1; j <= 60; ++j)
                workspace.curves[c].values[j] = static_cast<double>(evaluateModelAtPoint(c, j));
        }
        workspace.lambda = 0.001L;
    }
};

std::string failureMessage(const std::function<void()>& command) {
    try {
        command();
    } catch (const QuorvaneError& error) {
        return error.message();
    }
    return "no error";
}

TEST_F(Covariance, TwoCurvesThreeComponentsShowTheLogRateBlockAtNineToEleven) {
    loadTwoCurvesThreeComponents();
    EXPECT_EQ(covarianceSize(), 11);
    const CovarianceBlock block = computeCovarianceBlock();
    EXPECT_EQ(workspace.lambda, 0.0L);
    ASSERT_EQ(block.size, 3);
    for (int a = 1; a <= 3; ++a) {
        for (int b = 1; b <= 3; ++b)
            EXPECT_EQ(block.cell(a, b), formatG(workspace.covarianceMatrix[8 + a][8 + b]));
        // Variances of the log-rates are positive.
        EXPECT_GT(workspace.covarianceMatrix[8 + a][8 + a], 0.0L);
        EXPECT_NE(block.cell(a, a).front(), '-');
    }
    // The 11 x 11 square is the inverse of the undamped matrix.
    for (int i = 1; i <= 11; ++i) {
        for (int k = 1; k <= 11; ++k) {
            long double product = 0;
            for (int m = 1; m <= 11; ++m)
                product += workspace.normalMatrix[i][m] * workspace.covarianceMatrix[m][k];
            EXPECT_NEAR(static_cast<double>(product), i == k ? 1.0 : 0.0, 1e-6) << i << "," << k;
        }
    }
}

TEST_F(Covariance, GivenTwiceGivesTheSameCells) {
    loadTwoCurvesThreeComponents();
    const CovarianceBlock first = computeCovarianceBlock();
    const CovarianceBlock second = computeCovarianceBlock();
    EXPECT_EQ(first.cells, second.cells);
}

TEST_F(Covariance, NoCurvesAndNoFitYieldNoCell) {
    workspace.lambda = 0.5L;
    const CovarianceBlock block = computeCovarianceBlock();
    EXPECT_EQ(block.size, 0);
    EXPECT_TRUE(block.cells.empty());
    EXPECT_EQ(workspace.lambda, 0.0L);
}

TEST_F(Covariance, CurvesBeforeTheFirstStartYieldNoCell) {
    addCurve({1e-6, 1e-5}, {0.1, 0.2});
    addCurve({1e-6}, {0.3});
    // K = 0: the square of the two offsets is inverted, nothing is shown.
    EXPECT_EQ(computeCovarianceBlock().size, 0);
    EXPECT_EQ(workspace.covarianceMatrix[1][1], 0.5L);
    EXPECT_EQ(workspace.covarianceMatrix[2][2], 1.0L);
}

TEST_F(Covariance, AfterClearTheZeroMatrixFailsWithTheFloatingPointMessage) {
    // Clear keeps K but no curve: N' = K and every entry is 0.
    setComponents(1);
    EXPECT_EQ(failureMessage([] { computeCovarianceBlock(); }), "Floating point division by zero");
    EXPECT_EQ(workspace.lambda, 0.0L);
    setComponents(2);
    EXPECT_EQ(failureMessage([] { computeCovarianceBlock(); }), "Invalid floating point operation");
    setComponents(9);
    EXPECT_EQ(failureMessage([] { computeCovarianceBlock(); }), "Invalid floating point operation");
}

TEST_F(Covariance, ACurveWithoutPointsMakesTheMatrixSingular) {
    addCurve({}, {});
    addCurve({1e-6, 1e-5, 1e-4}, {0.1, 0.05, 0.01});
    setComponents(1);
    workspace.ParameterVector[rateIndex(1)] = -logl(1e-5L);
    EXPECT_EQ(failureMessage([] { computeCovarianceBlock(); }), "Invalid floating point operation");
}

TEST_F(Covariance, MoreThanThreeHundredParametersAreRefusedBeforeAnythingChanges) {
    for (int c = 0; c < 40; ++c)
        addCurve({1e-6}, {0.0});
    setComponents(9);
    workspace.lambda = 0.001L;
    workspace.normalMatrix[1][1] = 5.0L;
    workspace.covarianceMatrix[1][1] = 7.0L;
    EXPECT_EQ(failureMessage([] { computeCovarianceBlock(); }),
              "Var-Cov Matrix: 40 traces with 9 components need 409 parameters, more than the "
              "300 a fit can hold");
    EXPECT_EQ(workspace.lambda, 0.001L);
    EXPECT_EQ(workspace.normalMatrix[1][1], 5.0L);
    EXPECT_EQ(workspace.covarianceMatrix[1][1], 7.0L);
}

}  // namespace
}  // namespace quorvane
