// The standard errors after a fit at capacity (40 x 20000, n = 6; one axis,
// and an axis per trace),
// beside one variable-projection iteration of the same problem (one
// projection and one trust-region step), both on one thread and both on all
// threads: the errors should cost no more than that iteration.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "bench_problems.h"
#include "bench_summary.h"
#include "data/thread_pool.h"
#include "data/workspace.h"
#include "fit/curve_projection.h"
#include "fit/standard_errors.h"

namespace quorvane::bench {

namespace {

template <typename Body>
double millisecondsOf(Body body) {
    const auto start = std::chrono::steady_clock::now();
    body();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void errorsAtCapacity(benchmark::State& state, const ProblemSize& size, int threads,
                      const char* figure) {
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
    double iteration = 0.0;
    double errors = 0.0;
    bool valid = false;
    for (auto _ : state) {
        iteration = millisecondsOf([&] {
            projectCurves(logRates, nullptr, *projection);
            long double lambda = 0.0L;
            long double step[kMaxComponents];
            trustRegionStep(projection->system, scale, 0.1L, lambda, step);
            benchmark::DoNotOptimize(step[0]);
        });
        errors = millisecondsOf([&valid] { valid = computeStandardErrors().valid; });
    }
    if (!valid)
        state.SkipWithError("no standard errors");
    state.counters["iteration_ms"] = iteration;
    state.counters["errors_ms"] = errors;
    state.counters["ratio"] = errors / iteration;
    if (figure != nullptr)
        recordFigure(figure, errors / iteration);
    setParallelThreadCount(0);
}

void registerErrors(const char* name, const ProblemSize& size, int threads, const char* figure) {
    benchmark::RegisterBenchmark(name,
                                 [&size, threads, figure](benchmark::State& state) {
                                     errorsAtCapacity(state, size, threads, figure);
                                 })
        ->Iterations(1)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

const bool registered = [] {
    registerErrors("standard_errors/capacity_40x20000_n6_one_axis/threads:1", kCapacity, 1,
                   "standard_errors_over_iteration");
    registerErrors("standard_errors/capacity_40x20000_n6_axis_per_trace/threads:1",
                   kCapacityAxisPerTrace, 1, "standard_errors_over_iteration_axis_per_trace");
    registerErrors("standard_errors/capacity_40x20000_n6_one_axis/threads:all", kCapacity, 0,
                   nullptr);
    registerErrors("standard_errors/capacity_40x20000_n6_axis_per_trace/threads:all",
                   kCapacityAxisPerTrace, 0, nullptr);
    return true;
}();

}  // namespace

}  // namespace quorvane::bench
