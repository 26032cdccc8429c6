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

// The curves run on the thread pool (data/thread_pool.h), one task each.
// Curves on one shared axis (planAxisSharing) share their exponentials: the
// points are worked on in rounds of consecutive points; the batches of
// every shared axis are formed once per round, spread over the threads,
// into a store of a fixed size; every curve adds the round's points to its
// subtotals, the curves spread over the threads, while the batches of the
// next round are formed; a curve on an axis of its own forms its batches as
// it goes. With no shared axis there is one round. A curve's subtotals add
// its points in increasing order across the rounds, so the rounds change
// nothing in the results.
//
// The store holds the shared exponentials of two rounds, the one the curves
// work on and the next, formed meanwhile: each half has room for one batch
// of the largest kind for each of the kMaxSharedAxes axes that can be
// shared, about 2.4 million bytes; with fewer shared axes or fewer rows a
// round takes more batches.
constexpr int kRoundStoreValues = kMaxSharedAxes * kMaxExponentialRows * kBatchPoints;
constexpr int kMaxRoundBatches = kRoundStoreValues / kBatchPoints;
alignas(64) long double sharedStore[2][kRoundStoreValues];
ExponentialBatch sharedBatches[2][kMaxRoundBatches];

// Round r covers points 1 + r*points .. (r+1)*points of every curve (of
// those it has); its batches are in half r % 2 of the store, those of
// shared axis a from sharedBatches[r % 2][(a-1)*batchesPerAxis] on.
struct Rounds {
    const RateTable* table;
    unsigned parts;
    // A curve that the plan shares but whose times differ from its axis's
    // (data written without a notification) leaves its shared axis in the
    // first round, written by that curve's own task only.
    AxisSharing* plan;
    int rows;            // exponentialRowCount
    int batchesPerAxis;  // per round
    int points;          // per round
    int count;
};

int firstPointOf(const Rounds& rounds, int round) {
    return 1 + round * rounds.points;
}

// The curve takes the coefficient block of its axis's first curve.
bool takesCoefficientBlock(const AxisSharing& plan, int curve) {
    const int axis = plan.sharedAxisOf[curve];
    return axis != 0 && plan.firstCurve[axis] != curve;
}

void formSharedBatch(const Rounds& rounds, int round, int index) {
    const int axis = index / rounds.batchesPerAxis + 1;
    const int curve = rounds.plan->firstCurve[axis];
    const int first = firstPointOf(rounds, round) + (index % rounds.batchesPerAxis) * kBatchPoints;
    int last = first + kBatchPoints - 1;
    if (last > workspace.pointCount[curve])
        last = workspace.pointCount[curve];
    if (last < first)
        return;
    formExponentialBatch(workspace.curves[curve].times, first, last - first + 1, *rounds.table,
                         rounds.parts, sharedStore[round % 2] + index * rounds.rows * kBatchPoints,
                         sharedBatches[round % 2][index]);
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
    AxisSharing& plan = *rounds.plan;
    if (round == 0 && plan.sharedAxisOf[curve] != 0 && !keepsSharedAxis(plan, curve))
        plan.sharedAxisOf[curve] = 0;
    const int axis = plan.sharedAxisOf[curve];
    const ExponentialBatch* shared =
        axis == 0 ? nullptr : &sharedBatches[round % 2][(axis - 1) * rounds.batchesPerAxis];
    accumulateCurveSubtotals(curve, *rounds.table, rounds.parts, first, last, shared,
                             takesCoefficientBlock(plan, curve), curveSubtotals[curve]);
}

}  // namespace

// One loop of the pool per round: the curves' tasks for this round come
// first, then the batches of the next round, which fill in for the threads
// that run out of curves; a loop ahead forms the batches of the first round.
FloatingPointFaults runCurvePasses(const RateTable& table, unsigned parts) {
    const int curves = table.curveCount;
    const int rows = exponentialRowCount(table.componentCount, parts);
    AxisSharing plan;
    planAxisSharing(curves, rows > 0, plan);

    Rounds rounds{&table, parts, &plan, rows, 0, 0, 1};
    if (plan.sharedAxisCount == 0) {
        rounds.points = plan.longestCurve > 0 ? plan.longestCurve : 1;
    } else {
        const int batchesOfAxis = (plan.longestCurve + kBatchPoints - 1) / kBatchPoints;
        rounds.batchesPerAxis =
            kRoundStoreValues / (rounds.rows * kBatchPoints) / plan.sharedAxisCount;
        if (rounds.batchesPerAxis > batchesOfAxis)
            rounds.batchesPerAxis = batchesOfAxis;
        rounds.points = rounds.batchesPerAxis * kBatchPoints;
        rounds.count = (plan.longestCurve + rounds.points - 1) / rounds.points;
    }
    const int batchesPerRound = plan.sharedAxisCount * rounds.batchesPerAxis;

    FloatingPointFaults leftover = 0;
    auto formFirstBatches = [&rounds](int index) { formSharedBatch(rounds, 0, index); };
    leftover |= parallelFor(0, batchesPerRound - 1, formFirstBatches);
    clearFloatingPointFaults();
    for (int round = 0; round < rounds.count; ++round) {
        auto task = [&rounds, round, curves](int index) {
            if (index <= curves)
                accumulateRound(rounds, round, index);
            else
                formSharedBatch(rounds, round + 1, index - curves - 1);
        };
        const int nextBatches = round + 1 < rounds.count ? batchesPerRound : 0;
        leftover |= parallelFor(1, curves + nextBatches, task);
        clearFloatingPointFaults();
    }

    if (parts & kMatrixPart) {
        for (int c = 1; c <= curves; ++c) {
            if (takesCoefficientBlock(plan, c)) {
                const int first = plan.firstCurve[plan.sharedAxisOf[c]];
                copyCoefficientBlock(table.componentCount, curveSubtotals[first],
                                     curveSubtotals[c]);
            }
        }
    }
    return leftover;
}

const CurveSubtotals& curveSubtotalsOf(int curve) {
    return curveSubtotals[curve];
}

PartFaults curvePassFaults(int curves) {
    PartFaults faults;
    for (int c = 1; c <= curves; ++c)
        faults.charge(curveSubtotals[c].faults);
    return faults;
}

long double sumOfSquaresOn(const long double* parameters) {
    checkNormalEquationsCapacity();
    const FloatingPointFaults before = takeFloatingPointFaults();
    RateTable table;
    prepareRateTable(table, parameters);
    FloatingPointFaults faults = takeFloatingPointFaults();
    faults |= runCurvePasses(table, kSumPart);
    faults |= curvePassFaults(table.curveCount).sum;
    long double total = 0.0L;
    for (int c = 1; c <= table.curveCount; ++c)
        total = total + curveSubtotals[c].sumOfSquares;
    if ((before | faults) != 0)
        std::feraiseexcept(before | faults);
    return total;
}

}  // namespace quorvane
