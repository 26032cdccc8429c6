// Collects the time of every benchmark run and prints, after the run, the
// table of the figures the project tracks (with their ratios and targets).
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>

namespace quorvane::bench {

// Benchmark names, shared by the registrations and the summary.
namespace names {
inline constexpr const char* kCapacityOneThread =
    "iteration/capacity_40x20000_n6_one_axis/threads:1";
inline constexpr const char* kCapacityAllThreads =
    "iteration/capacity_40x20000_n6_one_axis/threads:all";
inline constexpr const char* kAxisPerTraceOneThread =
    "iteration/capacity_40x20000_n6_axis_per_trace/threads:1";
inline constexpr const char* kAxisPerTraceAllThreads =
    "iteration/capacity_40x20000_n6_axis_per_trace/threads:all";
inline constexpr const char* kMidOneThread = "iteration/mid_10x2000_n3/threads:1";
inline constexpr const char* kMidAllThreads = "iteration/mid_10x2000_n3/threads:all";
inline constexpr const char* kMidDirect = "direct_iteration/mid_10x2000_n3";
inline constexpr const char* kOneExpl = "expl/one_call";
inline constexpr const char* kUnderflowingExpl = "expl/one_underflowing_call";
inline constexpr const char* kExplOnCapacity = "exponential/expl/capacity_arguments";
inline constexpr const char* kExtendedExpOnCapacity = "exponential/extendedExp/capacity_arguments";
inline constexpr const char* kPointBlocksOnCapacity =
    "exponential/extendedExpBlock_60/capacity_arguments";
inline constexpr const char* kLongBlocksOnCapacity =
    "exponential/extendedExpBlock_4096/capacity_arguments";
inline constexpr const char* kCapacityExponentials =
    "exponentials_only/capacity_40x20000_n6/threads:1";
inline constexpr const char* kCovarianceShort = "covariance_command/N286_40x500";
inline constexpr const char* kCovarianceCapacity = "covariance_command/N286_40x20000";
inline constexpr const char* kInversion = "invert_normal_matrix/N286";
inline constexpr const char* kLoadTrace = "load_trace/20000_lines";
inline constexpr const char* kLoadMatrix = "load_matrix/1000x1000_csv_to_40_bins";
inline constexpr const char* kProjectionOneThread =
    "varpro_iteration/capacity_40x20000_n6_one_axis/threads:1";
inline constexpr const char* kProjectionAllThreads =
    "varpro_iteration/capacity_40x20000_n6_one_axis/threads:all";
inline constexpr const char* kProjectionAxisPerTraceOneThread =
    "varpro_iteration/capacity_40x20000_n6_axis_per_trace/threads:1";
inline constexpr const char* kProjectionAxisPerTraceAllThreads =
    "varpro_iteration/capacity_40x20000_n6_axis_per_trace/threads:all";
inline constexpr const char* kBatchRunVerdict = "verdict/8x2000_n3";
inline constexpr const char* kPicosecondProjectionFit = "varpro_fit/picosecond_40x300_n3";
inline constexpr const char* kPicosecondClassicFit = "classic_fit_50/picosecond_40x300_n3";
inline constexpr const char* kBatchRun = "quorvane-fit/8x2000_n3/iterations:8";
inline constexpr const char* kBatchRunWithoutIterations = "quorvane-fit/8x2000_n3/iterations:0";
}  // namespace names

// Extra figures a benchmark reports besides its time (for instance the share
// of exponentials that underflow), printed in the summary.
void recordFigure(const std::string& name, double value);

class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& reports) override;
    // Seconds per iteration of each finished benchmark, by name.
    const std::map<std::string, double>& seconds() const { return seconds_; }

  private:
    std::map<std::string, double> seconds_;
};

void printSummary(const SummaryReporter& reporter);

}  // namespace quorvane::bench
