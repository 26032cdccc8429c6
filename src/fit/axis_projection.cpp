#include "fit/axis_projection.h"

#include <cmath>

#include "data/thread_pool.h"
#include "lsq/exponential_sum.h"

namespace quorvane {

// ||Phi (a - a*)||^2 = ||R_B (a - a*)||^2.
void judgeCoefficients(const long double* basis, int stride, const HouseholderFactors& factors,
                       const long double* judged, const long double* solved, int count,
                       long double& excess, long double& change) {
    long double difference[kMaxFactorColumns];
    long double largest = 0.0L;
    for (int j = 0; j < count; ++j) {
        difference[j] = judged[j] - solved[j];
        largest = fmaxl(largest, fabsl(solved[j]));
    }
    if (largest == 0.0L)
        largest = 1.0L;
    for (int t = 0; t < factors.rank; ++t) {
        long double row = 0.0L;
        for (int l = 0; l < count; ++l)
            row = row + triangleEntry(basis, stride, factors, t, l) * difference[l];
        excess = excess + row * row;
    }
    for (int j = 0; j < count; ++j)
        change = fmaxl(change, fabsl(difference[j]) / largest);
}

namespace {

void describeBasis(const Axis& axis, int n, int stride, BasisInverse& description) {
    const long double* const basis = storeColumn(axis.store, stride, n);
    const long double* const directions = storeColumn(axis.store, stride, 2 * n + 1);
    description.fullRank = axis.basis.rank == n + 1;
    if (!description.fullRank)
        return;
    long double unit[kMaxFactorColumns] = {};
    for (int k = 0; k <= n; ++k) {
        unit[k] = 1.0L;
        householderSolve(basis, stride, axis.basis, unit, description.inverse[k]);
        unit[k] = 0.0L;
    }
    for (int j = 0; j < n; ++j)
        householderSolve(basis, stride, axis.basis, storeColumn(directions, stride, j),
                         description.regression[j]);
}

}  // namespace

void formAxis(int curve, const ProjectionInputs& inputs, long double* store, Axis& axis) {
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
        const long double rate = inputs.rate[j];
        for (int i = 0; i < points; ++i)
            exponentials[i] = decayArgument(rate, static_cast<long double>(times[i + 1]));
        exponentialFaults[j] = extendedExpBlock(exponentials, exponentials, points);
        long double* basisColumn = storeColumn(basis, stride, j);
        long double* direction = storeColumn(directions, stride, j - 1);
        long double largest = 0.0L;
        for (int i = 0; i < points; ++i)
            largest = fmaxl(largest, exponentials[i]);
        // A vanished component enters the basis as a zero column: the rank
        // test gives it amplitude 0 (its exponentials stay for the residual,
        // where they meet that 0).
        const long double kept = largest >= kVanishedExponential ? 1.0L : 0.0L;
        for (int i = 0; i < points; ++i) {
            basisColumn[i] = kept * exponentials[i];
            direction[i] = kept * (rate * static_cast<long double>(times[i + 1]) * exponentials[i]);
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
    axis.faults = faults | takeFloatingPointFaults();
}

void projectOnAxis(int curve, const ProjectionInputs& inputs, const Axis& axis,
                   long double* transformed, CurveSlot& slot) {
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

    // Residuals in the model's order, the exponentials from columns 0..n-1;
    // the coefficients in an array of the pass's own, which the compiler
    // keeps in registers.
    long double a[kMaxComponents + 1];
    const long double* exponentials[kMaxComponents + 1] = {};
    for (int j = 0; j <= n; ++j)
        a[j] = slot.coefficients[j];
    for (int j = 1; j <= n; ++j)
        exponentials[j] = storeColumn(axis.store, stride, j - 1);
    long double sum = 0.0L;
    for (int i = 0; i < points; ++i) {
        const long double r = static_cast<long double>(values[i + 1]) -
                              exponentialSum(a, n, [&](int j) { return exponentials[j][i]; });
        sum = sum + r * r;
    }
    slot.sumOfSquares = sum;

    // [R_U D_c | Q_U^T r_c], r_c being rows rank(Phi).. of Q_B^T y_c. The
    // standard errors (bases given) read only R_U D_c: Q_U^T r_c is left 0.
    const bool withResidual = inputs.bases == nullptr;
    if (withResidual)
        applyHouseholderTranspose(directions, stride, points, axis.kaufman, transformed);
    const int first = axis.basis.rank;
    for (int t = 0; t < n; ++t) {
        for (int l = 0; l < n; ++l)
            slot.triangle[t][l] =
                triangleEntry(directions, stride, axis.kaufman, first + t, l) * a[l + 1];
        slot.triangle[t][n] = withResidual && t < axis.kaufman.rank ? transformed[first + t] : 0.0L;
    }

    if (inputs.bases != nullptr)
        describeBasis(axis, n, stride, inputs.bases[curve]);

    slot.excess = 0.0L;
    slot.change = 0.0L;
    if (inputs.judged != nullptr)
        judgeCoefficients(basis, stride, axis.basis, inputs.judged + offsetIndex(curve),
                          slot.coefficients, n + 1, slot.excess, slot.change);
    slot.faults = axis.faults | takeFloatingPointFaults();
}

}  // namespace quorvane
