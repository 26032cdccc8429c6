#include "lsq/linear_solver.h"
#include "lsq/normal_equations.h"

#include <cmath>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "data/error.h"
#include "data/workspace.h"
#include "random_problem.h"
#include "reference_normal_equations.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::sameBits;
using Rows = std::initializer_list<std::initializer_list<long double>>;

constexpr long double kUnwritten = -123.0L;

class LinearSolver : public testing::WorkspaceTest {
  protected:
    MatrixStore& A = workspace.normalMatrix;
    long double* b = workspace.gradientVector;
    long double* x = workspace.stepVector;

    // Loads the rows into normalMatrix, the right-hand side into
    // gradientVector and kUnwritten into every entry of stepVector.
    int load(Rows rows, std::initializer_list<long double> rightHandSide = {}) {
        int row = 0;
        for (const auto& values : rows) {
            ++row;
            int column = 0;
            for (const long double value : values)
                A[row][++column] = value;
        }
        int k = 0;
        for (const long double value : rightHandSide)
            b[++k] = value;
        for (int q = 0; q <= kMaxParameters; ++q)
            x[q] = kUnwritten;
        return row;
    }

    // The message of the QuorvaneError that `action` throws ("" if none).
    template <typename Action>
    static std::string faultOf(Action action) {
        try {
            action();
        } catch (const QuorvaneError& error) {
            return error.message();
        }
        return "";
    }
};

TEST_F(LinearSolver, DiagonalMatrixDividesEachEntry) {
    const int size = load({{2, 0, 0, 0}, {0, 4, 0, 0}, {0, 0, 8, 0}, {0, 0, 0, 0.5}}, {1, 3, 5, 7});
    solveByElimination(A, b, x, size);
    EXPECT_EQ(x[1], 0.5L);
    EXPECT_EQ(x[2], 0.75L);
    EXPECT_EQ(x[3], 0.625L);
    EXPECT_EQ(x[4], 14.0L);
    EXPECT_EQ(x[5], kUnwritten);
    // No row was updated.
    EXPECT_EQ(A[4][4], 0.5L);
    EXPECT_EQ(b[4], 7.0L);
}

TEST_F(LinearSolver, ZeroPivotExchangesRowsWithTheRightHandSide) {
    const int size = load({{0, 1}, {1, 0}}, {2, 3});
    solveByElimination(A, b, x, size);
    EXPECT_EQ(x[1], 3.0L);
    EXPECT_EQ(x[2], 2.0L);
}

TEST_F(LinearSolver, RowIsDividedByItsOwnLeadingEntry) {
    const int size = load({{2, 1}, {4, 3}}, {3, 7});
    solveByElimination(A, b, x, size);
    EXPECT_EQ(A[2][2], 0.25L);  // 3/4 - 1/2
    EXPECT_EQ(b[2], 0.25L);     // 7/4 - 3/2
    EXPECT_EQ(A[2][1], 4.0L);   // kept, not set to zero
    EXPECT_EQ(x[1], 1.0L);
    EXPECT_EQ(x[2], 1.0L);
}

TEST_F(LinearSolver, ExchangeMovesColumnsFromThePivotOnly) {
    // After stage 1 the second pivot is exactly 0 (row 2 was twice row 1 in
    // its first two columns), so rows 2 and 3 exchange columns 2 and 3.
    const int size = load({{1, 2, 3}, {2, 4, 7}, {3, 1, 1}}, {6, 13, 5});
    solveByElimination(A, b, x, size);
    EXPECT_EQ(A[2][1], 2.0L);
    EXPECT_EQ(A[3][1], 3.0L);
    EXPECT_EQ(A[3][2], 0.0L);
    EXPECT_EQ(A[3][3], 0.5L);
    for (int p = 1; p <= 3; ++p)
        EXPECT_NEAR(x[p], 1.0L, 1e-18L) << p;
}

TEST_F(LinearSolver, SmallPivotIsUsedUnchanged) {
    const int size = load({{1e-30L, 1}, {1, 1}}, {1, 2});
    solveByElimination(A, b, x, size);
    EXPECT_EQ(A[1][1], 1e-30L);
    EXPECT_EQ(A[1][2], 1.0L);
    EXPECT_EQ(A[2][2], 1.0L / 1.0L - 1.0L / 1e-30L);
}

TEST_F(LinearSolver, SingleEquation) {
    const int size = load({{4}}, {2});
    solveByElimination(A, b, x, size);
    EXPECT_EQ(x[1], 0.5L);
    EXPECT_EQ(x[2], kUnwritten);
}

