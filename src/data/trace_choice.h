// Choosing the traces that a measurement gives the workspace, and the plan of
// a choice, formed and shown before anything is loaded.
//
// A choice, applied in this order:
//   1. the time window: the times within [from, to] (both ends included);
//      for a monotonic time axis they are one run of rows;
//   2. the wavelength range: the columns within [from, to];
//   3. the excluded bands: columns within any of them are dropped;
//   4. the grouping of the remaining columns (in the file's order) into traces:
//      - All: one trace per column;
//      - EveryKth: columns 1, 1 + k, 1 + 2k, ... of the remaining ones;
//      - BinWidth w: bin b holds the columns with lo + b*w <= wavelength <
//        lo + (b+1)*w, lo the smallest remaining wavelength;
//      - BinCount n: n bins of equal width between the smallest (lo) and the
//        largest (hi) remaining wavelength, bin b = floor((wavelength - lo) /
//        (hi - lo) * n), the largest wavelength in the last bin;
//      - Automatic: All when the remaining columns fit into the room left in
//        the workspace (40 - curveCount), otherwise BinCount with as many bins
//        as there is room for.
//      An empty bin (an excluded band, a gap in the axis) gives no trace, so a
//      choice of n bins may give fewer than n traces. The bins follow the
//      direction of the wavelength axis in the file.
// A range may be given in either order (700..400 is 400..700).
//
// A trace's values are the mean of its columns at every kept time, and its
// wavelength the mean of its columns' wavelengths: each sum in extended
// precision in the columns' file order, divided by the count, rounded to
// double (a trace of one column holds that column's values exactly).
//
// planTraces refuses, naming the file: a time window that keeps no time,
// more than 20000 times after the window, a choice that leaves no trace, and
// one that makes more traces than the workspace has room for; and choices
// that are no choices (k < 1, a bin width that is not a finite number > 0, a
// bin count < 1, a range end that is NaN). An infinite end leaves a range
// open on that side.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "data/measurement.h"

namespace quorvane {

struct ValueRange {
    double from = 0;
    double to = 0;
};

enum class TraceGrouping { Automatic, All, EveryKth, BinWidth, BinCount };

struct TraceChoice {
    std::optional<ValueRange> times;
    std::optional<ValueRange> wavelengths;
    std::vector<ValueRange> excluded;
    TraceGrouping grouping = TraceGrouping::Automatic;
    int every = 1;        // EveryKth
    double binWidth = 0;  // BinWidth, in the measurement's wavelength unit
    int binCount = 0;     // BinCount
};

struct PlannedTrace {
    double wavelength = 0;
    std::vector<std::size_t> columns;  // 0-based columns of the measurement, in file order
};

struct TracePlan {
    TraceGrouping grouping = TraceGrouping::All;  // as applied: never Automatic
    int binCount = 0;                             // BinCount: the bins asked for
    std::size_t firstTime = 0;                    // the first kept row of the measurement
    std::size_t timeCount = 0;                    // kept rows: the points of every trace
    std::size_t columnCount = 0;                  // columns left by the range and the bands
    int room = 0;                                 // traces the workspace had room for
    std::vector<PlannedTrace> traces;
};

// Traces that can still be loaded: 40 - curveCount.
int roomInWorkspace();

// Throws QuorvaneError for the refusals above.
TracePlan planTraces(const Measurement& measurement, const TraceChoice& choice, int room);

// The values of planned trace `trace` (0-based) at the kept times, written to
// out[0 .. plan.timeCount).
void traceValues(const Measurement& measurement, const TracePlan& plan, std::size_t trace,
                 double* out);

}  // namespace quorvane
