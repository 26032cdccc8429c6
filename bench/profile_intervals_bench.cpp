// The profile intervals of the time constants for n = 3 on 40 traces of 300
// points (one axis), on one thread, after a variable-projection fit to
// convergence: the whole run, every side of every t_j with its refits.
// Target: at most 0.5 s.
#include <benchmark/benchmark.h>

#include "bench_problems.h"
#include "bench_summary.h"
#include "data/thread_pool.h"
#include "fit/profile_intervals.h"
#include "fit/variable_projection.h"

namespace quorvane::bench {

namespace {

void intervals(benchmark::State& state) {
    loadProblem({40, 300, 3});
    setParallelThreadCount(1);
    fitByVariableProjection(200, {});
    ProfileIntervals result;
    for (auto _ : state)
        result = computeProfileIntervals();
    if (!result.valid)
        state.SkipWithError(result.message.c_str());
    state.counters["profile_points"] = static_cast<double>(result.profilePoints);
    setParallelThreadCount(0);
}

const bool registered = [] {
    benchmark::RegisterBenchmark("profile_intervals/40x300_n3/threads:1", intervals)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
    return true;
}();

}  // namespace

}  // namespace quorvane::bench
