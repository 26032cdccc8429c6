// The step of one trust-region iteration from R and Q^T r: the Gauss-Newton
// step when it lies inside the region, else the Levenberg-Marquardt step
// whose scaled length is the radius, checked against the damped normal
// equations solved on their own.
#include "lsq/trust_region_step.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "lsq/linear_solver.h"

namespace quorvane {
namespace {

using Matrix = std::vector<std::vector<long double>>;

// The step for R = `triangle`, Q^T r = `projectedResidual`, D = `scale`:
// inside the region (lambda 0) or `damped` to the radius' scaled length, and
// in both cases the solution of the damped normal equations at its lambda.
void expectStep(const Matrix& triangle, const std::vector<long double>& projectedResidual,
                const std::vector<long double>& scale, long double radius, bool damped) {
    const int n = static_cast<int>(scale.size());
    TrustRegionSystem system;
    system.size = n;
    for (int i = 0; i < n; ++i) {
        system.projectedResidual[i] = projectedResidual[i];
        for (int j = 0; j < n; ++j)
            system.triangle[i][j] = triangle[i][j];
    }
    long double lambda = 0.0L;
    long double step[kMaxComponents];
    trustRegionStep(system, scale.data(), radius, lambda, step);
    const long double length = scaledNorm(scale.data(), step, n);
    EXPECT_EQ(lambda > 0.0L, damped);
    EXPECT_LE(damped ? fabsl(length - radius) : length, (damped ? 0.1L : 1.1L) * radius);

    // (R^T R + lambda D^2) p = -R^T qtr over the independent columns, 0 for
    // the dependent ones; solved by the normal equations' solver in the
    // workspace's stores.
    std::vector<int> kept;
    for (int j = 0; j < n; ++j)
        if (triangle[j][j] != 0.0L)
            kept.push_back(j);
    const int m = static_cast<int>(kept.size());
    MatrixStore& normal = workspace.normalMatrix;
    long double* rightHandSide = workspace.gradientVector;
    for (int a = 1; a <= m; ++a) {
        rightHandSide[a] = 0.0L;
        for (int b = 1; b <= m; ++b) {
            normal[a][b] = a == b ? lambda * scale[kept[a - 1]] * scale[kept[a - 1]] : 0.0L;
            for (int i = 0; i < n; ++i)
                normal[a][b] += triangle[i][kept[a - 1]] * triangle[i][kept[b - 1]];
        }
        for (int i = 0; i < n; ++i)
            rightHandSide[a] -= triangle[i][kept[a - 1]] * projectedResidual[i];
    }
    solveByElimination(normal, rightHandSide, workspace.stepVector, m);
    std::vector<long double> expected(n, 0.0L);
    for (int a = 1; a <= m; ++a)
        expected[kept[a - 1]] = workspace.stepVector[a];
    for (int j = 0; j < n; ++j)
        EXPECT_NEAR(step[j], expected[j], 1e-14L * (fabsl(expected[j]) + 1e-3L))
            << "p[" << j << "]";
}

TEST(TrustRegionStep, GaussNewtonInsideTheRegionElseTheDampedStepOfTheRadiusLength) {
    expectStep({{2, 1}, {0, 3}}, {1, -2}, {1, 1}, 10, false);
    expectStep({{2, 1}, {0, 3}}, {1, -2}, {1, 1}, 0.05L, true);
    expectStep({{2, 1, 0.5}, {0, 3, -1}, {0, 0, 1.5}}, {1, -2, 0.7L}, {0.5, 4, 2}, 0.1L, true);
    // A dependent column (a zero row and diagonal): its entry of the step is 0.
    expectStep({{2, 1, 1}, {0, 0, 0}, {0, 0, 4}}, {1, 0, -2}, {1, 1, 1}, 10, false);
}

}  // namespace
}  // namespace quorvane
