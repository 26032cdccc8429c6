// The entries of the normal equations from the derivatives of the model;
// that the build forms them in the stated order of operations is shown bit
// for bit in reference_equality_test.cpp.
#include "lsq/normal_equations.h"

#include <cmath>
#include <vector>

#include "data/extended_exp.h"
#include "random_problem.h"
#include "support/expect_error.h"

namespace quorvane {
namespace {

using testing::addCurve;
using testing::errorOf;
using testing::sameBits;
using testing::setParameters;

class NormalEquations : public testing::WorkspaceTest {
  protected:
    static long double& at(int row, int column) { return workspace.normalMatrix[row][column]; }
};

// One curve, one component, Y0 = 0, A = 1, k = 0 (w = 1); points x = 0 and
// x = 2 with values 1 and e^-2 + 0.5, so the residuals are 0 and 0.5.
TEST_F(NormalEquations, WorkedExample) {
    addCurve({0.0, 2.0}, {1.0, std::exp(-2.0) + 0.5});
    setParameters(1, {0.0L, 1.0L, 0.0L});
    buildNormalMatrix();
    buildGradientVector();
    const long double e2 = extendedExp(-2.0L);
    const long double e4 = extendedExp(-4.0L);
    const long double tolerance = 1e-15L;  // the value 0.5 + e^-2 is rounded to a double
    EXPECT_EQ(at(1, 1), 2.0L);
    EXPECT_EQ(at(2, 1), 1.0L + e2);
    EXPECT_EQ(at(2, 2), 1.0L + e4);
    EXPECT_EQ(at(3, 1), -2.0L * e2);
    EXPECT_NEAR(at(3, 2), -2.0L * e4 - e2, tolerance);
    EXPECT_NEAR(at(3, 3), 4.0L * e4 - e2, tolerance);
    EXPECT_NEAR(workspace.gradientVector[1], 0.5L, tolerance);
    EXPECT_NEAR(workspace.gradientVector[2], 0.5L * e2, tolerance);
    EXPECT_NEAR(workspace.gradientVector[3], -e2, tolerance);

    // The upper triangle mirrors exactly; lambda scales the diagonal by
    // (lambda + 1) and leaves every other entry.
    const std::vector<long double> undamped = testing::leadingSquare(workspace.normalMatrix, 3);
    workspace.lambda = 0.001L;
    buildNormalMatrix();
    for (int row = 1; row <= 3; ++row) {
        for (int column = 1; column <= 3; ++column) {
            const long double value = undamped[(row - 1) * 3 + column - 1];
            EXPECT_TRUE(sameBits(at(row, column), row == column ? value * (0.001L + 1.0L) : value));
            EXPECT_TRUE(sameBits(at(row, column), at(column, row)));
        }
    }
}

// Two curves of three components with time constants that make w != 1, so
// that a missing or extra factor w shows, and data the parameters do not
// fit, so that the residual terms show. Every entry is the product of two
// derivatives of the model, summed over the points, with a residual term in
// two kinds of entry only:
//   [rate m][amplitude m of curve c]: - sum r x exp(-x w_m)  (no factor w_m)
//   [rate m][rate m]:                 - sum r d2f/dk_m^2,
//                                     d2f/dk^2 = -A x w exp(-x w) (1 - x w);
// entries that couple two curves are 0. The gradient is sum r df/dp.
TEST_F(NormalEquations, EntriesAreDerivativeProductsWithTwoResidualTerms) {
    addCurve({-1e-6, 0.0, 3e-6, 2e-5, 1e-4, 4e-4}, {0.9, 1.4, 1.1, 0.7, 0.3, 0.2});
    addCurve({1e-6, 5e-6, 5e-5, 2e-3}, {0.5, 0.45, 0.3, -0.01});
    setParameters(3, {0.1L, 0.4L, 0.3L, 0.2L, 0.05L, 0.2L, 0.15L, 0.1L, -logl(4e-6L), -logl(3e-5L),
                      -logl(5e-4L)});
    for (int row = 0; row <= kMaxParameters; ++row)
        for (int column = 0; column <= kMaxParameters; ++column)
            at(row, column) = 7.0L;  // left by an earlier solve
    buildNormalMatrix();
    buildGradientVector();

    const int size = fittedParameterCount();
    std::vector<long double> expected(size * size, 0.0L);
    std::vector<long double> residualTerms(size * size, 0.0L);
    std::vector<long double> gradient(size, 0.0L);
    for (int c = 1; c <= 2; ++c) {
        for (int i = 1; i <= workspace.pointCount[c]; ++i) {
            const long double x = workspace.curves[c].times[i];
            std::vector<long double> derivative(size, 0.0L);
            long double model = workspace.ParameterVector[offsetIndex(c)];
            derivative[offsetIndex(c) - 1] = 1.0L;
            for (int m = 1; m <= 3; ++m) {
                const long double w = extendedExp(workspace.ParameterVector[rateIndex(m)]);
                const long double decay = extendedExp(-x * w);
                const long double amplitude = workspace.ParameterVector[amplitudeIndex(c, m)];
                model += amplitude * decay;
                derivative[amplitudeIndex(c, m) - 1] = decay;
                derivative[rateIndex(m) - 1] = -amplitude * x * w * decay;
            }
            const long double r = workspace.curves[c].values[i] - model;
            for (int m = 1; m <= 3; ++m) {
                const long double w = extendedExp(workspace.ParameterVector[rateIndex(m)]);
                const int rate = rateIndex(m) - 1;
                residualTerms[rate * size + amplitudeIndex(c, m) - 1] -=
                    r * x * extendedExp(-x * w);
                residualTerms[rate * size + rate] -= r * derivative[rate] * (1.0L - x * w);
            }
            for (int a = 0; a < size; ++a) {
                gradient[a] += r * derivative[a];
                for (int b = 0; b < size; ++b)
                    expected[a * size + b] += derivative[a] * derivative[b];
            }
        }
    }
    for (int a = 0; a < size; ++a) {
        for (int b = 0; b <= a; ++b) {
            const long double residualTerm = residualTerms[a * size + b];
            const long double entry = expected[a * size + b] + residualTerm;
            EXPECT_NEAR(at(a + 1, b + 1), entry, 1e-12L * fabsl(entry)) << a + 1 << "," << b + 1;
            EXPECT_TRUE(sameBits(at(b + 1, a + 1), at(a + 1, b + 1)));
            if (residualTerm != 0.0L) {  // far above the tolerance: the case shows it
                EXPECT_GT(fabsl(residualTerm), 1e-9L * fabsl(entry));
            }
        }
        EXPECT_NEAR(workspace.gradientVector[a + 1], gradient[a],
                    1e-12L * fabsl(gradient[a]) + 1e-18L);
    }
    EXPECT_TRUE(sameBits(at(offsetIndex(2), offsetIndex(1)), 0.0L));  // the 7 was overwritten
    // Outside the leading 11 x 11 square nothing is written.
    EXPECT_EQ(at(12, 1), 7.0L);
    EXPECT_EQ(at(1, 12), 7.0L);
    EXPECT_EQ(at(300, 300), 7.0L);
}

TEST_F(NormalEquations, MissingCurvesAndPointsGiveZeroBlocks) {
    addCurve({1e-6, 2e-6}, {0.5, 0.25});
    addCurve({}, {});
    setParameters(1, {1.0L, 1.0L, 1.0L, 1.0L, -logl(1e-6L)});
    buildNormalMatrix();
    buildGradientVector();
    for (int q = 1; q <= 5; ++q) {
        EXPECT_EQ(at(3, q), 0.0L) << q;
        EXPECT_EQ(at(4, q), 0.0L) << q;
    }
    EXPECT_EQ(workspace.gradientVector[3], 0.0L);
    EXPECT_EQ(workspace.gradientVector[4], 0.0L);

    testing::resetWholeWorkspace();
    workspace.componentCount = 3;  // after Clear: the last fit's count, no curves
    at(2, 3) = 5.0L;
    buildNormalMatrix();
    for (int row = 1; row <= 3; ++row)
        for (int column = 1; column <= 3; ++column)
            EXPECT_TRUE(sameBits(at(row, column), 0.0L));
}

TEST_F(NormalEquations, OverflowAndCapacityAreRefused) {
    addCurve({1e-6}, {0.5});
    setParameters(1, {1.0L, 1.0L, 20000.0L});  // exp(20000) exceeds the extended range
    EXPECT_EQ(errorOf(buildNormalMatrix), "Floating point overflow");

    for (int c = 2; c <= 40; ++c)
        addCurve({1e-6}, {0.5});
    workspace.componentCount = 7;  // 8 * 40 + 7 = 327 parameters
    at(1, 1) = 3.0L;
    EXPECT_EQ(errorOf(buildNormalMatrix),
              "Too many parameters for the normal equations: 327 (at most 300)");
    EXPECT_EQ(at(1, 1), 3.0L);
    EXPECT_NE(errorOf(buildGradientVector), testing::kNoError);
    workspace.curveCount = 1;
    workspace.componentCount = 10;
    EXPECT_NE(errorOf(buildNormalMatrix), testing::kNoError);
}

}  // namespace
}  // namespace quorvane
