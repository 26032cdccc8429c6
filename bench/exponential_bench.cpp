// The cost of one exponential — glibc's expl, extendedExp one at a time and
// extendedExpBlock — on the arguments the capacity iteration really meets,
// and of all the exponentials of one capacity iteration formed as the passes
// form them.
#include <benchmark/benchmark.h>

#include <algorithm>
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

// Calls take(argument) for every exponential one iteration forms at the
// points i = 1, 1 + stride, ... of every curve of the loaded problem: per
// point E_m = exp(-x*w[m]), D_m = exp(k[m] - x*w[m]), the pairs
// exp(-x*(w[l] + w[j])), the rate block's exp((k[m] + k[l]) - x*(w[m] + w[l]))
// and the trial model's exp(-x*w'[m]) (here w' = w): 60 for n = 6.
template <class Take>
void forEachCapacityArgument(int stride, Take take) {
    const int n = workspace.componentCount;
    long double k[kMaxComponents + 1];
    long double w[kMaxComponents + 1];
    for (int m = 1; m <= n; ++m) {
        k[m] = workspace.ParameterVector[rateIndex(m)];
        w[m] = extendedExp(k[m]);
    }
    for (int c = 1; c <= workspace.curveCount; ++c) {
        for (int i = 1; i <= workspace.pointCount[c]; i += stride) {
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
}

// The arguments of every 64th point at capacity (750 000 of them), in the
// order the passes meet them.
const std::vector<long double>& capacityArguments() {
    static const std::vector<long double> arguments = [] {
        loadProblem(kCapacity);
        std::vector<long double> collected;
        forEachCapacityArgument(64, [&](long double argument) { collected.push_back(argument); });
        const auto underflowing =
            std::count_if(collected.begin(), collected.end(),
                          [](long double a) { return a < kCertainUnderflowBound; });
        recordFigure("capacity_argument_count", static_cast<double>(collected.size()));
        recordFigure("underflow_share", static_cast<double>(underflowing) / collected.size());
        return collected;
    }();
    return arguments;
}

template <class Evaluate>
void registerOnCapacityArguments(const char* name, Evaluate evaluate) {
    benchmark::RegisterBenchmark(name,
                                 [evaluate](benchmark::State& state) {
                                     const std::vector<long double>& arguments =
                                         capacityArguments();
                                     std::vector<long double> results(arguments.size());
                                     for (auto _ : state) {
                                         evaluate(arguments, results);
                                         benchmark::DoNotOptimize(results.data());
                                     }
                                 })
        ->Iterations(5)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

void inBlocksOf(std::size_t length, const std::vector<long double>& arguments,
                std::vector<long double>& results) {
    for (std::size_t start = 0; start < arguments.size(); start += length) {
        const auto count = static_cast<int>(std::min(length, arguments.size() - start));
        extendedExpBlock(arguments.data() + start, results.data() + start, count);
    }
}

}  // namespace

void registerExponentialBenchmarks() {
    benchmark::RegisterBenchmark(names::kOneExpl,
                                 [](benchmark::State& state) { measureExpl(state, -40.0L, 0.0L); });
    benchmark::RegisterBenchmark(names::kUnderflowingExpl, [](benchmark::State& state) {
        measureExpl(state, -20000.0L, -11500.0L);
    });
    registerOnCapacityArguments(names::kExplOnCapacity, [](const auto& arguments, auto& results) {
        for (std::size_t i = 0; i < arguments.size(); ++i)
            results[i] = expl(arguments[i]);
    });
    registerOnCapacityArguments(names::kExtendedExpOnCapacity,
                                [](const auto& arguments, auto& results) {
                                    for (std::size_t i = 0; i < arguments.size(); ++i)
                                        results[i] = extendedExp(arguments[i]);
                                });
    registerOnCapacityArguments(
        names::kPointBlocksOnCapacity,
        [](const auto& arguments, auto& results) { inBlocksOf(60, arguments, results); });
    registerOnCapacityArguments(
        names::kLongBlocksOnCapacity,
        [](const auto& arguments, auto& results) { inBlocksOf(4096, arguments, results); });
    benchmark::RegisterBenchmark(names::kCapacityExponentials,
                                 [](benchmark::State& state) {
                                     loadProblem(kCapacity);
                                     for (auto _ : state) {
                                         long double sum = 0.0L;
                                         forEachCapacityArgument(1, [&](long double argument) {
                                             sum = sum + extendedExp(argument);
                                         });
                                         benchmark::DoNotOptimize(sum);
                                     }
                                 })
        ->Iterations(2)
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

}  // namespace quorvane::bench
