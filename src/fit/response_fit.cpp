#include "fit/response_fit.h"

#include <cfenv>
#include <memory>

#include "data/floating_point.h"
#include "fit/response_projection.h"

namespace quorvane {

namespace {

class ResponseProblem final : public HookedProblem {
  public:
    explicit ResponseProblem(const ProjectionIterationHooks& hooks) : HookedProblem(hooks) {}

    void evaluate(const long double* x, LeastSquaresPoint& point) override {
        projectWithResponse(responseModel, x, nullptr, trial_);
        point.valid = trial_.projection.valid;
        point.sumOfSquares = trial_.projection.sumOfSquares;
        point.system = trial_.projection.system;
    }

    FloatingPointFaults lastFaults() const { return trial_.projection.faults; }

    void acceptLastPoint(const long double* x) override {
        const int n = workspace.componentCount;
        long double logRates[kMaxComponents + 1] = {};
        for (int j = 1; j <= n; ++j)
            logRates[j] = x[j - 1];
        storeProjection(trial_.projection, logRates);
        responseParametersFromVector(x + n, responseModel);
        for (int c = 1; c <= workspace.curveCount; ++c)
            responseModel.stepAmplitude[c] = trial_.stepCoefficient[c];
    }

    // The log-rates; the response's parameters are times.
    int radiusParameterCount(int) const override { return workspace.componentCount; }

  private:
    ResponseProjection trial_;
};

}  // namespace

TrustRegionOutcome fitWithResponse(int iterationCount, const ProjectionIterationHooks& hooks) {
    const int n = workspace.componentCount;
    long double x[kMaxTrustRegionParameters] = {};
    for (int j = 1; j <= n; ++j)
        x[j - 1] = workspace.ParameterVector[rateIndex(j)];
    responseParametersToVector(responseModel, x + n);

    const auto problem = std::make_unique<ResponseProblem>(hooks);
    LeastSquaresPoint start;
    problem->evaluate(x, start);
    if (!start.valid) {
        const FloatingPointFaults faults = problem->lastFaults();
        throwIfFloatingPointFault(faults != 0 ? faults : FE_OVERFLOW);
    }
    problem->acceptLastPoint(x);
    return runTrustRegionFit(*problem, start, x, iterationCount);
}

}  // namespace quorvane
