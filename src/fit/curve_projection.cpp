#include "fit/curve_projection.h"

#include <atomic>
#include <cmath>
#include <cstddef>
#include <vector>

#include "data/thread_pool.h"
#include "data/time_axes.h"
#include "fit/axis_projection.h"
#include "fit/store_set.h"
#include "lsq/exponential_sum.h"
#include "lsq/householder_qr.h"

namespace quorvane {

namespace {

// Written by each curve's task, read after the loops. Static like the
// workspace; one projection at a time.
CurveSlot curveSlots[kMaxCurves + 1];
long double stackedTriangles[kMaxCurves * kMaxComponents * (kMaxComponents + 1)];

// Scheduling. Each shared axis (planAxisSharing) is formed with its columns
// split over the threads, then its curves run one task each; a curve that
// the plan puts on it checks its times (keepsSharedAxis) in its own task,
// and is worked on an axis of its own when they differ (data written
// without a notification). Then the curves on axes of their own run one
// task each (axis, then curve).
//
// Memory: an axis store (3n+2 columns of the longest curve, 6.4 MB at 20000
// points and n = 6) for the shared axis at work (store 0) and for each task
// on an axis of its own that runs at one time; a curve column for each task
// on a shared axis. They are grown before the loops, so that a projection
// allocates only when the curves grew longer, n larger, or more tasks run
// at once.
StoreSet axisStores;
StoreSet curveColumns;

// A curve on an axis of its own: its axis, then its pass, in one store.
void projectOnOwnAxis(int curve, const ProjectionInputs& inputs, long double* store) {
    clearFloatingPointFaults();
    Axis axis;
    formAxis(curve, inputs, store, axis);
    projectOnAxis(curve, inputs, axis,
                  storeColumn(store, inputs.stride, ownCurveColumn(inputs.componentCount)),
                  curveSlots[curve]);
}

// The stacked triangles of curves 1..C reduced to the whole fit's R, Q^T r.
void combineTriangles(int curves, int n, TrustRegionSystem& system) {
    const int rows = curves * n;
    const int stride = rows > 0 ? rows : 1;
    for (int c = 1; c <= curves; ++c)
        for (int t = 0; t < n; ++t)
            for (int l = 0; l <= n; ++l)
                stackedTriangles[l * stride + (c - 1) * n + t] = curveSlots[c].triangle[t][l];
    reduceStackedTriangles(stackedTriangles, rows, n, system);
}

// The per-curve results in curve order.
void combineCurves(int curves, int n, Projection& result) {
    result.sumOfSquares = 0.0L;
    for (int c = 1; c <= curves; ++c) {
        const CurveSlot& slot = curveSlots[c];
        result.faults |= slot.faults;
        result.sumOfSquares = result.sumOfSquares + slot.sumOfSquares;
        result.coefficientExcess = result.coefficientExcess + slot.excess;
        result.coefficientChange = fmaxl(result.coefficientChange, slot.change);
        result.pointCount += workspace.pointCount[c];
        for (int j = 0; j <= n; ++j) {
            result.coefficients[c][j] = slot.coefficients[j];
            if (j >= 1 && slot.dependent[j])
                result.indistinguishable[j] = true;
        }
    }
    combineTriangles(curves, n, result.system);
}

}  // namespace

void projectCurves(const long double* logRates, const long double* judged, Projection& result,
                   BasisInverse* bases) {
    const int n = workspace.componentCount;
    const int curves = workspace.curveCount;
    clearFloatingPointFaults();
    ProjectionInputs inputs;
    inputs.componentCount = n;
    inputs.judged = judged;
    inputs.bases = bases;
    for (int j = 1; j <= n; ++j)
        inputs.rate[j] = decayRate(logRates[j]);
    const FloatingPointFaults rateFaults = takeFloatingPointFaults();

    AxisSharing plan;
    planAxisSharing(curves, true, plan);
    inputs.stride = plan.longestCurve > 1 ? plan.longestCurve : 1;
    const int threads = parallelThreadCount();
    if (plan.sharedAxisCount > 0) {
        axisStores.prepare(1, axisStoreSize(inputs));
        curveColumns.prepare(threads < curves ? threads : curves,
                             static_cast<std::size_t>(inputs.stride));
    }

    // Written by a sharing curve's task: its times are not its axis's.
    bool ownAxis[kMaxCurves + 1] = {};
    for (int a = 1; a <= plan.sharedAxisCount; ++a) {
        Axis axis;
        formAxis(plan.firstCurve[a], inputs, axisStores.data(0), axis);
        auto sharingPass = [&](int index) {
            const int curve = plan.sharingCurves[index];
            if (!keepsSharedAxis(plan, curve)) {
                ownAxis[curve] = true;
                return;
            }
            const int column = curveColumns.acquire();
            clearFloatingPointFaults();
            projectOnAxis(curve, inputs, axis, curveColumns.data(column), curveSlots[curve]);
            curveColumns.release(column);
        };
        parallelFor(plan.axisStart[a], plan.axisStart[a + 1] - 1, sharingPass);
        clearFloatingPointFaults();
    }

    int loneCount = plan.loneCount;
    for (int c = 1; c <= curves; ++c)
        if (ownAxis[c])
            plan.loneCurves[loneCount++] = c;
    axisStores.prepare(threads < loneCount ? threads : loneCount, axisStoreSize(inputs));
    auto lonePass = [&inputs, &plan](int index) {
        const int store = axisStores.acquire();
        projectOnOwnAxis(plan.loneCurves[index], inputs, axisStores.data(store));
        axisStores.release(store);
    };
    parallelFor(0, loneCount - 1, lonePass);
    clearFloatingPointFaults();

    result = Projection{};
    result.faults = rateFaults;
    combineCurves(curves, n, result);
    result.faults |= takeFloatingPointFaults();
    result.valid = result.faults == 0 && std::isfinite(result.sumOfSquares);
}

void reduceStackedTriangles(long double* stacked, int rows, int size, TrustRegionSystem& system) {
    const int stride = rows > 0 ? rows : 1;
    HouseholderFactors factors;
    householderFactor(stacked, stride, 0, rows, size, size + 1, kIndependenceTolerance, factors);
    system = TrustRegionSystem{};
    system.size = size;
    for (int j = 0; j < size; ++j) {
        if (!factors.independent[j])
            continue;
        const int row = factors.pivotRow[j];
        for (int l = j; l < size; ++l)
            system.triangle[j][l] = triangleEntry(stacked, stride, factors, row, l);
        system.projectedResidual[j] = triangleEntry(stacked, stride, factors, row, size);
    }
}

void storeProjection(const Projection& projection, const long double* logRates) {
    const int n = workspace.componentCount;
    for (int c = 1; c <= workspace.curveCount; ++c) {
        workspace.ParameterVector[offsetIndex(c)] = projection.coefficients[c][0];
        for (int j = 1; j <= n; ++j)
            workspace.ParameterVector[amplitudeIndex(c, j)] = projection.coefficients[c][j];
    }
    for (int j = 1; j <= n; ++j)
        workspace.ParameterVector[rateIndex(j)] = logRates[j];
}

}  // namespace quorvane
