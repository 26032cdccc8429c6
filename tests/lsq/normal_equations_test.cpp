#include "lsq/normal_equations.h"

#include <cmath>
#include <vector>

#include "data/error.h"
#include "data/extended_exp.h"
#include "data/workspace.h"
#include "random_problem.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::addCurve;
using testing::sameBits;

class NormalEquations : public testing::WorkspaceTest {
  protected:
    long double& at(int row, int column) { return workspace.normalMatrix[row][column]; }
};

// One curve, one component, Y0 = 0, A = 1, k = 0 (w = 1); points x = 0 and
// x = 2 with values 1 and e^-2 + 0.5, so the residuals are 0 and 0.5.
class WorkedExample : public NormalEquations {
  protected:
    void SetUp() override {
        NormalEquations::SetUp();
        addCurve({0.0, 2.0}, {1.0, std::exp(-2.0) + 0.5});
        workspace.componentCount = 1;
        workspace.ParameterVector[1] = 0.0L;  // Y0
        workspace.ParameterVector[2] = 1.0L;  // A
        workspace.ParameterVector[3] = 0.0L;  // k
        workspace.lambda = 0.0L;
    }
    const long double e2 = extendedExp(-2.0L);
    const long double e4 = extendedExp(-4.0L);
    // The value 0.5 + e^-2 is rounded to a double in the data.
    const long double tolerance = 1e-15L;
};

TEST_F(WorkedExample, EntriesOfTheLowerTriangle) {
    buildNormalMatrix();
    EXPECT_EQ(at(1, 1), 2.0L);
    EXPECT_EQ(at(2, 1), 1.0L + e2);
    EXPECT_EQ(at(2, 2), 1.0L + e4);
    EXPECT_EQ(at(3, 1), -2.0L * e2);
    EXPECT_NEAR(at(3, 2), -2.0L * e4 - e2, tolerance);
    EXPECT_NEAR(at(3, 3), 4.0L * e4 - e2, tolerance);
}

TEST_F(WorkedExample, UpperTriangleMirrorsExactly) {
    buildNormalMatrix();
    for (int row = 1; row <= 3; ++row)
        for (int column = 1; column < row; ++column)
            EXPECT_TRUE(sameBits(at(column, row), at(row, column))) << row << "," << column;
}

TEST_F(WorkedExample, Gradient) {
    buildGradientVector();
    EXPECT_NEAR(workspace.gradientVector[1], 0.5L, tolerance);
    EXPECT_NEAR(workspace.gradientVector[2], 0.5L * e2, tolerance);
    EXPECT_NEAR(workspace.gradientVector[3], -e2, tolerance);
}

TEST_F(WorkedExample, DampingScalesTheDiagonalOnly) {
    buildNormalMatrix();
    long double undamped[4][4];
    for (int row = 1; row <= 3; ++row)
        for (int column = 1; column <= 3; ++column)
            undamped[row][column] = at(row, column);

    workspace.lambda = 0.001L;
    buildNormalMatrix();
    for (int row = 1; row <= 3; ++row) {
        for (int column = 1; column <= 3; ++column) {
            const long double expected =
                row == column ? undamped[row][column] * (0.001L + 1.0L) : undamped[row][column];
            EXPECT_TRUE(sameBits(at(row, column), expected)) << row << "," << column;
        }
    }
    EXPECT_NEAR(at(1, 1), 2.002L, 1e-18L);
}

// Two curves of three components with time constants that make w != 1, so
// a missing or extra factor w in a residual term shows.
class ResidualTerms : public NormalEquations {
  protected:
    void SetUp() override {
        NormalEquations::SetUp();
        addCurve({-1e-6, 0.0, 3e-6, 2e-5, 1e-4, 4e-4}, {0.9, 1.4, 1.1, 0.7, 0.3, 0.2});
        addCurve({1e-6, 5e-6, 5e-5, 2e-3}, {0.5, 0.45, 0.3, -0.01});
        workspace.componentCount = 3;
        const long double timeConstants[] = {0, 4e-6L, 3e-5L, 5e-4L};
        for (int m = 1; m <= 3; ++m)
            workspace.ParameterVector[rateIndex(m)] = -logl(timeConstants[m]);
        const long double coefficients[] = {0, 0.1L, 0.4L, 0.3L, 0.2L, 0.05L, 0.2L, 0.15L, 0.1L};
        for (int q = 1; q <= 8; ++q)
            workspace.ParameterVector[q] = coefficients[q];
    }
    long double x(int c, int i) { return workspace.curves[c].times[i]; }
    long double w(int m) { return extendedExp(workspace.ParameterVector[rateIndex(m)]); }
    long double A(int c, int m) { return workspace.ParameterVector[amplitudeIndex(c, m)]; }
    long double residual(int c, int i) {
        long double model = workspace.ParameterVector[offsetIndex(c)];
        for (int m = 1; m <= 3; ++m)
            model += A(c, m) * extendedExp(-x(c, i) * w(m));
        return workspace.curves[c].values[i] - model;
    }
    // The log-rate derivative of the model, -A x w exp(-x w).
    long double rateDerivative(int c, int i, int m) {
        return -A(c, m) * x(c, i) * w(m) * extendedExp(-x(c, i) * w(m));
    }
};

