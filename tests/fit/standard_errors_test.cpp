// The standard errors after a fit: against s^2 (J^T J)^-1 of a Jacobian
// formed here by central differences of the model over every fitted
// parameter, and the fits they are refused for.
#include "fit/standard_errors.h"

#include <gtest/gtest.h>

#include <Eigen/Dense>
#include <cmath>
#include <functional>
#include <vector>

#include "data/floating_point.h"
#include "fit/fit_driver.h"
#include "fit/model.h"
#include "fit/response_model.h"
#include "start_log.h"
#include "support/response_traces.h"
#include "support/synthetic_traces.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using Matrix = Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic>;

class StandardErrorsTest : public testing::WorkspaceTest {
  protected:
    void SetUp() override {
        testing::WorkspaceTest::SetUp();
        responseModel = ResponseModel{};
    }
};

// Every fitted parameter, where it lives: the workspace's N entries, then
// the response's fitted ones and the step amplitudes.
std::vector<long double*> fittedParameters() {
    std::vector<long double*> all;
    const bool withResponse = responseInUse();
    for (int i = 1; i <= fittedParameterCount(); ++i)
        all.push_back(&workspace.ParameterVector[i]);
    if (!withResponse)
        return all;
    ResponseModel& model = responseModel;
    if (model.fitCentre)
        all.push_back(&model.centre);
    if (model.fitFwhm)
        all.push_back(&model.fwhm);
    for (int d = 1; d <= model.order; ++d)
        if (model.fitDispersion[d])
            all.push_back(&model.dispersion[d]);
    for (int c = 1; model.step && c <= workspace.curveCount; ++c)
        all.push_back(&model.stepAmplitude[c]);
    return all;
}

std::vector<long double> modelValues() {
    std::vector<long double> values;
    for (int c = 1; c <= workspace.curveCount; ++c)
        for (int i = 1; i <= workspace.pointCount[c]; ++i)
            values.push_back(responseInUse()
                                 ? responseModelValue(responseModel, workspace.ParameterVector, c,
                                                      workspace.curves[c].times[i])
                                 : evaluateModelAtPoint(c, i));
    return values;
}

// s^2 (J^T J)^-1, J by central differences, s^2 = S / (m - N).
Matrix finiteDifferenceCovariance() {
    const std::vector<long double*> parameters = fittedParameters();
    const std::vector<long double> centre = modelValues();
    const int m = static_cast<int>(centre.size());
    const int N = static_cast<int>(parameters.size());
    Matrix J(m, N);
    for (int q = 0; q < N; ++q) {
        const long double kept = *parameters[q];
        const long double h = 1e-6L * fmaxl(fabsl(kept), 1e-2L);
        *parameters[q] = kept + h;
        const std::vector<long double> up = modelValues();
        *parameters[q] = kept - h;
        const std::vector<long double> down = modelValues();
        *parameters[q] = kept;
        for (int i = 0; i < m; ++i)
            J(i, q) = (up[i] - down[i]) / (2.0L * h);
    }
    long double sum = 0.0L;
    int i = 0;
    for (int c = 1; c <= workspace.curveCount; ++c)
        for (int p = 1; p <= workspace.pointCount[c]; ++p, ++i)
            sum += (workspace.curves[c].values[p] - centre[i]) *
                   (workspace.curves[c].values[p] - centre[i]);
    const Matrix normal = J.transpose() * J;
    return sum / (m - N) * normal.fullPivLu().inverse();
}

