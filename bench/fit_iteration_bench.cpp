// One Levenberg–Marquardt iteration as the fit driver runs it (build,
// gradient, solve, trial sum, current sum), and the same iteration by the
// literal direct evaluation of the tests' reference.
#include <benchmark/benchmark.h>

#include "bench_problems.h"
#include "bench_registry.h"
#include "bench_summary.h"
#include "data/error.h"
#include "data/thread_pool.h"
#include "data/workspace.h"
#include "fit/goodness_of_fit.h"
#include "lsq/linear_solver.h"
#include "lsq/normal_equations.h"
#include "reference_normal_equations.h"
#include "reference_sums.h"

namespace quorvane::bench {

namespace {

void iteration() {
    buildNormalMatrix();
    buildGradientVector();
    solveStep();
    benchmark::DoNotOptimize(trialSumSquaredResiduals());
    benchmark::DoNotOptimize(sumSquaredResiduals());
}

void directIteration() {
    testing::referenceBuildNormalMatrix();
    testing::referenceBuildGradientVector();
    testing::referenceSolveByElimination(workspace.normalMatrix, workspace.gradientVector,
                                         workspace.stepVector, fittedParameterCount());
    benchmark::DoNotOptimize(testing::referenceTrialSumSquaredResiduals());
    benchmark::DoNotOptimize(testing::referenceSumSquaredResiduals());
}

// threads = 0: the machine's default.
void registerIteration(const char* name, ProblemSize size, int threads, int iterations,
                       void (*body)()) {
    benchmark::RegisterBenchmark(name,
                                 [size, threads, body](benchmark::State& state) {
                                     loadProblem(size);
                                     setParallelThreadCount(threads);
                                     try {
                                         for (auto _ : state)
                                             body();
                                     } catch (const QuorvaneError& error) {
                                         state.SkipWithError(error.what());
                                     }
                                     setParallelThreadCount(0);
                                 })
        ->Iterations(iterations)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

void registerFitIterationBenchmarks() {
    registerIteration(names::kCapacityOneThread, kCapacity, 1, 3, iteration);
    registerIteration(names::kCapacityAllThreads, kCapacity, 0, 3, iteration);
    registerIteration(names::kAxisPerTraceOneThread, kCapacityAxisPerTrace, 1, 2, iteration);
    registerIteration(names::kAxisPerTraceAllThreads, kCapacityAxisPerTrace, 0, 2, iteration);
    registerIteration(names::kMidOneThread, kMidSize, 1, 40, iteration);
    registerIteration(names::kMidAllThreads, kMidSize, 0, 40, iteration);
    registerIteration(names::kMidDirect, kMidSize, 1, 3, directIteration);
}

}  // namespace quorvane::bench
