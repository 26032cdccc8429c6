// The variance–covariance command (lambda 0, undamped build, inversion of
// the N' x N' square, cell texts) at N' = 286, and the inversion alone.
#include <benchmark/benchmark.h>

#include "bench_problems.h"
#include "bench_registry.h"
#include "bench_summary.h"
#include "data/error.h"
#include "data/workspace.h"
#include "lsq/linear_solver.h"
#include "lsq/normal_equations.h"
#include "views/covariance_report.h"

namespace quorvane::bench {

namespace {

void registerCommand(const char* name, ProblemSize size, int iterations) {
    benchmark::RegisterBenchmark(name,
                                 [size](benchmark::State& state) {
                                     loadProblem(size);
                                     try {
                                         for (auto _ : state)
                                             benchmark::DoNotOptimize(computeCovarianceBlock());
                                     } catch (const QuorvaneError& error) {
                                         state.SkipWithError(error.what());
                                     }
                                 })
        ->Iterations(iterations)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

void registerCovarianceBenchmarks() {
    registerCommand(names::kCovarianceShort, kCovarianceShort, 5);
    registerCommand(names::kCovarianceCapacity, kCapacity, 2);
    benchmark::RegisterBenchmark(names::kInversion,
                                 [](benchmark::State& state) {
                                     loadProblem(kCovarianceShort);
                                     workspace.lambda = 0.0L;
                                     try {
                                         buildNormalMatrix();
                                         for (auto _ : state)
                                             invertNormalMatrix(fittedParameterCount());
                                     } catch (const QuorvaneError& error) {
                                         state.SkipWithError(error.what());
                                     }
                                 })
        ->Iterations(5)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

}  // namespace quorvane::bench
