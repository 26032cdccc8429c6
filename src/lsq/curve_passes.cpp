#include "lsq/curve_passes.h"

#include <cfenv>

#include "data/thread_pool.h"
#include "data/time_axes.h"
#include "data/workspace.h"
#include "lsq/system_capacity.h"

namespace quorvane {

namespace {

// Written by each curve's pass on whichever thread runs it, read by the
// callers after all passes have ended. Static like the workspace.
CurveSubtotals curveSubtotals[kMaxCurves + 1];

// The shared exponentials of two rounds, the one the curves work on and the
// next, formed meanwhile: each half has room for one block of the largest
// kind for each of the kMaxCurves / 2 axes that can be shared, about 2.4
// million bytes; with fewer shared axes or fewer rows a round takes more
// blocks.
constexpr int kMaxSharedAxes = kMaxCurves / 2;
constexpr int kRoundStoreValues = kMaxSharedAxes * kMaxExponentialRows * kBlockPoints;
constexpr int kMaxRoundBlocks = kRoundStoreValues / kBlockPoints;
alignas(64) long double sharedStore[2][kRoundStoreValues];
ExponentialBlock sharedBlocks[2][kMaxRoundBlocks];

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

// Round r covers points 1 + r*points .. (r+1)*points of every curve (of
// those it has); its blocks are in half r % 2 of the store, those of shared
// axis a from sharedBlocks[r % 2][(a-1)*blocksPerAxis] on.
struct Rounds {
    const RateTable* table;
    unsigned parts;
    SharingPlan* plan;
    int rows;           // exponentialRowCount
    int blocksPerAxis;  // per round
    int points;         // per round
    int count;
};

int firstPointOf(const Rounds& rounds, int round) {
    return 1 + round * rounds.points;
}

void formSharedBlock(const Rounds& rounds, int round, int index) {
    const int axis = index / rounds.blocksPerAxis + 1;
    const int curve = rounds.plan->representative[axis];
    const int first = firstPointOf(rounds, round) + (index % rounds.blocksPerAxis) * kBlockPoints;
    int last = first + kBlockPoints - 1;
    if (last > workspace.pointCount[curve])
        last = workspace.pointCount[curve];
    if (last < first)
        return;
    formExponentialBlock(workspace.curves[curve].times, first, last - first + 1, *rounds.table,
                         rounds.parts, sharedStore[round % 2] + index * rounds.rows * kBlockPoints,
                         sharedBlocks[round % 2][index]);
}

void accumulateRound(const Rounds& rounds, int round, int curve) {
    const int first = firstPointOf(rounds, round);
    int last = workspace.pointCount[curve];
    if (last > first + rounds.points - 1)
        last = first + rounds.points - 1;
    // Every curve takes part in the first round, which starts its subtotals
    // at 0 even when it has no points.
    if (last < first && round > 0)
        return;
    SharingPlan& plan = *rounds.plan;
    if (round == 0 && plan.member[curve] &&
        !sameTimes(curve, plan.representative[plan.sharedAxisOf[curve]])) {
        plan.member[curve] = false;
        plan.sharedAxisOf[curve] = 0;
    }
    const int axis = plan.sharedAxisOf[curve];
    const ExponentialBlock* shared =
        axis == 0 ? nullptr : &sharedBlocks[round % 2][(axis - 1) * rounds.blocksPerAxis];
    accumulateCurveSubtotals(curve, *rounds.table, rounds.parts, first, last, shared,
                             plan.member[curve], curveSubtotals[curve]);
}

}  // namespace

// One loop of the pool per round: the curves' tasks for this round come
// first, then the blocks of the next round, which fill in for the threads
// that run out of curves; a loop ahead forms the blocks of the first round.
FloatingPointFaults runCurvePasses(const RateTable& table, unsigned parts) {
    const int curves = table.curveCount;
    SharingPlan plan;
    planSharing(curves, plan);

    Rounds rounds{&table, parts, &plan, exponentialRowCount(table.componentCount, parts), 0, 0, 1};
    if (plan.axisCount == 0 || rounds.rows == 0) {
        plan.axisCount = 0;
        rounds.points = plan.longestCurve > 0 ? plan.longestCurve : 1;
    } else {
        const int blocksOfAxis = (plan.longestCurve + kBlockPoints - 1) / kBlockPoints;
        rounds.blocksPerAxis = kRoundStoreValues / (rounds.rows * kBlockPoints) / plan.axisCount;
        if (rounds.blocksPerAxis > blocksOfAxis)
            rounds.blocksPerAxis = blocksOfAxis;
        rounds.points = rounds.blocksPerAxis * kBlockPoints;
        rounds.count = (plan.longestCurve + rounds.points - 1) / rounds.points;
    }
    const int blocksPerRound = plan.axisCount * rounds.blocksPerAxis;

    FloatingPointFaults leftover = 0;
    auto formFirstBlocks = [&rounds](int index) { formSharedBlock(rounds, 0, index); };
    leftover |= parallelFor(0, blocksPerRound - 1, formFirstBlocks);
    clearFloatingPointFaults();
    for (int round = 0; round < rounds.count; ++round) {
        auto task = [&rounds, round, curves](int index) {
            if (index <= curves)
                accumulateRound(rounds, round, index);
            else
                formSharedBlock(rounds, round + 1, index - curves - 1);
        };
        const int nextBlocks = round + 1 < rounds.count ? blocksPerRound : 0;
        leftover |= parallelFor(1, curves + nextBlocks, task);
        clearFloatingPointFaults();
    }

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
