// The variable-projection method: one of its iterations at capacity (one
// projection of every curve at trial log-rates and one trust-region step),
// on one axis and with an axis per trace, to set beside one designed
// iteration of the same problem; a whole fit of the picosecond examples to
// the minimum, with its iteration count; and the verdict that every fit of
// the small batch problem pays.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>

#include "bench_problems.h"
#include "bench_registry.h"
#include "bench_summary.h"
#include "data/error.h"
#include "data/thread_pool.h"
#include "data/trace_reader.h"
#include "data/workspace.h"
#include "fit/convergence_verdict.h"
#include "fit/curve_projection.h"
#include "fit/fit_driver.h"

namespace quorvane::bench {

namespace {

void projectionIteration(benchmark::State& state, const ProblemSize& size, int threads) {
    loadProblem(size);
    setParallelThreadCount(threads);
    const int n = workspace.componentCount;
    long double logRates[kMaxComponents + 1] = {};
    for (int j = 1; j <= n; ++j)
        logRates[j] = workspace.ParameterVector[rateIndex(j)];
    const auto projection = std::make_unique<Projection>();
    long double scale[kMaxComponents];
    for (int j = 0; j < n; ++j)
        scale[j] = 1.0L;
    for (auto _ : state) {
        projectCurves(logRates, nullptr, *projection);
        long double lambda = 0.0L;
        long double step[kMaxComponents];
        trustRegionStep(projection->system, scale, 0.1L, lambda, step);
        benchmark::DoNotOptimize(step[0]);
    }
    if (!projection->valid)
        state.SkipWithError("the projection faulted");
    setParallelThreadCount(0);
}

// The verdict after a fit of the quorvane-fit problem of (10), at the
// parameters near the minimum that the problem starts from.
void batchRunVerdict(benchmark::State& state) {
    loadProblem(kBatchRunSize);
    for (auto _ : state)
        benchmark::DoNotOptimize(judgeFit(FitRecord{}).expectedFall);
}

// A Start of 3 components from t = 2, 20, 50 on examples/picosecond.
void picosecondFit(benchmark::State& state, FitMethod method, const char* iterations) {
    int iterationsRun = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::memset(static_cast<void*>(&workspace), 0, sizeof workspace);
        for (int wavelength = 400; wavelength < 800; wavelength += 10)
            loadTraceFile(std::string(QUORVANE_EXAMPLES_DIR) + "/picosecond/" +
                          std::to_string(wavelength) + ".txt");
        StartBoxes boxes;
        boxes.componentCount = std::string(1, '3');
        boxes.iterationCount = iterations;
        boxes.timeConstants[0] = std::string(1, '2');
        boxes.timeConstants[1] = "20";
        boxes.timeConstants[2] = "50";
        StartHooks hooks;
        iterationsRun = 0;
        hooks.processEvents = [&iterationsRun] { ++iterationsRun; };
        state.ResumeTiming();
        benchmark::DoNotOptimize(runStart(boxes, hooks, method));
    }
    state.counters["iterations"] = iterationsRun;
    if (method == FitMethod::VariableProjection)
        recordFigure("varpro_fit_iterations", iterationsRun);
}

// Each benchmark runs `iterations` times, in wall-clock milliseconds.
template <typename Body>
void registerBenchmark(const char* name, int iterations, Body body) {
    benchmark::RegisterBenchmark(name, body)
        ->Iterations(iterations)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

void registerVariableProjectionBenchmarks() {
    registerBenchmark(names::kProjectionOneThread, 3,
                      [](benchmark::State& state) { projectionIteration(state, kCapacity, 1); });
    registerBenchmark(names::kProjectionAllThreads, 3,
                      [](benchmark::State& state) { projectionIteration(state, kCapacity, 0); });
    registerBenchmark(names::kProjectionAxisPerTraceOneThread, 3, [](benchmark::State& state) {
        projectionIteration(state, kCapacityAxisPerTrace, 1);
    });
    registerBenchmark(names::kProjectionAxisPerTraceAllThreads, 3, [](benchmark::State& state) {
        projectionIteration(state, kCapacityAxisPerTrace, 0);
    });
    registerBenchmark(names::kPicosecondProjectionFit, 3, [](benchmark::State& state) {
        picosecondFit(state, FitMethod::VariableProjection, "30");
    });
    registerBenchmark(names::kPicosecondClassicFit, 1, [](benchmark::State& state) {
        picosecondFit(state, FitMethod::Classic, "50");
    });
    registerBenchmark(names::kBatchRunVerdict, 50, batchRunVerdict);
}

}  // namespace quorvane::bench
