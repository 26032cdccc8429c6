#include "fit/curve_projection.h"

#include <atomic>
#include <cmath>
#include <cstddef>
#include <vector>

#include "data/extended_exp.h"
#include "data/thread_pool.h"
#include "data/time_axes.h"
#include "lsq/householder_qr.h"

namespace quorvane {

namespace {

// What one curve's pass hands to the combination.
struct CurveSlot {
    // Rows 0..n-1 of the triangle of [J_c | r_c], columns 0..n (n: r_c).
    long double triangle[kMaxComponents][kMaxComponents + 1];
    long double sumOfSquares;
    long double coefficients[kMaxComponents + 1];
    bool dependent[kMaxComponents + 1];
    long double excess;
    long double change;
    FloatingPointFaults faults;
};

// Written by each curve's task, read after the loops. Static like the
// workspace; one projection at a time.
CurveSlot curveSlots[kMaxCurves + 1];
long double stackedTriangles[kMaxCurves * kMaxComponents * (kMaxComponents + 1)];

struct PassInputs {
    int componentCount;
    long double rate[kMaxComponents + 1];  // w_j = exp(k_j)
    const long double* judged;
    int stride;  // rows of a store column: the most points of any curve, at least 1
};

// An axis store holds 3n+2 columns of `stride` rows:
//   0..n-1     E_1..E_n
//   n..2n      Phi_0..Phi_n, factored in place (Q_B and R_B)
//   2n+1..3n   x w_j E_j, then Q_B^T of it, factored in place from row
//              rank(Phi) on (Q_U and R_U)
//   3n+1       the column of a curve worked on its own axis
// A curve column holds a curve's values y_c, then Q_B^T y_c, then Q_U^T of
// that.
std::size_t axisStoreSize(const PassInputs& inputs) {
    return static_cast<std::size_t>(3 * inputs.componentCount + 2) *
           static_cast<std::size_t>(inputs.stride);
}

long double* storeColumn(long double* store, int stride, int index) {
    return store + static_cast<std::ptrdiff_t>(index) * stride;
}

const long double* storeColumn(const long double* store, int stride, int index) {
    return store + static_cast<std::ptrdiff_t>(index) * stride;
}

// Stores for the tasks that run at one time; a task takes a free one and
// gives it back. Grown on the calling thread before a loop, so that the
// loops allocate nothing.
class StoreSet {
  public:
    // Stores 0..count-1 hold at least `size` values.
    void prepare(int count, std::size_t size) {
        count_ = count;
        for (int s = 0; s < count; ++s)
            if (stores_[s].size() < size)
                stores_[s].resize(size);
    }

    int acquire() {
        for (int s = 0;; s = (s + 1) % count_)
            if (!busy_[s].exchange(true, std::memory_order_acquire))
                return s;
    }

    void release(int store) { busy_[store].store(false, std::memory_order_release); }

    long double* data(int store) { return stores_[store].data(); }

