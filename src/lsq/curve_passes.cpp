#include "lsq/curve_passes.h"

#include <cfenv>

#include "data/thread_pool.h"
#include "data/workspace.h"
#include "lsq/build_results.h"
#include "lsq/system_capacity.h"

namespace quorvane {

namespace {

// Written by each curve's pass on whichever thread runs it, read by the
// callers after all passes have ended. Static like the workspace.
CurveSubtotals curveSubtotals[kMaxCurves + 1];

}  // namespace

FloatingPointFaults runCurvePasses(const RateTable& table, unsigned parts, bool recordInputs) {
    auto pass = [&table, parts, recordInputs](int curve) {
        if (recordInputs)
            recordCurveInputs(curve);
        accumulateCurveSubtotals(curve, table, parts, curveSubtotals[curve]);
    };
    const FloatingPointFaults leftover = parallelFor(1, table.curveCount, pass);
    clearFloatingPointFaults();
    return leftover;
}

const CurveSubtotals& curveSubtotalsOf(int curve) {
    return curveSubtotals[curve];
}

FloatingPointFaults curvePartFaults(int curves, FloatingPointFaults CurveSubtotals::*part) {
    FloatingPointFaults faults = 0;
    for (int c = 1; c <= curves; ++c)
        faults |= curveSubtotals[c].*part;
    return faults;
}

long double sumOfSquaresOn(const long double* parameters) {
    checkNormalEquationsCapacity();
    const FloatingPointFaults before = raisedFloatingPointFaults();
    clearFloatingPointFaults();
    RateTable table;
    prepareRateTable(table, parameters);
    FloatingPointFaults faults = raisedFloatingPointFaults();
    clearFloatingPointFaults();
    faults |= runCurvePasses(table, kSumPart, false);
    faults |= curvePartFaults(table.curveCount, &CurveSubtotals::sumFaults);
    long double total = 0.0L;
    for (int c = 1; c <= table.curveCount; ++c)
        total = total + curveSubtotals[c].sumOfSquares;
    if ((before | faults) != 0)
        std::feraiseexcept(before | faults);
    return total;
}

}  // namespace quorvane
