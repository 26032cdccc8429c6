#include "fit/singular_values.h"

#include <cmath>
#include <vector>

#include "fit/fitted_matrix.h"
#include "support/expect_error.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::errorOf;

constexpr double kTolerance = 1e-14;

void expectNear(const std::vector<double>& actual, const std::vector<double>& expected,
                double scale = 1.0) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_NEAR(actual[i], expected[i], kTolerance * scale) << i;
}

std::vector<double> negated(std::vector<double> vector) {
    for (double& entry : vector)
        entry = -entry;
    return vector;
}

// A = 5 u1 v1^T + 2 u2 v2^T over 4 times and 3 wavelengths: rank 2.
KineticMatrix rankTwoMatrix(double sign) {
    KineticMatrix matrix;
    matrix.times = {1, 2, 3, 4};
    matrix.wavelengths = {400, 500, 600};
    for (int i = 0; i < 4; ++i) {
        const double alternating = i % 2 == 0 ? 1.0 : -1.0;
        matrix.values.insert(matrix.values.end(),
                             {sign * 2.5, sign * 0.6 * alternating, sign * 0.8 * alternating});
    }
    return matrix;
}

TEST(SingularValues, OfAMatrixOfKnownRankAndValues) {
    const std::vector<double> u1 = {0.5, 0.5, 0.5, 0.5};
    const std::vector<double> u2 = {0.5, -0.5, 0.5, -0.5};
    const std::vector<double> v1 = {1, 0, 0};
    const std::vector<double> v2 = {0, 0.6, 0.8};
    const SingularValues result = singularValuesOf(rankTwoMatrix(1.0));
    expectNear(result.values, {5, 2, 0}, 5);
    ASSERT_EQ(result.left.size(), 3u);
    expectNear(result.left[0], u1);
    expectNear(result.left[1], u2);
    expectNear(result.right[0], v1);
    expectNear(result.right[1], v2);
    EXPECT_EQ(result.wavelengths, (std::vector<double>{400, 500, 600}));

    // -A: the same left vectors by the sign rule, the right ones turned.
    const SingularValues turned = singularValuesOf(rankTwoMatrix(-1.0));
    expectNear(turned.left[0], u1);
    expectNear(turned.right[0], negated(v1));
    expectNear(turned.right[1], negated(v2));
}

TEST(SingularValues, KeepsTheFirstTenValuesAndThreeVectors) {
    // 20 x 15 with A[j][j] = 15 - j: the singular values 15, 14, ..., 1.
    KineticMatrix matrix;
    matrix.times.resize(20);
    matrix.wavelengths.resize(15);
    matrix.values.assign(20 * 15, 0.0);
    for (int j = 0; j < 15; ++j)
        matrix.values[j * 15 + j] = 15 - j;
    const SingularValues result = singularValuesOf(matrix);
    expectNear(result.values, {15, 14, 13, 12, 11, 10, 9, 8, 7, 6}, 15);
    ASSERT_EQ(result.right.size(), 3u);
    EXPECT_EQ(result.left[2].size(), 20u);
    EXPECT_NEAR(result.left[2][2], 1.0, kTolerance);
    EXPECT_NEAR(result.right[2][2], 1.0, kTolerance);
}

class WorkspaceSingularValues : public testing::WorkspaceTest {
  protected:
    // Two traces on one axis after a one-component "fit" whose amplitudes
    // are 0: the model is each trace's offset alone.
    void loadFittedTraces() {
        testing::addCurve({1, 2, 3}, {1, 2, 3});
        testing::addCurve({1, 2, 3}, {4, 5, 6});
        workspace.wavelength[1] = 500;
        workspace.wavelength[2] = 600;
        workspace.componentCount = 1;
        workspace.layoutComponentCount = 1;
        workspace.laidOutCurveCount = 2;
        workspace.fitCount = 1;
        workspace.ParameterVector[offsetIndex(1)] = 0.5;
        workspace.ParameterVector[offsetIndex(2)] = 1.5;
    }
};

TEST_F(WorkspaceSingularValues, ResidualsAndModelAfterAFit) {
    EXPECT_EQ(errorOf([] { singularValuesOfData(); }), "No traces are loaded");
    loadFittedTraces();
    const KineticMatrix residuals = fittedMatrix(FittedQuantity::Residuals);
    EXPECT_EQ(residuals.values, (std::vector<double>{0.5, 2.5, 1.5, 3.5, 2.5, 4.5}));
    EXPECT_EQ(residuals.wavelengths, (std::vector<double>{500, 600}));
    EXPECT_EQ(fittedMatrix(FittedQuantity::Model).values,
              (std::vector<double>{0.5, 1.5, 0.5, 1.5, 0.5, 1.5}));
    EXPECT_EQ(singularValuesOfResiduals().values.size(), 2u);
    EXPECT_EQ(singularValuesOfData().times, (std::vector<double>{1, 2, 3}));
}

TEST_F(WorkspaceSingularValues, RefusedWithoutAFitOrASharedAxis) {
    testing::addCurve({1, 2, 3}, {1, 2, 3});
    EXPECT_EQ(errorOf([] { singularValuesOfResiduals(); }), "There is no fit yet");
    testing::resetWholeWorkspace();
    loadFittedTraces();
    testing::addCurve({1, 2, 3}, {7, 8, 9});
    EXPECT_EQ(errorOf([] { singularValuesOfResiduals(); }),
              "Traces were loaded after the last fit");
    testing::addCurve({1, 2}, {7, 8});
    EXPECT_EQ(errorOf([] { singularValuesOfData(); }),
              "The loaded traces do not share one time axis");
}

}  // namespace
}  // namespace quorvane
