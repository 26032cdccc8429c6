// The spectra's error bars and the species' concentrations: the amplitudes'
// covariance against s^2 (J^T J)^-1 of a Jacobian formed here, on one time
// axis and on an axis per trace; the EAS' errors through the scheme's map;
// the concentrations against a numerical integration of the scheme.
#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>

#include "data/extended_exp.h"
#include "fit/fit_driver.h"
#include "fit/standard_errors.h"
#include "fit/start_log.h"
#include "support/synthetic_traces.h"
#include "views/concentration_profiles.h"
#include "views/spectra_errors.h"

namespace quorvane {
namespace {

using Matrix = Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic>;

class SpectraErrorsTest : public testing::WorkspaceTest {};

// s^2 (J^T J)^-1 with the model's derivatives in closed form: per curve
// d/dY0 = 1, d/dA_j = E_j; d/dk_j = -A_cj t w_j E_j.
Matrix denseCovariance() {
    const int n = workspace.componentCount;
    const int C = workspace.curveCount;
    const int N = C * (n + 1) + n;
    long m = 0;
    for (int c = 1; c <= C; ++c)
        m += workspace.pointCount[c];
    Matrix J = Matrix::Zero(m, N);
    long row = 0;
    long double sum = 0.0L;
    for (int c = 1; c <= C; ++c) {
        for (int i = 1; i <= workspace.pointCount[c]; ++i, ++row) {
            const long double t = workspace.curves[c].times[i];
            long double model = workspace.ParameterVector[offsetIndex(c)];
            J(row, (c - 1) * (n + 1)) = 1.0L;
            for (int j = 1; j <= n; ++j) {
                const long double w = extendedExp(workspace.ParameterVector[rateIndex(j)]);
                const long double E = extendedExp(-w * t);
                const long double A = workspace.ParameterVector[amplitudeIndex(c, j)];
                model += A * E;
                J(row, (c - 1) * (n + 1) + j) = E;
                J(row, C * (n + 1) + j - 1) = -A * t * w * E;
            }
            const long double r = workspace.curves[c].values[i] - model;
            sum += r * r;
        }
    }
    return (sum / static_cast<long double>(m - N)) * (J.transpose() * J).inverse();
}

TEST_F(SpectraErrorsTest, AmplitudeCovarianceMatchesTheFullJacobianOnSharedAndOwnAxes) {
    for (const bool ownAxes : {false, true}) {
        testing::resetWholeWorkspace();
        for (int c = 0; c < 3; ++c) {
            const testing::LogAxis axis{150, ownAxes ? 1e-7 * (1 + c) : 1e-7, 1e-1};
            testing::addDecay({0.01L * c,
                               {1.0L - 0.3L * c, 0.5L + 0.2L * c},
                               {3e-5L, 2e-3L},
                               0.01,
                               static_cast<unsigned>(c + 1)},
                              axis);
        }
        runStart(testing::startBoxes("2", "60", {"1e-5", "1e-3"}), {},
                 FitMethod::VariableProjection);
        const StandardErrors errors = computeStandardErrors();
        ASSERT_TRUE(errors.valid) << errors.message;
        const Matrix dense = denseCovariance();
        for (int c = 1; c <= 3; ++c)
            for (int l = 0; l <= 2; ++l)
                for (int k = 0; k <= 2; ++k) {
                    const long double expected = dense((c - 1) * 3 + l, (c - 1) * 3 + k);
                    EXPECT_NEAR(errors.coefficientCovariance[c][l][k] / expected, 1.0L, 1e-6L)
                        << "own axes " << ownAxes << ", curve " << c << ", " << l << k;
                }
    }
}

// Two species, component 1 the slower: species 1 is component 2. EAS_1 =
// DAS_1 + DAS_2 and EAS_2 = DAS_2 (k_1 - k_2) / k_1 in species order.
TEST(EvolutionStandardErrors, FollowTheSchemesMapWithTheCovariance) {
    const SequentialScheme scheme = sequentialScheme({1e3L, 1e5L}, {"t1", "t2"});
    StandardErrors errors;
    auto& covariance = errors.coefficientCovariance[2];
    covariance[1][1] = 4.0L;  // component 1 (species 2)
    covariance[2][2] = 9.0L;  // component 2 (species 1)
    covariance[1][2] = covariance[2][1] = -5.0L;
    const std::vector<long double> se = evolutionStandardErrors(scheme, errors, 2);
    ASSERT_EQ(se.size(), 2U);
    EXPECT_NEAR(se[0], sqrtl(9.0L + 4.0L - 2 * 5.0L), 1e-15L);
    EXPECT_NEAR(se[1], 2.0L * (1e5L - 1e3L) / 1e5L, 1e-15L);
}

// Three species against a fourth-order Runge-Kutta integration of
// dc/dt = K c from c(0) = e_1; the sum falls as the last species decays.
TEST_F(SpectraErrorsTest, ConcentrationsFollowTheSchemesEquations) {
    const long double timeConstants[3] = {2e-3L, 1e-5L, 3e-4L};
    workspace.componentCount = workspace.layoutComponentCount = 3;
    workspace.fitCount = 1;
    for (int j = 1; j <= 3; ++j)
        workspace.ParameterVector[rateIndex(j)] = -logl(timeConstants[j - 1]);
    const std::vector<double> times = {-1e-6, 0.0, 5e-6, 1e-4, 1e-3, 1e-2};
    const ConcentrationProfiles profiles = buildConcentrationProfiles(times);
    EXPECT_EQ(profiles.species, (std::vector<std::string>{"t2", "t3", "t1"}));

    const long double k[3] = {1e5L, 1.0L / 3e-4L, 5e2L};
    const auto derivative = [&k](const std::array<long double, 3>& c) {
        return std::array<long double, 3>{-k[0] * c[0], k[0] * c[0] - k[1] * c[1],
                                          k[1] * c[1] - k[2] * c[2]};
    };
    std::array<long double, 3> c = {1, 0, 0};
    long double t = 0;
    const long double h = 1e-8L;
    for (std::size_t p = 1; p < times.size(); ++p) {
        while (t < times[p] - h / 2) {
            const auto add = [](auto a, auto b, long double s) {
                for (int i = 0; i < 3; ++i)
                    a[i] += s * b[i];
                return a;
            };
            const auto k1 = derivative(c);
            const auto k2 = derivative(add(c, k1, h / 2));
            const auto k3 = derivative(add(c, k2, h / 2));
            const auto k4 = derivative(add(c, k3, h));
            for (int i = 0; i < 3; ++i)
                c[i] += h / 6 * (k1[i] + 2 * k2[i] + 2 * k3[i] + k4[i]);
            t += h;
        }
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(profiles.values[i][p], c[i], 1e-9) << "species " << i + 1 << " at " << t;
    }
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(profiles.values[i][0], 0.0);  // before time 0
    EXPECT_LT(profiles.values[0][5] + profiles.values[1][5] + profiles.values[2][5], 0.01);
}

// With a last species that never decays (rate 0, the step) the
// concentrations sum to 1 at every time.
TEST(SpeciesConcentrations, SumToOneWhenTheLastSpeciesStays) {
    const SequentialScheme scheme = sequentialScheme({0.0L, 2e4L, 7e2L}, {"step", "t1", "t2"});
    for (const long double time : {0.0L, 1e-5L, 3e-4L, 2e-3L, 1.0L}) {
        long double sum = 0;
        for (int i = 1; i <= 3; ++i)
            sum += speciesConcentration(scheme, i, time);
        EXPECT_NEAR(sum, 1.0L, 1e-15L) << time;
    }
}

}  // namespace
}  // namespace quorvane