  private:
    int count_ = 0;
    std::vector<long double> stores_[kMaxParallelThreads];
    std::atomic<bool> busy_[kMaxParallelThreads] = {};
};

// The shared axis at work (store 0), or one per task of curves on axes of
// their own; a curve column per task of curves on a shared axis.
StoreSet axisStores;
StoreSet curveColumns;

// What the curves of one time axis share, in an axis store.
struct Axis {
    const long double* store;
    int points;
    HouseholderFactors basis;    // of Phi
    HouseholderFactors kaufman;  // of U, from row basis.rank on
    FloatingPointFaults faults;  // raised while the axis was formed
};

// Forms the axis of `curve`'s times. Outside a loop its columns are split
// over the threads; inside a task they are formed in turn. Leaves the
// calling thread's flags clear.
void formAxis(int curve, const PassInputs& inputs, long double* store, Axis& axis) {
    const int n = inputs.componentCount;
    const int stride = inputs.stride;
    const int points = workspace.pointCount[curve];
    const double* times = workspace.curves[curve].times;
    axis.store = store;
    axis.points = points;
    long double* const basis = storeColumn(store, stride, n);
    long double* const directions = storeColumn(store, stride, 2 * n + 1);

    FloatingPointFaults exponentialFaults[kMaxComponents + 1] = {};
    auto formColumn = [&](int j) {
        long double* exponentials = storeColumn(store, stride, j - 1);
        const long double negativeRate = -inputs.rate[j];
        for (int i = 0; i < points; ++i)
            exponentials[i] = negativeRate * static_cast<long double>(times[i + 1]);
        exponentialFaults[j] = extendedExpBlock(exponentials, exponentials, points);
        long double* basisColumn = storeColumn(basis, stride, j);
        long double* direction = storeColumn(directions, stride, j - 1);
        for (int i = 0; i < points; ++i) {
            basisColumn[i] = exponentials[i];
            direction[i] =
                inputs.rate[j] * static_cast<long double>(times[i + 1]) * exponentials[i];
        }
    };
    FloatingPointFaults faults = parallelFor(1, n, formColumn);
    for (int i = 0; i < points; ++i)
        basis[i] = 1.0L;
    householderFactor(basis, stride, 0, points, n + 1, n + 1, kIndependenceTolerance, axis.basis);
    auto projectDirection = [&](int j) {
        applyHouseholderTranspose(basis, stride, points, axis.basis,
                                  storeColumn(directions, stride, j - 1));
    };
    faults |= parallelFor(1, n, projectDirection);
    householderFactor(directions, stride, axis.basis.rank, points, n, n, kIndependenceTolerance,
                      axis.kaufman);
    for (int j = 1; j <= n; ++j)
        faults |= exponentialFaults[j];
    axis.faults = faults | raisedFloatingPointFaults();
    clearFloatingPointFaults();
}

void judgeCoefficients(const long double* basis, int stride, const HouseholderFactors& factors,
                       const long double* judged, int curve, int n, CurveSlot& slot) {
    const int base = (curve - 1) * (n + 1);
    long double difference[kMaxComponents + 1];
    long double largest = 0.0L;
    for (int j = 0; j <= n; ++j) {
        difference[j] = judged[base + 1 + j] - slot.coefficients[j];
        largest = fmaxl(largest, fabsl(slot.coefficients[j]));
    }
    if (largest == 0.0L)
        largest = 1.0L;
    for (int t = 0; t < factors.rank; ++t) {
        long double row = 0.0L;
        for (int l = 0; l <= n; ++l)
            row = row + triangleEntry(basis, stride, factors, t, l) * difference[l];
        slot.excess = slot.excess + row * row;
    }
    for (int j = 0; j <= n; ++j)
        slot.change = fmaxl(slot.change, fabsl(difference[j]) / largest);
}

// Curve c's pass on its axis; `transformed` is a column of the task's own
// store. Leaves the calling thread's flags clear.
void projectOnAxis(int curve, const PassInputs& inputs, const Axis& axis, long double* transformed,
                   CurveSlot& slot) {
    const int n = inputs.componentCount;
    const int stride = inputs.stride;
    const int points = axis.points;
    const double* values = workspace.curves[curve].values;
    const long double* const basis = storeColumn(axis.store, stride, n);
    const long double* const directions = storeColumn(axis.store, stride, 2 * n + 1);

    // The linear least-squares solve at these rates.
    for (int i = 0; i < points; ++i)
        transformed[i] = static_cast<long double>(values[i + 1]);
    applyHouseholderTranspose(basis, stride, points, axis.basis, transformed);
    householderSolve(basis, stride, axis.basis, transformed, slot.coefficients);
    for (int j = 0; j <= n; ++j)
        slot.dependent[j] = !axis.basis.independent[j];

    // Residuals in the model's order.
    const long double* a = slot.coefficients;
    const long double* exponentials[kMaxComponents + 1] = {};
    for (int j = 1; j <= n; ++j)
        exponentials[j] = storeColumn(axis.store, stride, j - 1);
    long double sum = 0.0L;
    for (int i = 0; i < points; ++i) {
        long double model = a[0] + a[1] * exponentials[1][i];
        for (int j = 2; j <= n; ++j)
            model = model + a[j] * exponentials[j][i];
        const long double r = static_cast<long double>(values[i + 1]) - model;
        sum = sum + r * r;
    }
    slot.sumOfSquares = sum;

    // [R_U D_c | Q_U^T r_c], r_c being rows rank(Phi).. of Q_B^T y_c.
    applyHouseholderTranspose(directions, stride, points, axis.kaufman, transformed);
    const int first = axis.basis.rank;
    for (int t = 0; t < n; ++t) {
        for (int l = 0; l < n; ++l)
            slot.triangle[t][l] =
                triangleEntry(directions, stride, axis.kaufman, first + t, l) * a[l + 1];
        slot.triangle[t][n] = t < axis.kaufman.rank ? transformed[first + t] : 0.0L;
    }

    slot.excess = 0.0L;
    slot.change = 0.0L;
    if (inputs.judged != nullptr)
        judgeCoefficients(basis, stride, axis.basis, inputs.judged, curve, n, slot);
    slot.faults = axis.faults | raisedFloatingPointFaults();
    clearFloatingPointFaults();
}

// A curve on an axis of its own: its axis, then its pass, in one store.
void projectOnOwnAxis(int curve, const PassInputs& inputs, long double* store) {
    clearFloatingPointFaults();
    Axis axis;
    formAxis(curve, inputs, store, axis);
    projectOnAxis(curve, inputs, axis,
                  storeColumn(store, inputs.stride, 3 * inputs.componentCount + 1),
                  curveSlots[curve]);
}

// Which curves share an axis in this projection: those of an axis of
// time_axes.h with the point count of its first curve, when there are at
// least two of them.
struct SharingPlan {
    int loneCount;
    // Curves on an axis of their own; those whose times turn out not to be
    // their shared axis's are added after the shared axes.
    int lone[kMaxCurves];
    int axisCount;
    // Shared axis a's curves, in increasing order (its first curve first):
    // sharing[axisStart[a]] .. sharing[axisStart[a + 1] - 1], a = 0-based.
    int axisStart[kMaxCurves + 1];
    int sharing[kMaxCurves];
};

void planSharing(int curves, SharingPlan& plan) {
    const TimeAxes& axes = timeAxes();
    int curvesOf[kMaxCurves + 1] = {};
    const auto onAxisOf = [&axes](int c) {
        return workspace.pointCount[c] == workspace.pointCount[axes.representative[c]];
    };
    for (int c = 1; c <= curves; ++c)
        if (onAxisOf(c))
            ++curvesOf[axes.representative[c]];
    plan.loneCount = 0;
    plan.axisCount = 0;
    int shared = 0;
    for (int c = 1; c <= curves; ++c) {
        if (curvesOf[axes.representative[c]] < 2 || !onAxisOf(c)) {
            plan.lone[plan.loneCount++] = c;
        } else if (axes.representative[c] == c) {
            plan.axisStart[plan.axisCount++] = shared;
            for (int member = c; member <= curves; ++member)
                if (axes.representative[member] == c && onAxisOf(member))
                    plan.sharing[shared++] = member;
        }
    }
    plan.axisStart[plan.axisCount] = shared;
}

// The stacked triangles of curves 1..C reduced to the whole fit's R, Q^T r.
void combineTriangles(int curves, int n, TrustRegionSystem& system) {
    const int rows = curves * n;
    const int stride = rows > 0 ? rows : 1;
    for (int c = 1; c <= curves; ++c)
        for (int t = 0; t < n; ++t)
            for (int l = 0; l <= n; ++l)
                stackedTriangles[l * stride + (c - 1) * n + t] = curveSlots[c].triangle[t][l];
    HouseholderFactors factors;
    householderFactor(stackedTriangles, stride, 0, rows, n, n + 1, kIndependenceTolerance, factors);
    system = TrustRegionSystem{};
    system.size = n;
    for (int j = 0; j < n; ++j) {
        if (!factors.independent[j])
            continue;
        const int row = factors.pivotRow[j];
        for (int l = j; l < n; ++l)
            system.triangle[j][l] = triangleEntry(stackedTriangles, stride, factors, row, l);
        system.projectedResidual[j] = triangleEntry(stackedTriangles, stride, factors, row, n);
    }
}

}  // namespace

void projectCurves(const long double* logRates, const long double* judged, Projection& result) {
    const int n = workspace.componentCount;
    const int curves = workspace.curveCount;
    clearFloatingPointFaults();
    PassInputs inputs;
    inputs.componentCount = n;
    inputs.judged = judged;
    for (int j = 1; j <= n; ++j)
        inputs.rate[j] = extendedExp(logRates[j]);
    FloatingPointFaults faults = raisedFloatingPointFaults();
    clearFloatingPointFaults();
    inputs.stride = 1;
    for (int c = 1; c <= curves; ++c)
        if (workspace.pointCount[c] > inputs.stride)
            inputs.stride = workspace.pointCount[c];

    SharingPlan plan;
    planSharing(curves, plan);
    const int threads = parallelThreadCount();
    if (plan.axisCount > 0) {
        axisStores.prepare(1, axisStoreSize(inputs));
        curveColumns.prepare(threads < curves ? threads : curves,
                             static_cast<std::size_t>(inputs.stride));
    }

    // Written by a sharing curve's task: its times are not its axis's.
    bool ownAxis[kMaxCurves + 1] = {};
    for (int a = 0; a < plan.axisCount; ++a) {
        const int first = plan.sharing[plan.axisStart[a]];
        Axis axis;
        formAxis(first, inputs, axisStores.data(0), axis);
        auto sharingPass = [&](int index) {
            const int curve = plan.sharing[index];
            if (curve != first && !sameTimes(curve, first)) {
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

    for (int c = 1; c <= curves; ++c)
        if (ownAxis[c])
            plan.lone[plan.loneCount++] = c;
    axisStores.prepare(threads < plan.loneCount ? threads : plan.loneCount, axisStoreSize(inputs));
    auto lonePass = [&inputs, &plan](int index) {
        const int store = axisStores.acquire();
        projectOnOwnAxis(plan.lone[index], inputs, axisStores.data(store));
        axisStores.release(store);
    };
    parallelFor(0, plan.loneCount - 1, lonePass);
    clearFloatingPointFaults();

    result = Projection{};
    result.sumOfSquares = 0.0L;
    for (int c = 1; c <= curves; ++c) {
        const CurveSlot& slot = curveSlots[c];
        faults |= slot.faults;
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
    faults |= raisedFloatingPointFaults();
    clearFloatingPointFaults();
    result.faults = faults;
    result.valid = faults == 0 && std::isfinite(result.sumOfSquares);
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
