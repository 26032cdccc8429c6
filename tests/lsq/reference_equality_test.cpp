// The cached builders, the solver and the replaying inversion against the
// literal reference, bit for bit, on random problems.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "data/workspace.h"
#include "lsq/linear_solver.h"
#include "lsq/normal_equations.h"
#include "random_problem.h"
#include "reference_normal_equations.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::firstDifference;
using testing::leadingEntries;
using testing::leadingSquare;
using testing::ProblemShape;
using testing::sameBits;

class ReferenceEquality : public testing::WorkspaceTest,
                          public ::testing::WithParamInterface<ProblemShape> {};

TEST_P(ReferenceEquality, MatrixGradientAndStepAreBitwiseEqual) {
    testing::loadRandomProblem(GetParam());
    const int size = fittedParameterCount();

    buildNormalMatrix();
    buildGradientVector();
    const auto matrix = leadingSquare(workspace.normalMatrix, size);
    const auto gradient = leadingEntries(workspace.gradientVector, size);
    solveStep();
    const auto step = leadingEntries(workspace.stepVector, size);
    const auto reducedMatrix = leadingSquare(workspace.normalMatrix, size);
    const auto reducedGradient = leadingEntries(workspace.gradientVector, size);

    testing::referenceBuildNormalMatrix();
    testing::referenceBuildGradientVector();
    EXPECT_EQ(firstDifference(matrix, leadingSquare(workspace.normalMatrix, size)), -1);
    EXPECT_EQ(firstDifference(gradient, leadingEntries(workspace.gradientVector, size)), -1);
    testing::referenceSolveByElimination(workspace.normalMatrix, workspace.gradientVector,
                                         workspace.stepVector, size);
    EXPECT_EQ(firstDifference(step, leadingEntries(workspace.stepVector, size)), -1);
    EXPECT_EQ(firstDifference(reducedMatrix, leadingSquare(workspace.normalMatrix, size)), -1);
    EXPECT_EQ(firstDifference(reducedGradient, leadingEntries(workspace.gradientVector, size)), -1);

    // The problem is a real one: a finite, non-trivial step.
    bool moves = false;
    for (const long double value : step) {
        EXPECT_TRUE(std::isfinite(value));
        moves = moves || value != 0.0L;
    }
    EXPECT_TRUE(moves);
}

// The per-column reference costs size^4: problems of at most 60 parameters.
class ReferenceInversion : public ReferenceEquality {};

TEST_P(ReferenceInversion, InverseEqualsPerColumnInversion) {
    testing::loadRandomProblem(GetParam());
    const int size = fittedParameterCount();
    ASSERT_LE(size, 60);
    workspace.lambda = 0.0L;
    buildNormalMatrix();

    invertNormalMatrix(size);
    const auto inverse = leadingSquare(workspace.covarianceMatrix, size);
    testing::referenceInvert(size);
    EXPECT_EQ(firstDifference(inverse, leadingSquare(workspace.covarianceMatrix, size)), -1);
}

// components, curves, seed, lambda; N runs from 3 to 49.
const auto kSmallProblems = ::testing::Values(
    ProblemShape{1, 1, 11, 0.0L}, ProblemShape{1, 3, 12, 0.001L}, ProblemShape{2, 2, 13, 0.0L},
    ProblemShape{3, 1, 14, 0.001L}, ProblemShape{3, 4, 15, 0.0L}, ProblemShape{4, 2, 16, 0.001L},
    ProblemShape{5, 3, 17, 0.0L}, ProblemShape{6, 5, 18, 0.001L}, ProblemShape{7, 2, 19, 0.0L},
    ProblemShape{8, 3, 20, 0.001L}, ProblemShape{9, 1, 21, 0.0L}, ProblemShape{9, 4, 22, 0.001L});

INSTANTIATE_TEST_SUITE_P(RandomProblems, ReferenceEquality, kSmallProblems);
// The largest system that fits: 29 curves of 9 components, N = 299.
INSTANTIATE_TEST_SUITE_P(LargestProblem, ReferenceEquality,
                         ::testing::Values(ProblemShape{9, 29, 23, 0.001L}));
INSTANTIATE_TEST_SUITE_P(RandomProblems, ReferenceInversion, kSmallProblems);

}  // namespace
}  // namespace quorvane
