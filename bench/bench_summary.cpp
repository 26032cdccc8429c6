#include "bench_summary.h"

#include <cstdio>
#include <thread>

#include "bench_problems.h"
#include "data/exp_paths.h"
#include "data/thread_pool.h"

namespace quorvane::bench {

namespace {

std::map<std::string, double>& figures() {
    static std::map<std::string, double> values;
    return values;
}

// Exponentials one iteration evaluates per stored point when every curve
// forms its own, with n components: E_m and D_m (n each), the pair
// exponentials of the amplitude block and the summed-argument exponentials
// of the rate block (n(n+1)/2 each), and the trial model's n: 60 for n = 6.
int exponentialsPerPoint(int n) {
    return n + n + n * (n + 1) / 2 + n * (n + 1) / 2 + n;
}

double storedPoints(const ProblemSize& size) {
    return static_cast<double>(size.curves) * size.points;
}

class Table {
  public:
    explicit Table(const std::map<std::string, double>& seconds) : seconds_(seconds) {}

    bool has(const char* name) const { return seconds_.count(name) != 0; }
    double at(const char* name) const { return has(name) ? seconds_.at(name) : 0.0; }

    void time(const char* label, const char* name, double scale = 1.0,
              const char* unit = "s") const {
        if (has(name))
            std::printf(scale == 1.0 ? "    %-46s %12.4f %s\n" : "    %-46s %12.1f %s\n", label,
                        at(name) * scale, unit);
        else
            std::printf("    %-46s %12s\n", label, "(not run)");
    }

    // numerator / denominator with a target note, when both ran.
    void ratio(const char* label, const char* numerator, const char* denominator,
               const char* target) const {
        if (!has(numerator) || !has(denominator) || at(denominator) <= 0.0)
            return;
        std::printf("    %-46s %12.2f x   %s\n", label, at(numerator) / at(denominator), target);
    }