TEST_F(LinearSolver, ZeroPivotWithZeroColumnFailsAtBackSubstitution) {
    load({{0, 1}, {0, 1}}, {2, 1});
    EXPECT_EQ(faultOf([&] { solveByElimination(A, b, x, 2); }), "Floating point division by zero");
    EXPECT_EQ(x[2], 1.0L);
    EXPECT_EQ(x[1], kUnwritten);

    load({{0, 1}, {0, 1}}, {1, 1});
    EXPECT_EQ(faultOf([&] { solveByElimination(A, b, x, 2); }), "Invalid floating point operation");
    EXPECT_EQ(x[1], kUnwritten);

    load({{0}}, {1});
    EXPECT_EQ(faultOf([&] { solveByElimination(A, b, x, 1); }), "Floating point division by zero");
    EXPECT_EQ(x[1], kUnwritten);
}

TEST_F(LinearSolver, NothingAfterTheFirstFaultingDivisionIsComputed) {
    load({{1, 1, 1}, {0, 1, 1}, {0, 0, 0}}, {1, 1, 1});
    EXPECT_EQ(faultOf([&] { solveByElimination(A, b, x, 3); }), "Floating point division by zero");
    for (int p = 1; p <= 3; ++p)
        EXPECT_EQ(x[p], kUnwritten) << p;
}

TEST_F(LinearSolver, OverflowInAStageEndsTheSolve) {
    load({{1e-4000L, 1e4000L}, {1, 1}}, {1, 1});
    EXPECT_EQ(faultOf([&] { solveByElimination(A, b, x, 2); }), "Floating point overflow");
    EXPECT_EQ(x[1], kUnwritten);
    EXPECT_EQ(x[2], kUnwritten);
}

TEST_F(LinearSolver, SolveStepUsesTheFittedParameterCount) {
    testing::addCurve({1e-6}, {0.0});
    workspace.componentCount = 1;  // N = 3
    load({{4, 1, 0, 9}, {1, 3, 1, 9}, {0, 1, 2, 9}, {9, 9, 9, 9}}, {5, 5, 3, 9});
    solveStep();
    for (int p = 1; p <= 3; ++p)
        EXPECT_NEAR(x[p], 1.0L, 1e-18L) << p;
    EXPECT_EQ(x[4], kUnwritten);
}

TEST_F(LinearSolver, CurveWithoutPointsMakesTheStepFail) {
    testing::addCurve({1e-6, 3e-6}, {0.5, 0.25});
    testing::addCurve({}, {});
    workspace.componentCount = 1;
    for (int q = 1; q <= 4; ++q)
        workspace.ParameterVector[q] = 1.0L;
    workspace.ParameterVector[5] = -logl(2e-6L);
    workspace.lambda = 0.001L;
    buildNormalMatrix();
    buildGradientVector();
    // The empty curve's rows are 0 = 0: back substitution forms 0/0.
    EXPECT_EQ(faultOf([] { solveStep(); }), "Invalid floating point operation");
}

// A symmetric positive-definite matrix B B^T + I with a fixed random B.
int loadPositiveDefinite(MatrixStore& A, int size, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> entry(-1.0, 1.0);
    long double B[12][12];
    for (int row = 1; row <= size; ++row)
        for (int column = 1; column <= size; ++column)
            B[row][column] = entry(generator);
    for (int row = 1; row <= size; ++row) {
        for (int column = 1; column <= size; ++column) {
            long double sum = row == column ? 1.0L : 0.0L;
            for (int k = 1; k <= size; ++k)
                sum += B[row][k] * B[column][k];
            A[row][column] = sum;
        }
    }
    return size;
}

class Inversion : public LinearSolver {
  protected:
    MatrixStore& inverse = workspace.covarianceMatrix;

    void fillInverse(long double value) {
        for (int row = 0; row <= kMaxParameters; ++row)
            for (int column = 0; column <= kMaxParameters; ++column)
                inverse[row][column] = value;
    }
    // Largest |(A * inverse - I)[row][column]| over the leading square.
    long double identityError(int size) {
        long double worst = 0.0L;
        for (int row = 1; row <= size; ++row) {
            for (int column = 1; column <= size; ++column) {
                long double sum = row == column ? -1.0L : 0.0L;
                for (int k = 1; k <= size; ++k)
                    sum += A[row][k] * inverse[k][column];
                worst = fmaxl(worst, fabsl(sum));
            }
        }
        return worst;
    }
    // Runs the production inversion and the per-column reference on the
    // same normalMatrix; expects the same fault and bitwise equal results.
    void expectSameAsPerColumn(int size) {
        fillInverse(kUnwritten);
        const std::string fault = faultOf([&] { invertNormalMatrix(size); });
        std::vector<long double> replayed;
        for (int row = 1; row <= size; ++row)
            for (int column = 1; column <= size; ++column)
                replayed.push_back(inverse[row][column]);
        fillInverse(kUnwritten);
        EXPECT_EQ(faultOf([&] { testing::referenceInvert(size); }), fault);
        for (int row = 1; row <= size; ++row)
            for (int column = 1; column <= size; ++column)
                ASSERT_TRUE(sameBits(replayed[(row - 1) * size + column - 1], inverse[row][column]))
                    << row << "," << column;
    }
};

