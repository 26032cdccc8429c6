// The cost of one expl, and of the exponentials one iteration at capacity
// cannot avoid, formed exactly as the build and the trial sum form them.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "bench_problems.h"
#include "bench_registry.h"
#include "bench_summary.h"
#include "data/extended_exp.h"
#include "data/workspace.h"

namespace quorvane::bench {

namespace {

std::vector<long double> evenlySpread(long double from, long double to, int count) {
    std::vector<long double> values(count);
    for (int i = 0; i < count; ++i)
        values[i] = from + (to - from) * i / (count - 1);
    return values;
}

void measureExpl(benchmark::State& state, long double from, long double to) {
    const std::vector<long double> arguments = evenlySpread(from, to, 4096);
    long double sum = 0.0L;
    std::size_t i = 0;
    for (auto _ : state) {
        sum = sum + expl(arguments[i]);
        i = (i + 1) & 4095;
    }
    benchmark::DoNotOptimize(sum);
}

// Per point: E_m = exp(-x*w[m]), D_m = exp(k[m] - x*w[m]), the pairs
// exp(-x*(w[l] + w[j])), the rate block's exp((k[m] + k[l]) - x*(w[m] + w[l]))
// and the trial model's exp(-x*w'[m]) (here w' = w), summed into one value so
// that none can be left out. The counting form (not timed) also counts the
// arguments below the shortcut.
template <bool kCounting>
long double capacityExponentials(long long& underflowing, long long& total) {
    const int n = workspace.componentCount;
    const int s = (n + 1) * workspace.curveCount;
    long double k[kMaxComponents + 1];
    long double w[kMaxComponents + 1];
    for (int m = 1; m <= n; ++m) {
        k[m] = workspace.ParameterVector[s + m];
        w[m] = expl(k[m]);
    }
    long double sum = 0.0L;
    auto take = [&](long double argument) {
        if constexpr (kCounting) {
            ++total;
            if (argument < kCertainUnderflowBound)
                ++underflowing;
        }
        sum = sum + extendedExp(argument);
    };
    for (int c = 1; c <= workspace.curveCount; ++c) {
        for (int i = 1; i <= workspace.pointCount[c]; ++i) {
            const long double x = workspace.curves[c].times[i];
            for (int m = 1; m <= n; ++m) {
                take(-x * w[m]);
                take(k[m] - x * w[m]);
                take(-x * w[m]);
                for (int l = 1; l <= m; ++l) {
                    take(-x * (w[l] + w[m]));
                    take((k[m] + k[l]) - x * (w[m] + w[l]));
                }
            }
        }
    }
    return sum;
}

}  // namespace

void registerExponentialBenchmarks() {
    benchmark::RegisterBenchmark(names::kOneExpl,
                                 [](benchmark::State& state) { measureExpl(state, -40.0L, 0.0L); });
    benchmark::RegisterBenchmark(names::kUnderflowingExpl, [](benchmark::State& state) {
        measureExpl(state, -20000.0L, -11500.0L);
    });
    benchmark::RegisterBenchmark(
        names::kCapacityExponentials,
        [](benchmark::State& state) {
            loadProblem(kCapacity);
            long long underflowing = 0;
            long long total = 0;
            capacityExponentials<true>(underflowing, total);
            for (auto _ : state)
                benchmark::DoNotOptimize(capacityExponentials<false>(underflowing, total));
            if (total > 0) {
                recordFigure("underflow_share", static_cast<double>(underflowing) / total);
                recordFigure("expl_calls_per_iteration", static_cast<double>(total - underflowing));
            }
        })
        ->Iterations(2)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

}  // namespace quorvane::bench