  private:
    const std::map<std::string, double>& seconds_;
};

const char* widestExponentialPathName() {
    if (exponentialPathAvailable(ExponentialPath::avx512))
        return "AVX-512";
    if (exponentialPathAvailable(ExponentialPath::avx2))
        return "AVX2";
    return "scalar";
}

}  // namespace

void recordFigure(const std::string& name, double value) {
    figures()[name] = value;
}

void SummaryReporter::ReportRuns(const std::vector<Run>& reports) {
    ConsoleReporter::ReportRuns(reports);
    for (const Run& run : reports) {
        if (run.error_occurred || run.iterations == 0)
            continue;
        seconds_[run.run_name.function_name] =
            run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
    }
}

void printSummary(const SummaryReporter& reporter) {
    const Table table(reporter.seconds());
    namespace n = names;
    std::printf(
        "\nQuorvane performance summary: %u cores (std::thread::hardware_concurrency), "
        "all threads = %d\n",
        std::thread::hardware_concurrency(), defaultParallelThreadCount());

    // The unit of the capacity figures: one glibc expl, on the arguments the
    // capacity iteration meets, per exponential of every stored point, as if
    // every curve formed its own (the floor of (5)).
    const int perPoint = exponentialsPerPoint(kCapacity.components);
    const double arguments =
        figures().count("capacity_argument_count") ? figures()["capacity_argument_count"] : 0.0;
    const double floor =
        table.has(n::kExplOnCapacity) && arguments > 0.0
            ? table.at(n::kExplOnCapacity) / arguments * perPoint * storedPoints(kCapacity)
            : 0.0;
    auto capacity = [&](const char* title, const char* oneThread, const char* allThreads,
                        const char* target) {
        std::printf("%s\n", title);
        table.time("1 thread", oneThread);
        table.time("all threads", allThreads);
        table.ratio("speed-up, all threads over 1", oneThread, allThreads, "(target >= 1.8)");
        if (table.has(oneThread) && floor > 0.0)
            std::printf("    %-46s %12.3f x   %s\n", "1 thread over the floor of (5)",
                        table.at(oneThread) / floor, target);
    };
    capacity(
        "(1) one iteration (build + gradient + solve + both sums), 40 x 20000, n = 6,\n"
        "    every trace on one time axis",
        n::kCapacityOneThread, n::kCapacityAllThreads, "(target <= 0.12)");
    capacity("(1b) the same with every trace on an axis of its own (times shifted per trace)",
             n::kAxisPerTraceOneThread, n::kAxisPerTraceAllThreads,
             "(target: no slower than each curve forming its own)");

    std::printf("(2) one iteration, 10 x 2000, n = 3 (one axis)\n");
    table.time("1 thread", n::kMidOneThread);
    table.time("all threads", n::kMidAllThreads);
    table.ratio("speed-up, all threads over 1", n::kMidOneThread, n::kMidAllThreads, "");

    std::printf("(3) literal direct evaluation of that iteration, 10 x 2000, n = 3\n");
    table.time("direct evaluation (1 thread)", n::kMidDirect);
    table.ratio("direct over (2), all threads", n::kMidDirect, n::kMidAllThreads, "(target >= 15)");
    table.ratio("direct over (2), 1 thread", n::kMidDirect, n::kMidOneThread, "");

    std::printf("(4) one exponential, on the arguments of (1) at every 64th point\n");
    {
        const auto perCall = [&](const char* label, const char* name) {
            if (!table.has(name) || arguments == 0.0)
                return;
            std::printf("    %-46s %12.1f ns", label, table.at(name) / arguments * 1e9);
            if (table.has(n::kExplOnCapacity) && name != n::kExplOnCapacity)
                std::printf("   (%.2f x expl)", table.at(name) / table.at(n::kExplOnCapacity));
            std::printf("\n");
        };
        perCall("glibc expl", n::kExplOnCapacity);
        perCall("extendedExp, one at a time", n::kExtendedExpOnCapacity);
        std::printf("    extendedExpBlock on the %s path:\n", widestExponentialPathName());
        perCall("  in blocks of 60 (one point's)", n::kPointBlocksOnCapacity);
        perCall("  in blocks of 4096", n::kLongBlocksOnCapacity);
        if (figures().count("underflow_share"))
            std::printf("    %-46s %12.1f %%\n", "share below -11400 (+0 at once)",
                        100.0 * figures()["underflow_share"]);
        table.time("one expl, arguments evenly in -40..0", n::kOneExpl, 1e9, "ns");
        table.time("one expl whose result underflows to 0", n::kUnderflowingExpl, 1e9, "ns");

        std::printf("(5) the floor of (1): %d glibc expl calls per stored point\n", perPoint);
        if (floor > 0.0)
            std::printf("    %-46s %12.4f s\n", "floor", floor);
        table.time("the exponentials of (1) alone, extendedExp", n::kCapacityExponentials);
        table.ratio("(1) 1 thread over them", n::kCapacityOneThread, n::kCapacityExponentials, "");
    }

    std::printf("(6) variance-covariance command (lambda 0, build, invert) at N' = 286\n");
    table.time("40 x 500 points", n::kCovarianceShort);
    table.time("40 x 20000 points (the build dominates)", n::kCovarianceCapacity);
    table.time("invertNormalMatrix(286) alone", n::kInversion);
    std::printf("    (target < 0.5 s)\n");

    std::printf("(7) loading one 20000-line trace file\n");
    table.time("loadTraceFile", n::kLoadTrace);
    std::printf("    (target < 0.02 s)\n");

    std::printf("(7b) a 1000 x 1000 matrix file (10 MB): read, 40 bins, loaded\n");
    table.time("read, plan and load", n::kLoadMatrix);
    std::printf("    (target <= 0.3 s)\n");

    std::printf("(8) variable projection: one iteration, 40 x 20000, n = 6, one axis\n");
    table.time("1 thread", n::kProjectionOneThread);
    table.time("all threads", n::kProjectionAllThreads);
    table.ratio("speed-up, all threads over 1", n::kProjectionOneThread, n::kProjectionAllThreads,
                "");
    table.ratio("it over one designed iteration (1), 1 thread", n::kProjectionOneThread,
                n::kCapacityOneThread, "");
    table.ratio("the same, all threads", n::kProjectionAllThreads, n::kCapacityAllThreads, "");
    std::printf("(8b) the same with every trace on an axis of its own\n");
    table.time("1 thread", n::kProjectionAxisPerTraceOneThread);
    table.time("all threads", n::kProjectionAxisPerTraceAllThreads);
    table.ratio("speed-up, all threads over 1", n::kProjectionAxisPerTraceOneThread,
                n::kProjectionAxisPerTraceAllThreads, "");
    table.ratio("it over one designed iteration (1b), 1 thread",
                n::kProjectionAxisPerTraceOneThread, n::kAxisPerTraceOneThread, "");

    std::printf("(9) examples/picosecond, 3 components from 2, 20, 50\n");
    table.time("variable projection to the minimum", n::kPicosecondProjectionFit);
    if (figures().count("varpro_fit_iterations"))
        std::printf("    %-46s %12.0f\n", "its iterations", figures()["varpro_fit_iterations"]);
    table.time("classic, 50 iterations (not at the minimum)", n::kPicosecondClassicFit);

    std::printf(
        "(10) a whole quorvane-fit run, 8 x 2000 on one axis, n = 3 (a separate process)\n");
    table.time("8 iterations", n::kBatchRun, 1e3, "ms");
    table.time("no iteration: all outside the iterations", n::kBatchRunWithoutIterations, 1e3,
               "ms");
    table.time("the verdict after it (all threads)", n::kBatchRunVerdict, 1e3, "ms");
}

}  // namespace quorvane::bench
