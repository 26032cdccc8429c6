// The step of one trust-region iteration from R and Q^T r: the Gauss-Newton
// step when it lies inside the region, else the Levenberg-Marquardt step
// whose scaled length is the radius, checked against the damped normal
// equations solved here on their own.
#include "lsq/trust_region_step.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace quorvane {
namespace {

using Matrix = std::vector<std::vector<long double>>;

struct StepCase {
    const char* what;
    Matrix triangle;  // R, upper triangular
    std::vector<long double> projectedResidual;
    std::vector<long double> scale;
    long double radius;
    bool damped;  // the Gauss-Newton step lies outside the region
};

const StepCase kSteps[] = {
    {"inside the radius", {{2, 1}, {0, 3}}, {1, -2}, {1, 1}, 10, false},
    {"a dependent column: its entry of the step is 0",
     {{2, 1, 1}, {0, 0, 0}, {0, 0, 4}},
     {1, 0, -2},
     {1, 1, 1},
     10,
     false},
    {"a small radius", {{2, 1}, {0, 3}}, {1, -2}, {1, 1}, 0.05L, true},
    {"a small radius, scaled",
     {{2, 1, 0.5}, {0, 3, -1}, {0, 0, 1.5}},
     {1, -2, 0.7L},
     {0.5, 4, 2},
     0.1L,
     true},
};

// x for M x = v by Gaussian elimination with partial pivoting.
std::vector<long double> solve(Matrix M, std::vector<long double> v) {
    const int n = static_cast<int>(v.size());
    for (int i = 0; i < n; ++i) {
        int pivot = i;
        for (int r = i + 1; r < n; ++r)
            if (fabsl(M[r][i]) > fabsl(M[pivot][i]))
                pivot = r;
        std::swap(M[i], M[pivot]);
        std::swap(v[i], v[pivot]);
        for (int r = i + 1; r < n; ++r) {
            const long double factor = M[r][i] / M[i][i];
            for (int c = i; c < n; ++c)
                M[r][c] -= factor * M[i][c];
            v[r] -= factor * v[i];
        }
    }
    std::vector<long double> x(n);
    for (int i = n - 1; i >= 0; --i) {
        long double sum = v[i];
        for (int c = i + 1; c < n; ++c)
            sum -= M[i][c] * x[c];
        x[i] = sum / M[i][i];
    }
    return x;
}

TEST(TrustRegionStep, GaussNewtonInsideTheRegionElseTheDampedStepOfTheRadiusLength) {
    for (const StepCase& c : kSteps) {
        SCOPED_TRACE(c.what);
        const int n = static_cast<int>(c.scale.size());
        TrustRegionSystem system;
        system.size = n;
        for (int i = 0; i < n; ++i) {
            system.projectedResidual[i] = c.projectedResidual[i];
            for (int j = 0; j < n; ++j)
                system.triangle[i][j] = c.triangle[i][j];
        }
        long double lambda = 0.0L;
        long double step[kMaxComponents];
        trustRegionStep(system, c.scale.data(), c.radius, lambda, step);
        const long double length = scaledNorm(c.scale.data(), step, n);
        EXPECT_EQ(lambda > 0.0L, c.damped);
        if (c.damped)
            EXPECT_LE(fabsl(length - c.radius), 0.1L * c.radius) << length;
        else
            EXPECT_LE(length, 1.1L * c.radius);

        // (R^T R + lambda D^2) p = -R^T qtr, over the independent columns.
        std::vector<int> kept;
        for (int j = 0; j < n; ++j)
            if (c.triangle[j][j] != 0.0L)
                kept.push_back(j);
        const int m = static_cast<int>(kept.size());
        Matrix normal(m, std::vector<long double>(m, 0.0L));
        std::vector<long double> rightHandSide(m, 0.0L);
        for (int a = 0; a < m; ++a) {
            for (int i = 0; i < n; ++i) {
                rightHandSide[a] -= c.triangle[i][kept[a]] * c.projectedResidual[i];
                for (int b = 0; b < m; ++b)
                    normal[a][b] += c.triangle[i][kept[a]] * c.triangle[i][kept[b]];
            }
            normal[a][a] += lambda * c.scale[kept[a]] * c.scale[kept[a]];
        }
        const std::vector<long double> expected = solve(normal, rightHandSide);
        std::vector<long double> full(n, 0.0L);
        for (int a = 0; a < m; ++a)
            full[kept[a]] = expected[a];
        for (int j = 0; j < n; ++j)
            EXPECT_NEAR(step[j], full[j], 1e-14L * (fabsl(full[j]) + 1e-3L)) << "p[" << j << "]";
    }
}

}  // namespace
}  // namespace quorvane
