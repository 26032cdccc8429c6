// Registration of the benchmark groups, in the order they run.
#pragma once

namespace quorvane::bench {

void registerFitIterationBenchmarks();
void registerExponentialBenchmarks();
void registerCovarianceBenchmarks();
void registerTraceLoadingBenchmarks();
void registerMatrixLoadingBenchmarks();
void registerVariableProjectionBenchmarks();
void registerBatchRunBenchmarks();
void registerMinimumSearchBenchmarks();

}  // namespace quorvane::bench