TEST_F(ResidualTerms, OwnAmplitudeEntryCarriesMinusRXExp) {
    buildNormalMatrix();
    for (int c = 1; c <= 2; ++c) {
        for (int m = 1; m <= 3; ++m) {
            long double product = 0.0L;
            long double residualTerm = 0.0L;
            for (int i = 1; i <= workspace.pointCount[c]; ++i) {
                const long double decay = extendedExp(-x(c, i) * w(m));
                product += rateDerivative(c, i, m) * decay;
                residualTerm += -residual(c, i) * x(c, i) * decay;
            }
            ASSERT_GT(fabsl(residualTerm), 1e-8L);
            const long double entry = at(rateIndex(m), amplitudeIndex(c, m));
            EXPECT_NEAR(entry - product, residualTerm, 1e-12L * fabsl(residualTerm)) << c << m;
        }
    }
}

TEST_F(ResidualTerms, RateDiagonalIsTheSecondDerivative) {
    buildNormalMatrix();
    for (int m = 1; m <= 3; ++m) {
        long double gaussNewton = 0.0L;  // sum of (df/dk)^2
        long double curvature = 0.0L;    // - sum of r d2f/dk2
        for (int c = 1; c <= 2; ++c) {
            for (int i = 1; i <= workspace.pointCount[c]; ++i) {
                const long double derivative = rateDerivative(c, i, m);
                gaussNewton += derivative * derivative;
                // d2f/dk2 = -A x w exp(-x w) (1 - x w)
                curvature -= residual(c, i) * derivative * (1.0L - x(c, i) * w(m));
            }
        }
        const long double entry = at(rateIndex(m), rateIndex(m));
        EXPECT_NEAR(entry, gaussNewton + curvature, 1e-12L * fabsl(entry)) << m;
        EXPECT_GT(fabsl(curvature), 1e-3L * gaussNewton) << m;
    }
}

// Only the own-amplitude entries of the rate rows and the rate diagonal
// depend on the data values; every other entry is a product of derivatives.
TEST_F(ResidualTerms, NoOtherEntryDependsOnTheData) {
    buildNormalMatrix();
    const int size = fittedParameterCount();
    std::vector<long double> before;
    for (int row = 1; row <= size; ++row)
        for (int column = 1; column <= size; ++column)
            before.push_back(at(row, column));

    for (int c = 1; c <= 2; ++c)
        for (int i = 1; i <= workspace.pointCount[c]; ++i)
            workspace.curves[c].values[i] += 0.125;
    noteCurveDataChanged();
    buildNormalMatrix();
    auto dependsOnData = [](int row, int column) {
        if (row < column)
            std::swap(row, column);
        for (int m = 1; m <= 3; ++m) {
            if (row != rateIndex(m))
                continue;
            if (column == rateIndex(m))
                return true;
            for (int c = 1; c <= 2; ++c)
                if (column == amplitudeIndex(c, m))
                    return true;
        }
        return false;
    };
    for (int row = 1; row <= size; ++row) {
        for (int column = 1; column <= size; ++column) {
            const long double old = before[(row - 1) * size + column - 1];
            if (dependsOnData(row, column))
                EXPECT_NE(at(row, column), old) << row << "," << column;
            else
                EXPECT_TRUE(sameBits(at(row, column), old)) << row << "," << column;
        }
    }
}

TEST_F(ResidualTerms, GradientIsResidualTimesDerivative) {
    buildGradientVector();
    for (int c = 1; c <= 2; ++c) {
        long double offset = 0.0L;
        for (int i = 1; i <= workspace.pointCount[c]; ++i)
            offset += residual(c, i);
        EXPECT_NEAR(workspace.gradientVector[offsetIndex(c)], offset, 1e-15L);
        for (int m = 1; m <= 3; ++m) {
            long double amplitude = 0.0L;
            for (int i = 1; i <= workspace.pointCount[c]; ++i)
                amplitude += residual(c, i) * extendedExp(-x(c, i) * w(m));
            EXPECT_NEAR(workspace.gradientVector[amplitudeIndex(c, m)], amplitude, 1e-15L);
        }
    }
    for (int m = 1; m <= 3; ++m) {
        long double rate = 0.0L;
        for (int c = 1; c <= 2; ++c)
            for (int i = 1; i <= workspace.pointCount[c]; ++i)
                rate += residual(c, i) * rateDerivative(c, i, m);
        EXPECT_NEAR(workspace.gradientVector[rateIndex(m)], rate, 1e-12L * fabsl(rate));
    }
}