// Every standard error and the correlations of the ln t_j against the
// finite-difference covariance, in the order of fittedParameters().
void expectMatchesFiniteDifferences(const StandardErrors& errors) {
    ASSERT_TRUE(errors.valid) << errors.message;
    const Matrix covariance = finiteDifferenceCovariance();
    const int n = workspace.componentCount;
    std::vector<long double> computed;
    for (int c = 1; c <= workspace.curveCount; ++c)
        for (int l = 0; l <= n; ++l)
            computed.push_back(errors.coefficient[c][l]);
    for (int j = 1; j <= n; ++j)
        computed.push_back(errors.logRate[j]);
    for (int q = 0; q < errors.responseCount; ++q)
        computed.push_back(errors.response[q]);
    for (int c = 1; responseInUse() && responseModel.step && c <= workspace.curveCount; ++c)
        computed.push_back(errors.stepAmplitude[c]);
    ASSERT_EQ(static_cast<long>(computed.size()), covariance.rows());
    for (std::size_t q = 0; q < computed.size(); ++q)
        EXPECT_NEAR(computed[q] / sqrtl(covariance(q, q)), 1.0L, 1e-6L) << "parameter " << q;
    const int rates = workspace.curveCount * (n + 1);
    for (int i = 1; i <= n; ++i)
        for (int j = 1; j <= n; ++j)
            EXPECT_NEAR(errors.correlation[i][j],
                        covariance(rates + i - 1, rates + j - 1) /
                            sqrtl(covariance(rates + i - 1, rates + i - 1) *
                                  covariance(rates + j - 1, rates + j - 1)),
                        1e-6L);
    EXPECT_EQ(raisedFloatingPointFaults(), 0);
}

TEST_F(StandardErrorsTest, PlainFitMatchesFiniteDifferencesForBothMethods) {
    for (const FitMethod method : {FitMethod::VariableProjection, FitMethod::Classic}) {
        testing::resetWholeWorkspace();
        for (int c = 0; c < 3; ++c)
            testing::addDecay({0.01L * c,
                               {1.0L - 0.3L * c, 0.5L + 0.2L * c},
                               {3e-5L, 2e-3L},
                               0.01,
                               static_cast<unsigned>(c + 1)});
        runStart(testing::startBoxes("2", "60", {"1e-5", "1e-3"}), {}, method);
        expectMatchesFiniteDifferences(computeStandardErrors());
    }
}

TEST_F(StandardErrorsTest, ResponseFitMatchesFiniteDifferencesWithItsParameters) {
    testing::SimulatedResponse simulated;
    simulated.traces = 4;
    simulated.points = 150;
    simulated.step = true;
    simulated.noise = 0.003;
    testing::addResponseTraces(simulated);
    runStart(testing::responseStartBoxes(simulated), {}, FitMethod::VariableProjection);
    ASSERT_TRUE(responseInUse());
    const StandardErrors errors = computeStandardErrors();
    EXPECT_EQ(errors.responseCount, 4);  // centre, FWHM, c1, c2
    expectMatchesFiniteDifferences(errors);
}

// Fits the errors are refused for: a message, no fault, the flags clear.
TEST_F(StandardErrorsTest, RefusesFitsWithoutDegreesOfFreedomOrWithUndeterminedParameters) {
    struct Case {
        const char* name;
        int points;
        std::vector<long double> parameters;  // offset, amplitudes, log-rates of one curve
        const char* message;
    };
    const Case cases[] = {
        {"as many points as parameters",
         3,
         {0.0L, 1.0L, 7.0L},
         "No standard errors: 3 data points for 3 fitted parameters"},
        {"equal rates",
         50,
         {0.0L, 1.0L, 1.0L, 7.0L, 7.0L},
         "No standard errors: t2 cannot be told apart by the data"},
        {"a decay over before the first point",
         50,
         {0.0L, 1.0L, 1.0L, 7.0L, 40.0L},
         "No standard errors: t2 cannot be told apart by the data"},
        {"a decay too slow to tell from the offset",
         50,
         {0.0L, 1.0L, 1.0L, 7.0L, -40.0L},
         "No standard errors: t2 cannot be told apart by the data"},
    };
    for (const Case& c : cases) {
        testing::resetWholeWorkspace();
        testing::addDecay({0.0L, {1.0L}, {1e-3L}, 0.01, 3}, {c.points, 1e-6, 1e-1});
        const int n = static_cast<int>(c.parameters.size() - 1) / 2;
        workspace.componentCount = n;
        for (std::size_t i = 0; i < c.parameters.size(); ++i)
            workspace.ParameterVector[i + 1] = c.parameters[i];
        const StandardErrors errors = computeStandardErrors();
        EXPECT_FALSE(errors.valid) << c.name;
        EXPECT_EQ(errors.message.rfind(c.message, 0), 0u) << c.name << ": " << errors.message;
        EXPECT_EQ(raisedFloatingPointFaults(), 0) << c.name;
    }
}

}  // namespace
}  // namespace quorvane
