// Start with the instrument response: the fit of the log-rates and the
// response's parameters by variable projection on simulated ultrafast data,
// its derivatives, its independence of the unit of time, and its refusals.
#include "fit/response_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>

#include "data/number_text.h"
#include "data/thread_pool.h"
#include "fit/fit_driver.h"
#include "fit/goodness_of_fit.h"
#include "fit/response_covariance.h"
#include "fit/response_model.h"
#include "fit/response_projection.h"
#include "lsq/trust_region_step.h"
#include "support/expect_error.h"
#include "support/response_traces.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::SimulatedResponse;

class ResponseFitTest : public testing::WorkspaceTest {
  protected:
    void SetUp() override {
        testing::WorkspaceTest::SetUp();
        responseModel = ResponseModel{};
    }
};

// The fitted t1..t3 (ascending), FWHM, centre, c1 and c2, in the data's
// unit, and the truth in the same order.
constexpr int kFitted = 7;
using Values = std::array<long double, kFitted>;

Values fitted() {
    Values v;
    for (int j = 1; j <= 3; ++j)
        v[j - 1] = expl(-workspace.ParameterVector[rateIndex(j)]);
    std::sort(v.begin(), v.begin() + 3);
    v[3] = responseModel.fwhm;
    v[4] = responseModel.centre;
    v[5] = responseModel.dispersion[1];
    v[6] = responseModel.dispersion[2];
    return v;
}

const Values kTruth = {testing::kTrueTimeConstants[0], testing::kTrueTimeConstants[1],
                       testing::kTrueTimeConstants[2], testing::kTrueFwhm,
                       testing::kTrueCentre,           testing::kTrueDispersion[0],
                       testing::kTrueDispersion[1]};

long double relative(long double a, long double b) {
    return fabsl(a - b) / fabsl(b);
}

struct RecoveryCase {
    const char* name;
    bool chirp;
    bool step;
};

class NoiselessRecovery : public ResponseFitTest,
                          public ::testing::WithParamInterface<RecoveryCase> {};

TEST_P(NoiselessRecovery, ReturnsEveryParameterFromStartsThreeTimesOff) {
    SimulatedResponse simulated;
    simulated.chirp = GetParam().chirp;
    simulated.step = GetParam().step;
    testing::addResponseTraces(simulated);
    FitVerdict verdict;
    ResponseBoxes written;
    StartHooks hooks;
    hooks.reportVerdict = [&](const FitVerdict& v) { verdict = v; };
    hooks.writeResponse = [&](const ResponseBoxes& boxes) { written = boxes; };
    runStart(testing::responseStartBoxes(simulated), hooks, FitMethod::VariableProjection);

    const Values f = fitted();
    for (int k = 0; k < (simulated.chirp ? kFitted : 5); ++k)
        EXPECT_LT(relative(f[k], kTruth[k]), 1e-8L) << "parameter " << k;
    if (simulated.step) {
        EXPECT_LT(relative(responseModel.stepAmplitude[1], testing::kTrueStep), 1e-8L);
    }
    EXPECT_TRUE(verdict.converged) << verdict.message;
    // The fitted curve is drawn over the data's range, through the data.
    std::array<double, kPlotGridPoints + 1> x;
    std::array<double, kPlotGridPoints + 1> y;
    const int last = workspace.pointCount[1];
    fittedCurvePoints(1, x, y);
    EXPECT_EQ(x[1], workspace.curves[1].times[1]);
    EXPECT_EQ(x[kPlotGridPoints], workspace.curves[1].times[last]);
    EXPECT_NEAR(y[kPlotGridPoints], workspace.curves[1].values[last], 1e-12);
    EXPECT_LT(relative(textToExtended(written.fwhm), f[3]), 1e-14L);  // 15 digits
    // A trace loaded after the fit puts the response out of use.
    testing::addCurve({1.0}, {0.0});
    EXPECT_FALSE(responseInUse());
}

INSTANTIATE_TEST_SUITE_P(Data, NoiselessRecovery,
                         ::testing::Values(RecoveryCase{"ChirpAndStep", true, true},
                                           RecoveryCase{"OneTimeZeroSharedAxis", false, false}),
                         [](const auto& info) { return std::string(info.param.name); });

// Every fitted parameter within two standard errors of the truth: s2 times
// the diagonal of the covariance, s2 = S / (m - N).
void expectWithinTwoStandardErrors() {
    ResponseCovariance covariance;
    const int size = responseCovariance(covariance);
    long double points = 0.0L;
    for (int c = 1; c <= workspace.curveCount; ++c)
        points += workspace.pointCount[c];
    const long double variance =
        sumSquaredResiduals() / (points - static_cast<long double>(responseFittedParameterCount()));
    long double x[kMaxTrustRegionParameters];
    for (int j = 1; j <= 3; ++j)
        x[j - 1] = workspace.ParameterVector[rateIndex(j)];
    responseParametersToVector(responseModel, x + 3);
    // In the order of the projection: the centre before the FWHM.
    const long double responseTruth[4] = {testing::kTrueCentre, testing::kTrueFwhm,
                                          testing::kTrueDispersion[0], testing::kTrueDispersion[1]};
    for (int k = 0; k < size; ++k) {
        // A log-rate is compared with the true one nearest to it.
        long double truth = k >= 3 ? responseTruth[k - 3] : 0.0L;
        if (k < 3) {
            truth = -logl(testing::kTrueTimeConstants[0]);
            for (const long double t : testing::kTrueTimeConstants)
                truth = fabsl(-logl(t) - x[k]) < fabsl(truth - x[k]) ? -logl(t) : truth;
        }
        EXPECT_LE(fabsl(x[k] - truth), 2.0L * sqrtl(variance * covariance[k][k]))
            << "parameter " << k;
    }
}

