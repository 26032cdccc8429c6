// The search for the lowest minimum beside one single fit of the same problem
// (40 traces of 300 points, 3 components, started near the values the data
// were made with, 50 iterations by variable projection): the search runs the
// typed start and its 24 further ones, and its counter "single_fits" is its
// processor time in single fits of the same run.
#include <benchmark/benchmark.h>

#include <cmath>
#include <ctime>

#include "bench_problems.h"
#include "bench_registry.h"
#include "data/number_format.h"
#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "fit/minimum_search.h"

namespace quorvane::bench {

namespace {

constexpr ProblemSize kSearchSize{40, 300, 3};

// Loads the problem and returns the boxes of its start.
StartBoxes loadSearchProblem() {
    loadProblem(kSearchSize);
    StartBoxes boxes;
    boxes.componentCount = std::to_string(kSearchSize.components);
    for (int j = 1; j <= kSearchSize.components; ++j)
        boxes.timeConstants[static_cast<std::size_t>(j - 1)] =
            formatExponent6(expl(-workspace.ParameterVector[rateIndex(j)]));
    return boxes;
}

// Processor seconds of the process, so that other load on the machine does not
// enter the ratio (run with QUORVANE_THREADS=1).
double secondsOf(const auto& body) {
    const std::clock_t begin = std::clock();
    body();
    return static_cast<double>(std::clock() - begin) / CLOCKS_PER_SEC;
}

void singleFit(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const StartBoxes boxes = loadSearchProblem();
        state.ResumeTiming();
        benchmark::DoNotOptimize(runStart(boxes, {}, FitMethod::VariableProjection));
    }
}

void search(benchmark::State& state) {
    double searchSeconds = 0;
    double singleSeconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        StartBoxes boxes = loadSearchProblem();
        singleSeconds += secondsOf([&] { runStart(boxes, {}, FitMethod::VariableProjection); });
        boxes = loadSearchProblem();
        state.ResumeTiming();
        searchSeconds += secondsOf([&] { searchLowestMinimum(boxes, -1, {}); });
    }
    state.counters["single_fits"] = searchSeconds / singleSeconds;
}

}  // namespace

void registerMinimumSearchBenchmarks() {
    benchmark::RegisterBenchmark("minimum_search/single_fit_40x300_n3", singleFit)
        ->Iterations(5)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("minimum_search/search_40x300_n3_25_starts", search)
        ->Iterations(3)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

}  // namespace quorvane::bench
