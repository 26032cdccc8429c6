// The fit with an instrument response: a whole Start on 40 simulated
// ultrafast traces of 600 times (dispersion order 2, three components, every
// time constant 3x off, the centre 0.2 ps late), with its iteration count;
// and one iteration at capacity (40 x 20000, n = 6, dispersion order 2: one
// projection at trial parameters and one trust-region step) measured in the
// same run as one classic iteration of the same size, reported as a ratio.
// One thread each.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>

#include "bench_problems.h"
#include "bench_summary.h"
#include "data/thread_pool.h"
#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "fit/goodness_of_fit.h"
#include "fit/response_projection.h"
#include "fit/response_start.h"
#include "lsq/linear_solver.h"
#include "lsq/normal_equations.h"
#include "support/response_traces.h"

namespace quorvane::bench {

namespace {

void clearWorkspace() {
    std::memset(static_cast<void*>(&workspace), 0, sizeof workspace);
    noteCurveDataChanged();
}

void responseFit(benchmark::State& state) {
    setParallelThreadCount(1);
    int iterations = 0;
    const testing::SimulatedResponse simulated{40, 600};
    for (auto _ : state) {
        state.PauseTiming();
        clearWorkspace();
        testing::addResponseTraces(simulated);
        StartHooks hooks;
        iterations = 0;
        hooks.processEvents = [&iterations] { ++iterations; };
        state.ResumeTiming();
        benchmark::DoNotOptimize(runStart(testing::responseStartBoxes(simulated, 3.0L, 0.2L, 100),
                                          hooks, FitMethod::VariableProjection));
    }
    state.counters["iterations"] = iterations;
    recordFigure("response_fit_iterations", iterations);
    // The benchmarks after this one fit without the response.
    responseModel.active = false;
    setParallelThreadCount(0);
}

double millisecondsOf(void (*body)()) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void classicIteration() {
    buildNormalMatrix();
    buildGradientVector();
    solveStep();
    benchmark::DoNotOptimize(trialSumSquaredResiduals());
    benchmark::DoNotOptimize(sumSquaredResiduals());
}

// Six log-rates, then the centre, the FWHM, c_1 and c_2.
long double responseParameters[kMaxTrustRegionParameters];

void responseIteration() {
    const auto projection = std::make_unique<ResponseProjection>();
    projectWithResponse(responseModel, responseParameters, nullptr, *projection);
    long double scale[kMaxTrustRegionParameters];
    for (long double& s : scale)
        s = 1.0L;
    long double lambda = 0.0L;
    long double step[kMaxTrustRegionParameters];
    trustRegionStep(projection->projection.system, scale, 0.1L, lambda, step);
    benchmark::DoNotOptimize(step[0]);
}

void capacityRatio(benchmark::State& state) {
    setParallelThreadCount(1);
    double classic = 0.0;
    double response = 0.0;
    for (auto _ : state) {
        responseModel.active = false;
        loadProblem(kCapacity);
        classic = millisecondsOf(classicIteration);
        clearWorkspace();
        const testing::SimulatedResponse simulated{40, 20000};
        testing::addResponseTraces(simulated);
        workspace.componentCount = 6;
        prepareResponse(testing::responseStartBoxes(simulated).response);
        const long double timeConstants[6] = {0.3L, 2.0L, 20.0L, 100.0L, 500.0L, 2000.0L};
        for (int j = 0; j < 6; ++j)
            responseParameters[j] = -logl(timeConstants[j]);
        responseParametersToVector(responseModel, responseParameters + 6);
        response = millisecondsOf(responseIteration);
        responseModel.active = false;
    }
    state.counters["classic_ms"] = classic;
    state.counters["response_ms"] = response;
    state.counters["ratio"] = response / classic;
    recordFigure("response_iteration_over_classic", response / classic);
    setParallelThreadCount(0);
}

const bool registered = [] {
    benchmark::RegisterBenchmark("response/fit_40x600_order2_n3/threads:1", responseFit)
        ->Iterations(3)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("response/iteration_capacity_n6_order2_vs_classic/threads:1",
                                 capacityRatio)
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace

}  // namespace quorvane::bench