TEST_F(ResponseFitTest, NoisyDataGiveTheTruthWithinTheirErrorsAndTheSameInFemtoseconds) {
    Values results[2];
    for (int u = 0; u < 2; ++u) {
        testing::resetWholeWorkspace();
        SimulatedResponse simulated;
        simulated.timeUnit = u == 0 ? 1.0L : 1000.0L;
        simulated.noise = 2e-3;
        // A draw whose 7 parameters all lie within 2 standard errors (about
        // 70 % of the seeds do; over 30 seeds the errors divided by the
        // standard errors have an rms of 0.8 to 1.15 per parameter).
        simulated.seed = 3;
        testing::addResponseTraces(simulated);
        runStart(testing::responseStartBoxes(simulated), {}, FitMethod::VariableProjection);
        results[u] = fitted();
        if (u == 0)
            expectWithinTwoStandardErrors();
    }
    for (int k = 0; k < kFitted; ++k)
        EXPECT_LT(relative(results[1][k] / 1000.0L, results[0][k]), 1e-9L) << "parameter " << k;
}

// J^T r of the projection against central differences of S/2 in every
// parameter (log-rates, centre, FWHM, c_1, c_2), away from the minimum; and
// the projection's sum is the model's sum of squares bit for bit.
TEST_F(ResponseFitTest, ProjectedGradientMatchesFiniteDifferences) {
    SimulatedResponse simulated;
    simulated.step = true;
    simulated.noise = 1e-3;
    testing::addResponseTraces(simulated);
    runStart(testing::responseStartBoxes(simulated, 1.3L, 0.03L, 0), {},
             FitMethod::VariableProjection);
    constexpr int kParameters = 3 + 4;
    long double x[kMaxTrustRegionParameters] = {-logl(0.4L), -logl(25.0L), -logl(450.0L)};
    responseModel.centre = 0.43L;
    responseModel.fwhm = 0.13L;
    responseModel.dispersion[1] = 0.28L;
    responseModel.dispersion[2] = 0.17L;
    responseParametersToVector(responseModel, x + 3);

    const auto at = std::make_unique<ResponseProjection>();
    setParallelThreadCount(1);
    projectWithResponse(responseModel, x, nullptr, *at);
    setParallelThreadCount(0);
    ASSERT_TRUE(at->projection.valid);
    ASSERT_EQ(at->projection.system.size, kParameters);
    for (int j = 0; j < kParameters; ++j) {
        const long double h = 1e-6L * fmaxl(1.0L, fabsl(x[j]));
        long double shifted[kMaxTrustRegionParameters];
        long double sums[2];
        for (int side = 0; side < 2; ++side) {
            std::copy(x, x + kParameters, shifted);
            shifted[j] += side == 0 ? h : -h;
            const auto point = std::make_unique<ResponseProjection>();
            projectWithResponse(responseModel, shifted, nullptr, *point);
            sums[side] = point->projection.sumOfSquares;
        }
        const long double difference = (sums[0] - sums[1]) / (4.0L * h);
        EXPECT_NEAR(halfGradient(at->projection.system, j), difference, 1e-6L * fabsl(difference))
            << "parameter " << j;
    }

    // The same bits on one thread as on three.
    const auto three = std::make_unique<ResponseProjection>();
    setParallelThreadCount(3);
    projectWithResponse(responseModel, x, nullptr, *three);
    setParallelThreadCount(0);
    EXPECT_TRUE(testing::sameBits(three->projection.sumOfSquares, at->projection.sumOfSquares));
    for (int j = 0; j < kParameters; ++j)
        EXPECT_TRUE(testing::sameBits(three->projection.system.projectedResidual[j],
                                      at->projection.system.projectedResidual[j]));

    // Stored as a Start stores an accepted point, the model's sum is the same.
    const long double logRates[4] = {0.0L, x[0], x[1], x[2]};
    storeProjection(at->projection, logRates);
    for (int c = 1; c <= workspace.curveCount; ++c)
        responseModel.stepAmplitude[c] = at->stepCoefficient[c];
    EXPECT_TRUE(testing::sameBits(sumSquaredResiduals(), at->projection.sumOfSquares));
}

TEST_F(ResponseFitTest, RefusesWhatItCannotFit) {
    struct Case {
        FitMethod method;
        std::string fwhm;
        std::string order;
        bool dropWavelength;
        std::string message;
    };
    const Case cases[] = {
        {FitMethod::Classic, "0.1", "2", false,
         "The instrument response is fitted by variable projection only: choose Variable "
         "projection, or switch the instrument response off"},
        {FitMethod::VariableProjection, "0.1", "2", true,
         "Trace 2 has no wavelength: the dispersion of the instrument response needs the "
         "wavelength of every trace"},
        {FitMethod::VariableProjection, "0", "2", false,
         "The FWHM of the instrument response must be greater than 0"},
        {FitMethod::VariableProjection, "0.1", "5", false,
         "The dispersion order must be between 0 and 4"},
    };
    for (const Case& c : cases) {
        testing::resetWholeWorkspace();
        SimulatedResponse simulated;
        simulated.traces = 3;
        testing::addResponseTraces(simulated);
        if (c.dropWavelength)
            workspace.wavelength[2] = std::nan("");
        StartBoxes boxes = testing::responseStartBoxes(simulated);
        boxes.response.fwhm = c.fwhm;
        boxes.response.dispersionOrder = c.order;
        EXPECT_EQ(testing::errorOf([&] { runStart(boxes, {}, c.method); }), c.message);
        EXPECT_FALSE(responseModel.active) << c.message;
        if (c.method == FitMethod::Classic) {
            EXPECT_EQ(workspace.componentCount, 0) << "nothing changed before the refusal";
        }
    }
}

}  // namespace
}  // namespace quorvane
