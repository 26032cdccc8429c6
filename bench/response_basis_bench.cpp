// The cost of the instrument response: one erfc and one erfcx beside one
// extendedExp (one at a time, on arguments where the response basis meets
// them), and one point of a response column (value alone, and with its
// three derivatives) on a picosecond axis: -1..1000 ps, a rise of FWHM
// 0.12 ps at 0.4 ps, time constants 0.3 to 500 ps. Each reports ns_per_call
// (CPU time per evaluation). Registered at start-up, so they run first.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "data/extended_erfc.h"
#include "data/extended_exp.h"
#include "fit/response_basis.h"

namespace quorvane::bench {

namespace {

constexpr int kArguments = 4096;

std::vector<long double> evenlySpread(long double from, long double to, int count) {
    std::vector<long double> values(count);
    for (int i = 0; i < count; ++i)
        values[i] = from + (to - from) * i / (count - 1);
    return values;
}

void perCall(benchmark::State& state, long double (*function)(long double), long double from,
             long double to) {
    const std::vector<long double> arguments = evenlySpread(from, to, kArguments);
    long double sum = 0.0L;
    for (auto _ : state) {
        for (const long double argument : arguments)
            sum = sum + function(argument);
    }
    benchmark::DoNotOptimize(sum);
    state.counters["ns_per_call"] = benchmark::Counter(
        kArguments, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// 2000 times: 200 across the rise (-1..2 ps), the rest logarithmic to 1000 ps.
std::vector<double> picosecondAxis() {
    std::vector<double> times;
    for (int i = 0; i < 200; ++i)
        times.push_back(-1.0 + 3.0 * i / 200);
    for (int i = 0; i < 1800; ++i)
        times.push_back(2.0 * std::pow(500.0, i / 1799.0));
    return times;
}

void responseColumnPoint(benchmark::State& state, bool derivatives) {
    const std::vector<double> times = picosecondAxis();
    const int count = static_cast<int>(times.size());
    const GaussianResponse response{0.4L, 0.12L / kFwhmPerWidth};
    const long double rates[] = {1.0L / 0.3L, 1.0L / 5.0L, 1.0L / 500.0L};
    std::vector<long double> value(count), dLogRate(count), dCentre(count), dWidth(count);
    const ResponseColumns columns =
        derivatives ? ResponseColumns{value.data(), dLogRate.data(), dCentre.data(), dWidth.data()}
                    : ResponseColumns{value.data()};
    for (auto _ : state) {
        for (const long double rate : rates)
            benchmark::DoNotOptimize(responseColumn(rate, response, times.data(), count, columns));
    }
    state.counters["ns_per_call"] = benchmark::Counter(
        3.0 * count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

long double exponential(long double x) {
    return extendedExp(x);
}
long double complement(long double x) {
    return extendedErfc(x);
}
long double scaledComplement(long double x) {
    return extendedErfcx(x);
}

const bool registered = [] {
    benchmark::RegisterBenchmark("response/extendedExp_-40..0", perCall, exponential, -40.0L, 0.0L);
    benchmark::RegisterBenchmark("response/extendedErfc_-7..16", perCall, complement, -7.0L, 16.0L);
    benchmark::RegisterBenchmark("response/extendedErfcx_0..16", perCall, scaledComplement, 0.0L,
                                 16.0L);
    benchmark::RegisterBenchmark("response/extendedErfcx_16..1e4", perCall, scaledComplement, 16.0L,
                                 1e4L);
    benchmark::RegisterBenchmark("response/extendedErfcx_-7..0", perCall, scaledComplement, -7.0L,
                                 0.0L);
    benchmark::RegisterBenchmark("response/column_point_value", responseColumnPoint, false);
    benchmark::RegisterBenchmark("response/column_point_with_derivatives", responseColumnPoint,
                                 true);
    return true;
}();

}  // namespace

}  // namespace quorvane::bench
