#include "fit/curve_projection.h"

#include <cmath>
#include <cstddef>
#include <vector>

#include "data/extended_exp.h"
#include "data/thread_pool.h"
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

// Written by each curve's task, read after the loop. Static like the
// workspace; one projection at a time.
CurveSlot curveSlots[kMaxCurves + 1];
long double stackedTriangles[kMaxCurves * kMaxComponents * (kMaxComponents + 1)];

struct PassInputs {
    int componentCount;
    long double rate[kMaxComponents + 1];  // w_j = exp(k_j)
    const long double* judged;
};

// Column-major scratch of one curve: E_1..E_n, Phi_0..Phi_n, V_1..V_n, y;
// one per thread, grown when a longer curve comes.
long double* curveScratch(int rows, int columns) {
    thread_local std::vector<long double> scratch;
    const std::size_t size = static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns);
    if (scratch.size() < size)
        scratch.resize(size);
    return scratch.data();
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

void projectCurve(int curve, const PassInputs& inputs, CurveSlot& slot) {
    clearFloatingPointFaults();
    const int n = inputs.componentCount;
    const int points = workspace.pointCount[curve];
    const int stride = points > 0 ? points : 1;
    const Curve& data = workspace.curves[curve];
    long double* scratch = curveScratch(stride, 3 * n + 2);
    const auto column = [scratch, stride](int index) {
        return scratch + static_cast<std::ptrdiff_t>(index) * stride;
    };
    long double* const basis = column(n);  // Phi_0..Phi_n, then V_1..V_n, y
    long double* const values = column(3 * n + 1);

    FloatingPointFaults faults = 0;
    for (int j = 1; j <= n; ++j) {
        long double* exponentials = column(j - 1);
        const long double negativeRate = -inputs.rate[j];
        for (int i = 0; i < points; ++i)
            exponentials[i] = negativeRate * static_cast<long double>(data.times[i + 1]);
        faults |= extendedExpBlock(exponentials, exponentials, points);
    }
    for (int i = 0; i < points; ++i) {
        basis[i] = 1.0L;
        values[i] = static_cast<long double>(data.values[i + 1]);
    }
    for (int j = 1; j <= n; ++j) {
        const long double* exponentials = column(j - 1);
        long double* target = column(n + j);
        for (int i = 0; i < points; ++i)
            target[i] = exponentials[i];
    }

    // The linear least-squares solve at these rates.
    HouseholderFactors linear;
    householderFactor(basis, stride, 0, points, n + 1, n + 1, kIndependenceTolerance, linear);
    applyHouseholderTranspose(basis, stride, points, linear, values);
    householderSolve(basis, stride, linear, 2 * n + 1, slot.coefficients);
    for (int j = 0; j <= n; ++j)
        slot.dependent[j] = !linear.independent[j];

    // Residuals in the model's order.
    const long double* a = slot.coefficients;
    long double sum = 0.0L;
    for (int i = 0; i < points; ++i) {
        long double model = a[0] + a[1] * column(0)[i];
        for (int j = 2; j <= n; ++j)
            model = model + a[j] * column(j - 1)[i];
        const long double r = static_cast<long double>(data.values[i + 1]) - model;
        sum = sum + r * r;
    }
    slot.sumOfSquares = sum;

    // Kaufman's Jacobian, V_j = a*_j x w_j E_j, projected and reduced.
    for (int j = 1; j <= n; ++j) {
        const long double* exponentials = column(j - 1);
        long double* derivative = column(2 * n + j);
        const long double weight = a[j] * inputs.rate[j];
        for (int i = 0; i < points; ++i)
            derivative[i] = weight * static_cast<long double>(data.times[i + 1]) * exponentials[i];
        applyHouseholderTranspose(basis, stride, points, linear, derivative);
    }
    HouseholderFactors jacobian;
    long double* const derivatives = column(2 * n + 1);
    householderFactor(derivatives, stride, linear.rank, points, n, n + 1, kIndependenceTolerance,
                      jacobian);
    for (int t = 0; t < n; ++t)
        for (int l = 0; l <= n; ++l)
            slot.triangle[t][l] = triangleEntry(derivatives, stride, jacobian, linear.rank + t, l);

    slot.excess = 0.0L;
    slot.change = 0.0L;
    if (inputs.judged != nullptr)
        judgeCoefficients(basis, stride, linear, inputs.judged, curve, n, slot);
    slot.faults = faults | raisedFloatingPointFaults();
    clearFloatingPointFaults();
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

    auto pass = [&inputs](int curve) { projectCurve(curve, inputs, curveSlots[curve]); };
    parallelFor(1, curves, pass);
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
