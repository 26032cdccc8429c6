// Loading one trace file of 20000 lines into the workspace.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench_problems.h"
#include "bench_registry.h"
#include "bench_summary.h"
#include "data/error.h"
#include "data/number_text.h"
#include "data/trace_reader.h"
#include "data/workspace.h"

namespace quorvane::bench {

void registerTraceLoadingBenchmarks() {
    benchmark::RegisterBenchmark(names::kLoadTrace, [](benchmark::State& state) {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvane-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            state.SkipWithError("no temporary folder");
            return;
        }
        const std::string path = writeTraceFile(pattern, kMaxPoints);
        std::memset(static_cast<void*>(&workspace), 0, sizeof workspace);
        setDecimalSeparator('.');
        try {
            for (auto _ : state) {
                workspace.curveCount = 0;
                benchmark::DoNotOptimize(loadTraceFile(path));
            }
        } catch (const QuorvaneError& error) {
            state.SkipWithError(error.what());
        }
        std::filesystem::remove_all(pattern);
    })->Unit(benchmark::kMillisecond);
}

}  // namespace quorvane::bench