TEST_F(ResidualTerms, InterCurveEntriesAreZeroAfterGarbage) {
    for (int row = 0; row <= kMaxParameters; ++row)
        for (int column = 0; column <= kMaxParameters; ++column)
            at(row, column) = 7.0L;
    buildNormalMatrix();
    for (int j = 1; j <= 4; ++j) {
        for (int l = 1; l <= 4; ++l) {
            const int first = offsetIndex(1) + j - 1;
            const int second = offsetIndex(2) + l - 1;
            EXPECT_TRUE(sameBits(at(first, second), 0.0L)) << first << "," << second;
            EXPECT_TRUE(sameBits(at(second, first), 0.0L)) << second << "," << first;
        }
    }
    // Outside the leading 11 x 11 square nothing is written.
    EXPECT_EQ(at(12, 1), 7.0L);
    EXPECT_EQ(at(1, 12), 7.0L);
    EXPECT_EQ(at(12, 12), 7.0L);
    EXPECT_EQ(at(300, 300), 7.0L);
    EXPECT_NE(at(rateIndex(1), offsetIndex(2)), 0.0L);
}

TEST_F(NormalEquations, RandomProblemIsExactlySymmetric) {
    testing::loadRandomProblem({5, 3, 99, 0.001L});
    buildNormalMatrix();
    const int size = fittedParameterCount();
    for (int row = 1; row <= size; ++row)
        for (int column = 1; column < row; ++column)
            ASSERT_TRUE(sameBits(at(row, column), at(column, row))) << row << "," << column;
}

TEST_F(NormalEquations, CurveWithoutPointsGivesAnAllZeroBlock) {
    addCurve({1e-6, 2e-6}, {0.5, 0.25});
    addCurve({}, {});
    workspace.componentCount = 1;
    for (int q = 1; q <= 4; ++q)
        workspace.ParameterVector[q] = 1.0L;
    workspace.ParameterVector[5] = -logl(1e-6L);
    buildNormalMatrix();
    buildGradientVector();
    for (int q = 1; q <= 5; ++q) {
        EXPECT_EQ(at(3, q), 0.0L) << q;
        EXPECT_EQ(at(4, q), 0.0L) << q;
    }
    EXPECT_EQ(workspace.gradientVector[3], 0.0L);
    EXPECT_EQ(workspace.gradientVector[4], 0.0L);
}

TEST_F(NormalEquations, NoCurvesLeaveAZeroRateBlock) {
    workspace.componentCount = 3;  // after Clear: the last fit's count, no curves
    at(2, 3) = 5.0L;
    buildNormalMatrix();
    for (int row = 1; row <= 3; ++row)
        for (int column = 1; column <= 3; ++column)
            EXPECT_TRUE(sameBits(at(row, column), 0.0L));
}

TEST_F(NormalEquations, OverflowingRateIsAFault) {
    addCurve({1e-6}, {0.5});
    workspace.componentCount = 1;
    workspace.ParameterVector[1] = 1.0L;
    workspace.ParameterVector[2] = 1.0L;
    workspace.ParameterVector[3] = 20000.0L;  // exp(20000) exceeds the extended range
    try {
        buildNormalMatrix();
        FAIL() << "no fault";
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.message(), "Floating point overflow");
    }
}

TEST_F(NormalEquations, RefusesSystemsBeyondTheCapacity) {
    for (int c = 1; c <= 40; ++c)
        addCurve({1e-6}, {0.5});
    workspace.componentCount = 7;  // 8 * 40 + 7 = 327 parameters
    at(1, 1) = 3.0L;
    try {
        buildNormalMatrix();
        FAIL() << "not refused";
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.message(),
                  "Too many parameters for the normal equations: 327 (at most 300)");
    }
    EXPECT_EQ(at(1, 1), 3.0L);
    EXPECT_THROW(buildGradientVector(), QuorvaneError);

    workspace.curveCount = 1;
    workspace.componentCount = 10;
    EXPECT_THROW(buildNormalMatrix(), QuorvaneError);
}

}  // namespace
}  // namespace quorvane
