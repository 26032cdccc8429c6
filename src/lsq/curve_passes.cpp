#include "lsq/curve_passes.h"

#include <cfenv>
#include <cstring>

#include "data/thread_pool.h"
#include "data/time_axes.h"
#include "data/workspace.h"
#include "lsq/system_capacity.h"

namespace quorvane {

namespace {

// Written by each curve's pass on whichever thread runs it, read by the
// callers after all passes have ended. Static like the workspace.
CurveSubtotals curveSubtotals[kMaxCurves + 1];

// The shared exponentials of one round: room for one block of the largest
// kind for each of the kMaxCurves / 2 axes that can be shared, about 2.4
// million bytes; with fewer shared axes or fewer rows a round takes more
// blocks.
constexpr int kMaxSharedAxes = kMaxCurves / 2;
constexpr int kSharedStoreValues = kMaxSharedAxes * kMaxExponentialRows * kBlockPoints;
constexpr int kMaxSharedBlocks = kSharedStoreValues / kBlockPoints;
alignas(64) long double sharedStore[kSharedStoreValues];
ExponentialBlock sharedBlocks[kMaxSharedBlocks];

// Which curves share exponentials in one run: the curves of an axis of
// time_axes.h that still have its representative's point count, when the
// axis keeps at least two of them. Each member compares its times with the
// representative's, bit for bit, in the first round (on the pool) and works
// on its own when they differ: the cheap check that keeps data written
// without a notification from being worked on through a stale grouping.
struct SharingPlan {
    int axisCount;                           // shared axes, 1..axisCount
    int representative[kMaxSharedAxes + 1];  // the curve whose times form the blocks
    // Written in the first round by the curve's own task only.
    int sharedAxisOf[kMaxCurves + 1];  // 0: the curve forms its own blocks
    bool member[kMaxCurves + 1];       // shares and is not the representative
    int longestCurve;                  // the most points of any curve
};

void planSharing(int curves, SharingPlan& plan) {
    const TimeAxes& axes = timeAxes();
    int curvesOfAxis[kMaxCurves + 1] = {};
    plan.longestCurve = 0;
    for (int c = 1; c <= curves; ++c) {
        if (workspace.pointCount[c] > plan.longestCurve)
            plan.longestCurve = workspace.pointCount[c];
        const int representative = axes.representative[c];
        plan.member[c] =
            representative != c && workspace.pointCount[c] == workspace.pointCount[representative];
        if (plan.member[c])
            ++curvesOfAxis[representative];
    }
    plan.axisCount = 0;
    for (int c = 1; c <= curves; ++c) {
        plan.sharedAxisOf[c] = 0;
        const int representative = axes.representative[c];
        if (curvesOfAxis[representative] == 0) {
            plan.member[c] = false;
        } else if (representative == c) {
            plan.representative[++plan.axisCount] = c;
            plan.sharedAxisOf[c] = plan.axisCount;
        } else if (plan.member[c]) {
            plan.sharedAxisOf[c] = plan.sharedAxisOf[representative];
        }
    }
}

bool sameTimes(int curve, int representative) {
    return std::memcmp(&workspace.curves[curve].times[1],
                       &workspace.curves[representative].times[1],
                       sizeof(double) * static_cast<std::size_t>(workspace.pointCount[curve])) == 0;
}

// A round: points first..last of every curve (of those it has); each shared
// axis a has blocksPerAxis blocks starting at sharedBlocks[(a-1)*blocksPerAxis].
struct Round {
    const RateTable* table;
    unsigned parts;
    SharingPlan* plan;
    int first;
    int last;
    int blocksPerAxis;
    int rows;
};

void formSharedBlock(const Round& round, int index) {
    const int axis = index / round.blocksPerAxis + 1;
    const int block = index % round.blocksPerAxis;
    const int curve = round.plan->representative[axis];
    const int first = round.first + block * kBlockPoints;
    int last = first + kBlockPoints - 1;
    if (last > round.last)
        last = round.last;
    if (last > workspace.pointCount[curve])
        last = workspace.pointCount[curve];
    if (last < first)
        return;
    formExponentialBlock(workspace.curves[curve].times, first, last - first + 1, *round.table,
                         round.parts, sharedStore + index * round.rows * kBlockPoints,
                         sharedBlocks[index]);
}

void accumulateRound(const Round& round, int curve) {
    int last = workspace.pointCount[curve];
    if (last > round.last)
        last = round.last;
    // Every curve takes part in the first round, which starts its subtotals
    // at 0 even when it has no points.
    if (last < round.first && round.first > 1)
        return;
    SharingPlan& plan = *round.plan;
    if (round.first == 1 && plan.member[curve] &&
        !sameTimes(curve, plan.representative[plan.sharedAxisOf[curve]])) {
        plan.member[curve] = false;
        plan.sharedAxisOf[curve] = 0;
    }
    const int axis = plan.sharedAxisOf[curve];
    const ExponentialBlock* shared =
        axis == 0 ? nullptr : &sharedBlocks[(axis - 1) * round.blocksPerAxis];
    accumulateCurveSubtotals(curve, *round.table, round.parts, round.first, last, shared,
                             plan.member[curve], curveSubtotals[curve]);
}

}  // namespace

FloatingPointFaults runCurvePasses(const RateTable& table, unsigned parts) {
    const int curves = table.curveCount;
    SharingPlan plan;
    planSharing(curves, plan);

    Round round{&table,
                parts,
                &plan,
                1,
                plan.longestCurve,
                0,
                exponentialRowCount(table.componentCount, parts)};
    int roundPoints = plan.longestCurve > 0 ? plan.longestCurve : 1;
    if (plan.axisCount > 0 && round.rows > 0) {
        const int blocksOfAxis = (plan.longestCurve + kBlockPoints - 1) / kBlockPoints;
        round.blocksPerAxis = kSharedStoreValues / (round.rows * kBlockPoints) / plan.axisCount;
        if (round.blocksPerAxis > blocksOfAxis)
            round.blocksPerAxis = blocksOfAxis;
        roundPoints = round.blocksPerAxis * kBlockPoints;
    } else {
        plan.axisCount = 0;
    }

    FloatingPointFaults leftover = 0;
    auto formBlock = [&round](int index) { formSharedBlock(round, index); };
    auto accumulateCurve = [&round](int curve) { accumulateRound(round, curve); };
    do {
        round.last = round.first + roundPoints - 1;
        if (plan.axisCount > 0) {
            leftover |= parallelFor(0, plan.axisCount * round.blocksPerAxis - 1, formBlock);
            clearFloatingPointFaults();
        }
        leftover |= parallelFor(1, curves, accumulateCurve);
        clearFloatingPointFaults();
        round.first = round.last + 1;
    } while (round.first <= plan.longestCurve);

    if (parts & kMatrixPart) {
        for (int c = 1; c <= curves; ++c) {
            if (plan.member[c]) {
                const int representative = plan.representative[plan.sharedAxisOf[c]];
                copyCoefficientBlock(table.componentCount, curveSubtotals[representative],
                                     curveSubtotals[c]);
            }
        }
    }
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
    faults |= runCurvePasses(table, kSumPart);
    faults |= curvePartFaults(table.curveCount, &CurveSubtotals::sumFaults);
    long double total = 0.0L;
    for (int c = 1; c <= table.curveCount; ++c)
        total = total + curveSubtotals[c].sumOfSquares;
    if ((before | faults) != 0)
        std::feraiseexcept(before | faults);
    return total;
}

}  // namespace quorvane
