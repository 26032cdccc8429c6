// Synthetic global-fit problems for the benchmarks, shaped like real data:
// times spaced evenly on a logarithmic axis from 1e-7 to 1 (the same times
// for every trace, or shifted per trace as after a chirp correction), sums of decays
// with time constants spread from 5e-6 to 2e-2 plus a little noise, and start
// parameters near (not at) the values the data were made with.
#pragma once

#include <string>
#include <vector>

namespace quorvane::bench {

struct ProblemSize {
    int curves;
    int points;      // per curve
    int components;  // 1..6
    // Trace c's times are the common axis plus (c-1) times this: 0 puts
    // every trace on one axis, anything else each on an axis of its own.
    double timeShiftPerTrace = 0.0;
};

inline constexpr ProblemSize kCapacity{40, 20000, 6};
inline constexpr ProblemSize kCapacityAxisPerTrace{40, 20000, 6, 1e-10};
inline constexpr ProblemSize kMidSize{10, 2000, 3};
// The traces of the whole quorvane-fit run measured by batch_run_bench.cpp.
inline constexpr ProblemSize kBatchRunSize{8, 2000, 3};
// The covariance command at N' = (6+1)*40 + 6 = 286 with short traces, so
// that the build does not hide the inversion.
inline constexpr ProblemSize kCovarianceShort{40, 500, 6};

// Zero-fills the workspace and loads a problem of `size`: the curves (the
// change announced as the reader does),
// componentCount, layoutComponentCount, ParameterVector[1..(n+1)C+9], lambda
// 0.001 and fitCount 1.
void loadProblem(const ProblemSize& size);

// Writes a trace file of `points` lines ("time signal") and returns its path.
std::string writeTraceFile(const std::string& folder, int points);

// Writes `traces` trace files of `points` lines on one time axis, decays of
// the first `components` time constants, named by wavelength 400, 420, ...
// ("400.txt"); returns their paths.
std::vector<std::string> writeTraceFiles(const std::string& folder, int traces, int points,
                                         int components);

}  // namespace quorvane::bench
