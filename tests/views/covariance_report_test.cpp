#include "views/covariance_report.h"

#include <cmath>
#include <utility>

#include "data/number_format.h"
#include "fit/model.h"
#include "support/expect_error.h"
#include "views/fitted_workspace.h"

namespace quorvane {
namespace {

using testing::addCurve;
using testing::errorOf;
using testing::loadTwoCurvesThreeComponents;
using testing::setLaidOutComponents;

using Covariance = testing::WorkspaceTest;

TEST_F(Covariance, TwoCurvesThreeComponentsShowTheLogRateBlockAtNineToEleven) {
    loadTwoCurvesThreeComponents();
    EXPECT_EQ(covarianceSize(), 11);
    const CovarianceBlock block = computeCovarianceBlock();
    EXPECT_EQ(workspace.lambda, 0.0L);
    ASSERT_EQ(block.size, 3);
    for (int a = 1; a <= 3; ++a) {
        for (int b = 1; b <= 3; ++b)
            EXPECT_EQ(block.cell(a, b), formatFixed6(workspace.covarianceMatrix[8 + a][8 + b]));
        // Variances of the log-rates are positive.
        EXPECT_GT(workspace.covarianceMatrix[8 + a][8 + a], 0.0L);
        EXPECT_NE(block.cell(a, a).front(), '-');
    }
    // Given twice, the same cells.
    EXPECT_EQ(computeCovarianceBlock().cells, block.cells);
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

TEST_F(Covariance, WithoutAFitThereIsNoCell) {
    workspace.lambda = 0.5L;
    const CovarianceBlock none = computeCovarianceBlock();
    EXPECT_EQ(none.size, 0);
    EXPECT_TRUE(none.cells.empty());
    EXPECT_EQ(workspace.lambda, 0.0L);
    // Curves before the first Start (K = 0): the square of the two offsets
    // is inverted, nothing is shown.
    addCurve({1e-6, 1e-5}, {0.1, 0.2});
    addCurve({1e-6}, {0.3});
    EXPECT_EQ(computeCovarianceBlock().size, 0);
    EXPECT_EQ(workspace.covarianceMatrix[1][1], 0.5L);
    EXPECT_EQ(workspace.covarianceMatrix[2][2], 1.0L);
}

TEST_F(Covariance, AfterClearTheZeroMatrixFailsWithTheFloatingPointMessage) {
    // Clear keeps K but no curve: N' = K and every entry is 0.
    for (const auto& [K, message] : {std::pair{1, "Floating point division by zero"},
                                     {2, "Invalid floating point operation"},
                                     {9, "Invalid floating point operation"}}) {
        setLaidOutComponents(K);
        workspace.lambda = 0.5L;
        EXPECT_EQ(errorOf([] { computeCovarianceBlock(); }), message) << K;
        EXPECT_EQ(workspace.lambda, 0.0L);
    }
}

TEST_F(Covariance, MoreThanThreeHundredParametersAreRefusedBeforeAnythingChanges) {
    testing::loadOnePointCurves(40, 9);
    workspace.lambda = 0.001L;
    workspace.normalMatrix[1][1] = 5.0L;
    workspace.covarianceMatrix[1][1] = 7.0L;
    EXPECT_EQ(errorOf([] { computeCovarianceBlock(); }),
              "Var-Cov Matrix: 40 traces with 9 components need 409 parameters, more than the "
              "300 a fit can hold");
    EXPECT_EQ(workspace.lambda, 0.001L);
    EXPECT_EQ(workspace.normalMatrix[1][1], 5.0L);
    EXPECT_EQ(workspace.covarianceMatrix[1][1], 7.0L);
}

}  // namespace
}  // namespace quorvane
