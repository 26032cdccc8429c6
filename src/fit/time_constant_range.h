// The time constants that the loaded data can show, for the variable
// projection method: where a start may lie and where a trial may go.
//
// From the times of every loaded curve: the shortest step h, the smallest
// positive |x_{i+1} - x_i| between neighbouring points in file order, and the
// longest time T, the largest time. A decay much faster than h has vanished
// before the second point it could be seen at, one much slower than T is a
// constant over the data; either gives the projection's basis a column
// without information.
//   - Starts lie in [h, T]: a typed time constant outside is moved to the
//     nearer end (log-rate -ln h or -ln T), and the verdict says so.
//   - Trials lie in [h / 1000, 1000 T]: a wider box, so that a fit may end a
//     little beyond the data's range; a start outside it (none after the
//     move above, but a caller may pass any) widens that side to the start.
// The box is in log-rates k = -ln t: k in [-ln(1000 T), -ln(h / 1000)].
// Without two distinct times or a positive time there is no range and
// nothing is moved or bounded.
#pragma once

#include <string>

#include "data/workspace.h"

namespace quorvane {

inline constexpr long double kTrialRangeFactor = 1000.0L;

struct TimeConstantRange {
    bool known = false;
    long double shortestStep = 0.0L;
    long double longestTime = 0.0L;
};

// From the workspace's curveCount curves.
TimeConstantRange dataTimeConstantRange();

// Log-rate bounds of components 1..n (index 0 unused).
struct LogRateBounds {
    bool known = false;
    long double lowest[kMaxComponents + 1] = {};
    long double highest[kMaxComponents + 1] = {};

    // Every x[j - 1] (0-based, n entries) within [lowest[j], highest[j]].
    bool holds(const long double* x, int n) const;
};

// Moves logRates[1..n] into [h, T] as above; returns the note for the
// verdict ("" when nothing moved): which boxes, from what to what, and the
// range.
std::string moveStartIntoRange(const TimeConstantRange& range, int n, long double* logRates);

// The trials' box around the start logRates[1..n].
LogRateBounds trialLogRateBounds(const TimeConstantRange& range, int n,
                                 const long double* logRates);

}  // namespace quorvane
