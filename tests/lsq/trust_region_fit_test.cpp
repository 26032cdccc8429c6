// The trust-region Levenberg–Marquardt on small problems whose residuals and
// Jacobians are written out here.
#include "lsq/trust_region_fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <vector>

#include "data/extended_exp.h"
#include "data/floating_point.h"
#include "lsq/householder_qr.h"

namespace quorvane {
namespace {

using Residuals = std::function<void(const long double* x, std::vector<long double>& r,
                                     std::vector<long double>& jacobian)>;

// A problem of m residuals of n parameters: R and Q^T r by Householder QR of
// [J | r] (column-major). Counts the evaluations that faulted.
class DenseProblem : public TrustRegionProblem {
  public:
    DenseProblem(int residuals, int parameters, Residuals function)
        : m_(residuals), n_(parameters), function_(std::move(function)) {}

    void evaluate(const long double* x, LeastSquaresPoint& point) override {
        std::vector<long double> r(m_);
        std::vector<long double> block(static_cast<std::size_t>(m_ * (n_ + 1)));
        clearFloatingPointFaults();
        function_(x, r, block);
        long double sum = 0.0L;
        for (int i = 0; i < m_; ++i) {
            sum += r[i] * r[i];
            block[n_ * m_ + i] = r[i];
        }
        HouseholderFactors factors;
        householderFactor(block.data(), m_, 0, m_, n_, n_ + 1, 0.0L, factors);
        point = LeastSquaresPoint{};
        point.system.size = n_;
        for (int j = 0; j < n_; ++j) {
            for (int l = j; l < n_; ++l)
                point.system.triangle[j][l] = triangleEntry(block.data(), m_, factors, j, l);
            point.system.projectedResidual[j] = triangleEntry(block.data(), m_, factors, j, n_);
        }
        point.sumOfSquares = sum;
        point.valid = raisedFloatingPointFaults() == 0;
        faultedEvaluations += point.valid ? 0 : 1;
        clearFloatingPointFaults();
    }
    void acceptLastPoint(const long double*) override {}
    void beginIteration(int, long double) override {}
    void endIteration(int) override {}

    TrustRegionOutcome fit(std::vector<long double>& x, int iterations) {
        LeastSquaresPoint start;
        evaluate(x.data(), start);
        return runTrustRegionFit(*this, start, x.data(), iterations);
    }

    int faultedEvaluations = 0;

  private:
    int m_;
    int n_;
    Residuals function_;
};

// r = (10 (x2 - x1^2), 1 - x1): the least sum 0 at (1, 1).
void rosenbrock(const long double* x, std::vector<long double>& r, std::vector<long double>& J) {
    r[0] = 10.0L * (x[1] - x[0] * x[0]);
    r[1] = 1.0L - x[0];
    J[0] = -20.0L * x[0];  // column 0: d/dx1
    J[1] = -1.0L;
    J[2] = 10.0L;  // column 1: d/dx2
    J[3] = 0.0L;
}

TEST(TrustRegionFit, ReachesTheMinimumOfRosenbrocksValley) {
    DenseProblem problem(2, 2, rosenbrock);
    std::vector<long double> x = {-1.2L, 1.0L};
    const TrustRegionOutcome outcome = problem.fit(x, 100);
    EXPECT_NE(outcome.stop, FitStop::IterationCount);
    EXPECT_NEAR(static_cast<double>(x[0]), 1.0, 1e-12);
    EXPECT_NEAR(static_cast<double>(x[1]), 1.0, 1e-12);
}

TEST(TrustRegionFit, RejectsOverflowingTrialsAndShrinksTheRegion) {
    // r = exp(2000 x) - exp(4000), least at x = 2. From 1.9 the Gauss–Newton
    // step is about e^200, and the first radius lets it reach 2.9, where r^2
    // overflows.
    DenseProblem problem(1, 1, [](const long double* x, auto& r, auto& J) {
        const long double e = extendedExp(2000.0L * x[0]);
        r[0] = e - extendedExp(4000.0L);
        J[0] = 2000.0L * e;
    });
    std::vector<long double> x = {1.9L};
    TrustRegionOutcome outcome;
    EXPECT_NO_THROW(outcome = problem.fit(x, 200));
    EXPECT_GT(problem.faultedEvaluations, 0);
    EXPECT_NE(outcome.stop, FitStop::IterationCount);
    EXPECT_NEAR(static_cast<double>(x[0]), 2.0, 1e-15);
    EXPECT_EQ(raisedFloatingPointFaults(), 0);
}

TEST(TrustRegionFit, StopsAfterTheIterationsTyped) {
    DenseProblem problem(2, 2, rosenbrock);
    std::vector<long double> x = {-1.2L, 1.0L};
    const TrustRegionOutcome outcome = problem.fit(x, 3);
    EXPECT_EQ(outcome.stop, FitStop::IterationCount);
    EXPECT_EQ(outcome.iterations, 3);
}

}  // namespace
}  // namespace quorvane
