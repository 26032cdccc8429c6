#include "fit/time_constant_range.h"

#include <cmath>

#include "data/floating_point.h"
#include "data/number_format.h"

namespace quorvane {

TimeConstantRange dataTimeConstantRange() {
    TimeConstantRange range;
    bool haveStep = false;
    bool haveTime = false;
    for (int c = 1; c <= workspace.curveCount; ++c) {
        const double* times = workspace.curves[c].times;
        const int points = workspace.pointCount[c];
        for (int i = 1; i <= points; ++i) {
            const long double time = times[i];
            if (!haveTime || time > range.longestTime)
                range.longestTime = time;
            haveTime = true;
            if (i == 1)
                continue;
            const long double step = fabsl(time - static_cast<long double>(times[i - 1]));
            if (step > 0.0L && (!haveStep || step < range.shortestStep)) {
                range.shortestStep = step;
                haveStep = true;
            }
        }
    }
    range.known = haveStep && haveTime && range.longestTime > 0.0L &&
                  std::isfinite(range.shortestStep) && std::isfinite(range.longestTime);
    return range;
}

bool LogRateBounds::holds(const long double* x, int n) const {
    if (!known)
        return true;
    for (int j = 1; j <= n; ++j)
        if (!(x[j - 1] >= lowest[j] && x[j - 1] <= highest[j]))
            return false;
    return true;
}

std::string moveStartIntoRange(const TimeConstantRange& range, int n, long double* logRates) {
    if (!range.known)
        return "";
    // k = -ln t: the shortest step is the highest log-rate.
    const long double highest = -logl(range.shortestStep);
    const long double lowest = -logl(range.longestTime);
    std::string moves;
    for (int j = 1; j <= n; ++j) {
        const long double typed = logRates[j];
        if (typed > highest)
            logRates[j] = highest;
        else if (typed < lowest)
            logRates[j] = lowest;
        else
            continue;
        moves += (moves.empty() ? " t" : ", t") + std::to_string(j) + " from " +
                 formatExponent6(expl(-typed)) + " to " + formatExponent6(expl(-logRates[j]));
    }
    clearFloatingPointFaults();
    if (moves.empty())
        return "";
    return "; started within the data's times (shortest step " +
           formatExponent6(range.shortestStep) + ", longest time " +
           formatExponent6(range.longestTime) + "):" + moves;
}

LogRateBounds trialLogRateBounds(const TimeConstantRange& range, int n,
                                 const long double* logRates) {
    LogRateBounds bounds;
    if (!range.known)
        return bounds;
    bounds.known = true;
    const long double highest = -logl(range.shortestStep / kTrialRangeFactor);
    const long double lowest = -logl(range.longestTime * kTrialRangeFactor);
    for (int j = 1; j <= n; ++j) {
        bounds.lowest[j] = fminl(lowest, logRates[j]);
        bounds.highest[j] = fmaxl(highest, logRates[j]);
    }
    clearFloatingPointFaults();
    return bounds;
}

}  // namespace quorvane
