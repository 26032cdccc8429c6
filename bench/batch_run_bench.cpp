// A whole quorvane-fit run on a small problem, as a separate process: 8
// traces of 2000 points on one axis, 3 components, 8 iterations, and the
// same run without iterations (start-up, reading, the final report with its
// Var-Cov block: everything outside the iterations).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_problems.h"
#include "bench_registry.h"
#include "bench_summary.h"

namespace quorvane::bench {

namespace {

// Runs the command with its output to /dev/null; true when it exits with 0.
bool runQuietly(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const bool spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned && waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

void registerRun(const char* name, const char* iterations) {
    benchmark::RegisterBenchmark(
        name,
        [iterations](benchmark::State& state) {
            std::string folder =
                (std::filesystem::temp_directory_path() / "quorvane-bench-XXXXXX").string();
            if (mkdtemp(folder.data()) == nullptr) {
                state.SkipWithError("no temporary folder");
                return;
            }
            std::vector<std::string> arguments = {QUORVANE_FIT_PATH, "-n", "3", "-i", iterations};
            for (const std::string& path : writeTraceFiles(
                     folder, kBatchRunSize.curves, kBatchRunSize.points, kBatchRunSize.components))
                arguments.push_back(path);
            for (auto _ : state) {
                if (!runQuietly(arguments)) {
                    state.SkipWithError("quorvane-fit failed");
                    break;
                }
            }
            std::filesystem::remove_all(folder);
        })
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
}

}  // namespace

void registerBatchRunBenchmarks() {
    registerRun(names::kBatchRun, "8");
    registerRun(names::kBatchRunWithoutIterations, "0");
}

}  // namespace quorvane::bench
