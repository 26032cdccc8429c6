// Runs every benchmark once and prints the summary table. Google Benchmark's
// own flags (--benchmark_filter=..., --benchmark_format=json, ...) apply.
#include <benchmark/benchmark.h>

#include "bench_registry.h"
#include "bench_summary.h"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    quorvane::bench::registerFitIterationBenchmarks();
    quorvane::bench::registerExponentialBenchmarks();
    quorvane::bench::registerCovarianceBenchmarks();
    quorvane::bench::registerTraceLoadingBenchmarks();
    quorvane::bench::registerMatrixLoadingBenchmarks();
    quorvane::bench::registerVariableProjectionBenchmarks();
    quorvane::bench::registerBatchRunBenchmarks();
    quorvane::bench::registerMinimumSearchBenchmarks();
    quorvane::bench::SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    quorvane::bench::printSummary(reporter);
    benchmark::Shutdown();
    return 0;
}
