#include "lsq/linear_solver.h"

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "data/error.h"
#include "lsq/normal_equations.h"
#include "random_problem.h"
#include "reference_normal_equations.h"
#include "support/expect_error.h"

namespace quorvane {
namespace {

using testing::errorOf;
using testing::kNoError;
using testing::sameBits;
using Rows = std::vector<std::vector<long double>>;

constexpr long double kUnwritten = -123.0L;

class LinearSolver : public testing::WorkspaceTest {
  protected:
    MatrixStore& A = workspace.normalMatrix;
    long double* b = workspace.gradientVector;
    long double* x = workspace.stepVector;
    MatrixStore& inverse = workspace.covarianceMatrix;

    // The rows into normalMatrix, the right-hand side into gradientVector,
    // kUnwritten into stepVector and covarianceMatrix.
    int load(const Rows& rows, const std::vector<long double>& rightHandSide = {}) {
        for (std::size_t row = 0; row < rows.size(); ++row)
            for (std::size_t column = 0; column < rows[row].size(); ++column)
                A[row + 1][column + 1] = rows[row][column];
        for (std::size_t k = 0; k < rightHandSide.size(); ++k)
            b[k + 1] = rightHandSide[k];
        for (int q = 0; q <= kMaxParameters; ++q) {
            x[q] = kUnwritten;
            for (int column = 0; column <= kMaxParameters; ++column)
                inverse[q][column] = kUnwritten;
        }
        return static_cast<int>(rows.size());
    }
};

// An entry of the system as the elimination leaves it; column 0 stands for
// the right-hand side.
struct Entry {
    int row;
    int column;
    long double value;
};

TEST_F(LinearSolver, SolvesAndFaultsByTheStatedElimination) {
    // The solve of `rows` x = `rightHandSide` ends with `message` and leaves
    // `expected` in x (kUnwritten: not written) and the `reduced` entries.
    auto expectSolve = [this](const Rows& rows, const std::vector<long double>& rightHandSide,
                              const std::string& message, const std::vector<long double>& expected,
                              const std::vector<Entry>& reduced = {}, long double tolerance = 0) {
        const int size = load(rows, rightHandSide);
        EXPECT_EQ(errorOf([&] { solveByElimination(A, b, x, size); }), message);
        for (int p = 1; p <= size; ++p)
            EXPECT_NEAR(x[p], expected[p - 1], tolerance) << "x[" << p << "]";
        EXPECT_EQ(x[size + 1], kUnwritten);
        for (const Entry& entry : reduced)
            EXPECT_EQ(entry.column == 0 ? b[entry.row] : A[entry.row][entry.column], entry.value)
                << entry.row << "," << entry.column;
    };
    // A diagonal matrix: no row is updated.
    expectSolve({{2, 0, 0, 0}, {0, 4, 0, 0}, {0, 0, 8, 0}, {0, 0, 0, 0.5}}, {1, 3, 5, 7}, kNoError,
                {0.5, 0.75, 0.625, 14}, {{4, 4, 0.5}, {4, 0, 7}});
    // A zero pivot exchanges the rows and the right-hand side.
    expectSolve({{0, 1}, {1, 0}}, {2, 3}, kNoError, {3, 2});
    // A row is divided by its own leading entry, which stays.
    expectSolve({{2, 1}, {4, 3}}, {3, 7}, kNoError, {1, 1},
                {{2, 2, 0.25L}, {2, 0, 0.25L}, {2, 1, 4}});
    // After stage 1 the second pivot is exactly 0 (row 2 was twice row 1 in
    // its first two columns): rows 2 and 3 exchange columns 2 and 3 only.
    expectSolve({{1, 2, 3}, {2, 4, 7}, {3, 1, 1}}, {6, 13, 5}, kNoError, {1, 1, 1},
                {{2, 1, 2}, {3, 1, 3}, {3, 2, 0}, {3, 3, 0.5L}}, 1e-18L);
    // A small pivot is used unchanged: 1 - 1e30 and 2 - 1e30 round alike, so
    // x[2] = 1 and x[1] = (1 - 1) / 1e-30.
    expectSolve({{1e-30L, 1}, {1, 1}}, {1, 2}, kNoError, {0, 1},
                {{1, 1, 1e-30L}, {1, 2, 1}, {2, 2, 1.0L / 1.0L - 1.0L / 1e-30L}});
    expectSolve({{4}}, {2}, kNoError, {0.5});
    // A zero pivot whose column is zero below it: no exchange, no update,
    // and back substitution divides by it, after x[2] (2/0, 0/0, 1/0).
    expectSolve({{0, 1}, {0, 1}}, {2, 1}, "Floating point division by zero", {kUnwritten, 1});
    expectSolve({{0, 1}, {0, 1}}, {1, 1}, "Invalid floating point operation", {kUnwritten, 1});
    expectSolve({{0}}, {1}, "Floating point division by zero", {kUnwritten});
    // Nothing after the first faulting division is written; an overflow in
    // a stage ends the solve.
    expectSolve({{1, 1, 1}, {0, 1, 1}, {0, 0, 0}}, {1, 1, 1}, "Floating point division by zero",
                {kUnwritten, kUnwritten, kUnwritten});
    expectSolve({{1e-4000L, 1e4000L}, {1, 1}}, {1, 1}, "Floating point overflow",
                {kUnwritten, kUnwritten});
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
    testing::setParameters(1, {1.0L, 1.0L, 1.0L, 1.0L, -logl(2e-6L)});
    workspace.lambda = 0.001L;
    buildNormalMatrix();
    buildGradientVector();
    // The empty curve's rows are 0 = 0: back substitution forms 0/0.
    EXPECT_EQ(errorOf(solveStep), "Invalid floating point operation");
}

TEST_F(LinearSolver, RefusesSizesBeyondTheCapacity) {
    EXPECT_THROW(invertNormalMatrix(kMaxParameters + 1), QuorvaneError);
    EXPECT_THROW(solveByElimination(A, b, x, kMaxParameters + 1), QuorvaneError);
}

// A symmetric positive-definite matrix B B^T + I with a fixed random B: its
// inverse up to rounding, symmetric up to rounding only, and nothing else
// changed.
TEST_F(LinearSolver, InversionOfAPositiveDefiniteMatrix) {
    const int size = 8;
    std::mt19937 generator(5);
    std::uniform_real_distribution<double> entry(-1.0, 1.0);
    Rows B(size, std::vector<long double>(size));
    for (auto& row : B)
        for (long double& value : row)
            value = entry(generator);
    Rows rows(size, std::vector<long double>(size));
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < size; ++column) {
            rows[row][column] = row == column ? 1.0L : 0.0L;
            for (int k = 0; k < size; ++k)
                rows[row][column] += B[row][k] * B[column][k];
        }
    load(rows, std::vector<long double>(kMaxParameters, 0.5L));
    const auto before = std::make_unique<Workspace>(workspace);
    invertNormalMatrix(size);
    for (int row = 1; row <= size; ++row) {
        for (int column = 1; column <= size; ++column) {
            long double product = row == column ? -1.0L : 0.0L;
            for (int k = 1; k <= size; ++k)
                product += A[row][k] * inverse[k][column];
            EXPECT_LT(fabsl(product), 1e-15L) << row << "," << column;
            EXPECT_NEAR(inverse[row][column], inverse[column][row], 1e-15L);
        }
    }
    EXPECT_EQ(std::memcmp(before->normalMatrix, A, sizeof(MatrixStore)), 0);
    EXPECT_EQ(std::memcmp(before->gradientVector, b, sizeof workspace.gradientVector), 0);
    EXPECT_EQ(std::memcmp(before->stepVector, x, sizeof workspace.stepVector), 0);
    EXPECT_EQ(inverse[size + 1][1], kUnwritten);
    EXPECT_EQ(inverse[1][size + 1], kUnwritten);
    load({});
    invertNormalMatrix(0);
    EXPECT_EQ(inverse[1][1], kUnwritten);
}

// The inversion reduces the matrix once and replays its exchanges and row
// updates on e_2, e_3, ...: the same bits and the same fault as solving a
// fresh copy against each e_i, and the columns done before a fault stay.
TEST_F(LinearSolver, InversionEqualsThePerColumnSolves) {
    auto expectSameAsPerColumn = [this](const Rows& rows, const std::string& message) {
        const int size = load(rows);
        EXPECT_EQ(errorOf([&] { invertNormalMatrix(size); }), message);
        const std::vector<long double> replayed = testing::leadingSquare(inverse, size);
        load(rows);
        EXPECT_EQ(errorOf([&] { testing::referenceInvert(size); }), message);
        EXPECT_EQ(testing::firstDifference(replayed, testing::leadingSquare(inverse, size)), -1);
    };
    // Exchanges at stages 1 and 3, rows skipped at several stages.
    expectSameAsPerColumn(
        {{0, 1, 2, 1, 3}, {2, 3, 1, 0, 1}, {0, 0, 0, 2, 1}, {4, 6, 5, 1, 2}, {1, 1, 0, 1, 4}},
        kNoError);
    // e_1 solves to (1, 0); for e_2, 1e10 * x[2] = 1e10 * 1e4931 overflows.
    expectSameAsPerColumn({{1, 1e10L}, {0, 1e-4931L}}, "Floating point overflow");
    // Singular: a dependent row, all zero (as after Clear), a zero row and column.
    expectSameAsPerColumn({{1, 2, 3}, {2, 4, 6}, {1, 0, 1}}, "Floating point division by zero");
    expectSameAsPerColumn({{0, 0}, {0, 0}}, "Invalid floating point operation");
    expectSameAsPerColumn({{0}}, "Floating point division by zero");
    expectSameAsPerColumn({{2, 1, 0}, {1, 2, 0}, {0, 0, 0}}, "Invalid floating point operation");
}

}  // namespace
}  // namespace quorvane
