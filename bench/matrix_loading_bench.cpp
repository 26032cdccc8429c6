// Reading a measurement of 1000 wavelengths x 1000 times (a CSV of about
// 10 MB, wavelengths across), binning it into 40 traces and loading them,
// so that the workspace is ready to fit: the whole path of File > Open for a
// matrix file without its dialog. One core (the reader uses no threads).
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

#include "bench_registry.h"
#include "bench_summary.h"
#include "data/error.h"
#include "data/loaded_measurement.h"
#include "data/matrix_file.h"
#include "data/matrix_orientation.h"
#include "data/number_text.h"
#include "data/time_axes.h"
#include "data/trace_choice.h"
#include "data/workspace.h"

namespace quorvane::bench {

namespace {

constexpr int kWavelengths = 1000;
constexpr int kTimes = 1000;

// Wavelengths 350.0, 350.4, ... nm; delays from -1 ps on, spaced more widely
// later; two decaying bands and a little deterministic ripple, 6 significant
// digits as instrument software writes them.
std::string writeMatrixFile(const std::string& folder) {
    const std::string path = folder + "/measurement.csv";
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        return path;
    std::fprintf(file, "time/wavelength");
    for (int w = 0; w < kWavelengths; ++w)
        std::fprintf(file, ",%.1f", 350.0 + 0.4 * w);
    std::fprintf(file, "\n");
    for (int t = 0; t < kTimes; ++t) {
        const double time = -1.0 + 0.01 * t + 1e-4 * t * t;
        std::fprintf(file, "%.6g", time);
        for (int w = 0; w < kWavelengths; ++w) {
            const double wavelength = 350.0 + 0.4 * w;
            const double band1 = std::exp(-std::pow((wavelength - 450) / 40, 2));
            const double band2 = std::exp(-std::pow((wavelength - 600) / 60, 2));
            const double decay = time < 0 ? 0 : 1;
            const double value =
                decay * (0.02 * band1 * std::exp(-time / 5) - 0.01 * band2 * std::exp(-time / 50)) +
                1e-4 * std::sin(0.7 * t + 1.3 * w);
            std::fprintf(file, ",%.6g", value);
        }
        std::fprintf(file, "\n");
    }
    std::fclose(file);
    return path;
}

}  // namespace

void registerMatrixLoadingBenchmarks() {
    benchmark::RegisterBenchmark(names::kLoadMatrix, [](benchmark::State& state) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvane-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            state.SkipWithError("no temporary folder");
            return;
        }
        const std::string path = writeMatrixFile(pattern);
        std::memset(static_cast<void*>(&workspace), 0, sizeof workspace);
        setDecimalSeparator('.');
        try {
            for (auto _ : state) {
                workspace.curveCount = 0;
                Measurement measurement = orientMatrix(*readMatrixFile(path), Orientation::Auto);
                const TracePlan plan = planTraces(measurement, TraceChoice{}, roomInWorkspace());
                benchmark::DoNotOptimize(loadMatrixTraces(std::move(measurement), plan));
                benchmark::DoNotOptimize(timeAxes().axisCount);
            }
            state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
            state.counters["traces"] = workspace.curveCount;
        } catch (const QuorvaneError& error) {
            state.SkipWithError(error.what());
        }
        clearLoadedMeasurement();
        std::filesystem::remove_all(pattern);
    })->Unit(benchmark::kMillisecond);
}

}  // namespace quorvane::bench