TEST_F(Inversion, PositiveDefiniteMatrixGivesTheInverse) {
    const int size = loadPositiveDefinite(A, 8, 5);
    invertNormalMatrix(size);
    EXPECT_LT(identityError(size), 1e-15L);
    for (int row = 1; row <= size; ++row)
        for (int column = 1; column < row; ++column)
            EXPECT_NEAR(inverse[row][column], inverse[column][row], 1e-15L);
}

TEST_F(Inversion, LeavesTheSystemArraysAndTheRestOfTheInverseAsTheyWere) {
    const int size = loadPositiveDefinite(A, 6, 7);
    for (int q = 1; q <= kMaxParameters; ++q) {
        b[q] = q * 0.5L;
        x[q] = q * 0.25L;
    }
    fillInverse(kUnwritten);
    auto before = std::make_unique<Workspace>(workspace);
    invertNormalMatrix(size);
    EXPECT_EQ(std::memcmp(before->normalMatrix, A, sizeof(MatrixStore)), 0);
    EXPECT_EQ(std::memcmp(before->gradientVector, b, sizeof workspace.gradientVector), 0);
    EXPECT_EQ(std::memcmp(before->stepVector, x, sizeof workspace.stepVector), 0);
    EXPECT_EQ(inverse[size + 1][1], kUnwritten);
    EXPECT_EQ(inverse[1][size + 1], kUnwritten);
    EXPECT_NE(inverse[size][size], kUnwritten);
}

TEST_F(Inversion, ZeroSizeDoesNothing) {
    fillInverse(kUnwritten);
    invertNormalMatrix(0);
    EXPECT_EQ(inverse[1][1], kUnwritten);
}

TEST_F(Inversion, AllZeroMatrixAfterClear) {
    for (int size = 1; size <= 3; ++size) {
        resetWorkspace();
        fillInverse(kUnwritten);
        EXPECT_EQ(
            faultOf([&] { invertNormalMatrix(size); }),
            size == 1 ? "Floating point division by zero" : "Invalid floating point operation")
            << size;
        EXPECT_EQ(inverse[1][1], kUnwritten);
    }
}

TEST_F(Inversion, ColumnsFinishedBeforeAFaultStayWritten) {
    // e_1 solves to (1, 0); for e_2, x[2] = 1e4931 and 1e10 * x[2] overflows.
    const int size = load({{1, 1e10L}, {0, 1e-4931L}});
    fillInverse(kUnwritten);
    EXPECT_EQ(faultOf([&] { invertNormalMatrix(size); }), "Floating point overflow");
    EXPECT_EQ(inverse[1][1], 1.0L);
    EXPECT_EQ(inverse[2][1], 0.0L);
    EXPECT_EQ(inverse[1][2], kUnwritten);
    EXPECT_EQ(inverse[2][2], kUnwritten);
    expectSameAsPerColumn(size);
}

// Exchanges at stages 1 and 3, rows skipped at several stages.
TEST_F(Inversion, ReplayEqualsPerColumnWithExchangesAndSkippedRows) {
    const int size =
        load({{0, 1, 2, 1, 3}, {2, 3, 1, 0, 1}, {0, 0, 0, 2, 1}, {4, 6, 5, 1, 2}, {1, 1, 0, 1, 4}});
    invertNormalMatrix(size);
    EXPECT_LT(identityError(size), 1e-17L);
    expectSameAsPerColumn(size);
}

TEST_F(Inversion, ReplayEqualsPerColumnOnPositiveDefiniteMatrices) {
    for (unsigned seed = 1; seed <= 4; ++seed)
        expectSameAsPerColumn(loadPositiveDefinite(A, 11, seed));
}

TEST_F(Inversion, ReplayEqualsPerColumnOnSingularMatrices) {
    expectSameAsPerColumn(load({{1, 2, 3}, {2, 4, 6}, {1, 0, 1}}));
    expectSameAsPerColumn(load({{0, 0}, {0, 0}}));
    expectSameAsPerColumn(load({{2, 1, 0}, {1, 2, 0}, {0, 0, 0}}));
}

TEST_F(Inversion, RefusesSizesBeyondTheCapacity) {
    EXPECT_THROW(invertNormalMatrix(kMaxParameters + 1), QuorvaneError);
    EXPECT_THROW(solveByElimination(A, b, x, kMaxParameters + 1), QuorvaneError);
}

}  // namespace
}  // namespace quorvane
