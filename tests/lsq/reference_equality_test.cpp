// The one-pass build on the thread pool, the solver, the sums and the
// replaying inversion against the literal reference, bit for bit, on random
// problems: with one thread and with several, on an axis per curve and on
// shared axes.
#include <gtest/gtest.h>

#include <cmath>

#include "data/thread_pool.h"
#include "lsq/linear_solver.h"
#include "lsq/normal_equations.h"
#include "random_problem.h"
#include "reference_normal_equations.h"

namespace quorvane {
namespace {

using testing::Axes;
using testing::leadingSquare;
using testing::ProblemShape;
using testing::runIteration;

struct ThreadedShape {
    ProblemShape shape;
    int threads;  // 0: the default count
};

void PrintTo(const ThreadedShape& threaded, std::ostream* out) {
    testing::PrintTo(threaded.shape, out);
    *out << ", " << threaded.threads << " threads";
}

class ReferenceEquality : public testing::WorkspaceTest,
                          public ::testing::WithParamInterface<ThreadedShape> {
  protected:
    void SetUp() override {
        WorkspaceTest::SetUp();
        testing::loadRandomProblem(GetParam().shape);
        setParallelThreadCount(GetParam().threads);
    }
    void TearDown() override { setParallelThreadCount(0); }
};

TEST_P(ReferenceEquality, OneIterationIsBitwiseEqual) {
    const testing::IterationResults actual = runIteration(false);
    EXPECT_EQ(testing::firstDifferenceOf(actual, runIteration(true)), "");

    // The matrix is exactly symmetric, and the problem a real one: a
    // finite, non-trivial step and a trial sum that differs.
    const int size = fittedParameterCount();
    for (int row = 0; row < size; ++row)
        for (int column = 0; column < row; ++column)
            ASSERT_TRUE(testing::sameBits(actual.matrix[row * size + column],
                                          actual.matrix[column * size + row]));
    bool moves = false;
    for (const long double value : actual.step) {
        EXPECT_TRUE(std::isfinite(value));
        moves = moves || value != 0.0L;
    }
    EXPECT_TRUE(moves);
    EXPECT_GT(actual.currentSum, 0.0L);
    EXPECT_NE(actual.trialSum, actual.currentSum);
}

// The per-column reference costs size^4: problems of at most 60 parameters.
class ReferenceInversion : public ReferenceEquality {};

TEST_P(ReferenceInversion, InverseEqualsPerColumnInversion) {
    const int size = fittedParameterCount();
    ASSERT_LE(size, 60);
    workspace.lambda = 0.0L;
    buildNormalMatrix();
    invertNormalMatrix(size);
    const auto inverse = leadingSquare(workspace.covarianceMatrix, size);
    testing::referenceInvert(size);
    EXPECT_EQ(testing::firstDifference(inverse, leadingSquare(workspace.covarianceMatrix, size)),
              -1);
}

// components, curves, seed, lambda; N runs from 3 to 49.
const auto kSmallProblems =
    ::testing::Values(ThreadedShape{{1, 1, 11, 0.0L}, 0}, ThreadedShape{{1, 3, 12, 0.001L}, 0},
                      ThreadedShape{{2, 2, 13, 0.0L}, 0}, ThreadedShape{{3, 1, 14, 0.001L}, 0},
                      ThreadedShape{{3, 4, 15, 0.0L}, 0}, ThreadedShape{{4, 2, 16, 0.001L}, 0},
                      ThreadedShape{{5, 3, 17, 0.0L}, 0}, ThreadedShape{{6, 5, 18, 0.001L}, 0},
                      ThreadedShape{{7, 2, 19, 0.0L}, 0}, ThreadedShape{{8, 3, 20, 0.001L}, 0},
                      ThreadedShape{{9, 1, 21, 0.0L}, 0}, ThreadedShape{{9, 4, 22, 0.001L}, 0});

INSTANTIATE_TEST_SUITE_P(RandomProblems, ReferenceEquality, kSmallProblems);
INSTANTIATE_TEST_SUITE_P(RandomProblems, ReferenceInversion, kSmallProblems);

// One thread is the sequential path; 2 and 3 split the curves differently
// (3 threads leave the last thread a smaller share). The largest system
// that fits: 29 curves of 9 components, N = 299.
INSTANTIATE_TEST_SUITE_P(
    ThreadCounts, ReferenceEquality,
    ::testing::Values(ThreadedShape{{1, 3, 31, 0.001L}, 1}, ThreadedShape{{1, 3, 31, 0.001L}, 2},
                      ThreadedShape{{3, 7, 32, 0.0L}, 1}, ThreadedShape{{3, 7, 32, 0.0L}, 2},
                      ThreadedShape{{3, 7, 32, 0.0L}, 3}, ThreadedShape{{6, 40, 33, 0.001L}, 1},
                      ThreadedShape{{6, 40, 33, 0.001L}, 2}, ThreadedShape{{6, 40, 33, 0.001L}, 3},
                      ThreadedShape{{9, 29, 34, 0.001L}, 2},
                      ThreadedShape{{9, 29, 23, 0.001L}, 0}));

// Curves that share their exponentials: all on one axis; two shared axes and
// a curve on its own; 14 shared axes of 9 components, whose exponentials
// take several rounds of one block each.
INSTANTIATE_TEST_SUITE_P(SharedAxes, ReferenceEquality,
                         ::testing::Values(ThreadedShape{{3, 7, 37, 0.001L, Axes::kOne, 300}, 1},
                                           ThreadedShape{{3, 7, 37, 0.001L, Axes::kOne, 300}, 2},
                                           ThreadedShape{{4, 5, 38, 0.0L, Axes::kPerPair, 300}, 1},
                                           ThreadedShape{{4, 5, 38, 0.0L, Axes::kPerPair, 300}, 3},
                                           ThreadedShape{{9, 29, 39, 0.001L, Axes::kPerPair, 200},
                                                         2}));

}  // namespace
}  // namespace quorvane
