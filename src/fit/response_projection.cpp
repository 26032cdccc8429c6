#include "fit/response_projection.h"

#include <cfenv>
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

// ln of the largest extended value, rounded down: exp(-logRate) is finite
// above -this.
constexpr long double kLargestLogTimeConstant = 11356.5L;

// What every group's pass reads besides the workspace and the model.
struct Inputs {
    const ResponseModel* model;
    const long double* judged;
    int n;            // components
    int basisSize;    // m = 1 + n (+ 1 with the step)
    int size;         // p: n log-rates and the fitted response parameters
    int stride;       // rows of a store column: the most points of any curve
    bool wantCentre;  // the centre's column is needed (centre or some c_i fitted)
    long double rate[kMaxComponents + 2];  // [l] of basis column l = 1..m-1
};

// A group's basis store: the columns, `stride` rows each,
//   0..m-1           Phi, factored in place (Q_B, R_B)
//   m..2m-2          c_l of basis columns l = 1..m-1, as formed
//   2m-1..2m+n-2     dc_j/dlogRate, j = 1..n
//   next m-1         dc_l/dmu
//   next m-1         dc_l/dsigma
// and a curve's work store: p+2 columns, [J_c | y_c] of the curve at work
// and the centre's column when only the c_i are fitted.
std::size_t basisStoreSize(const Inputs& in) {
    return static_cast<std::size_t>(4 * in.basisSize - 3 + in.n) *
           static_cast<std::size_t>(in.stride);
}
std::size_t workStoreSize(const Inputs& in) {
    return static_cast<std::size_t>(in.size + 2) * static_cast<std::size_t>(in.stride);
}

struct Layout {
    long double* basis;
    long double* values;
    long double* dLogRate;
    long double* dCentre;
    long double* dWidth;
    long double* work;
};

Layout layoutOf(long double* store, long double* work, const Inputs& in) {
    const std::ptrdiff_t s = in.stride;
    const int m = in.basisSize;
    Layout layout;
    layout.basis = store;
    layout.values = store + m * s;
    layout.dLogRate = layout.values + (m - 1) * s;
    layout.dCentre = layout.dLogRate + in.n * s;
    layout.dWidth = layout.dCentre + (m - 1) * s;
    layout.work = work;
    return layout;
}

long double* column(long double* first, int stride, int index) {
    return first + static_cast<std::ptrdiff_t>(index) * stride;
}

// One curve's results.
struct Slot {
    long double triangle[kMaxTrustRegionParameters][kMaxTrustRegionParameters + 1];
    long double sumOfSquares;
    long double coefficients[kMaxComponents + 2];
    bool dependent[kMaxComponents + 2];
    long double excess;
    long double change;
    FloatingPointFaults faults;
};

Slot slots[kMaxCurves + 1];
long double stacked[kMaxCurves * kMaxTrustRegionParameters * (kMaxTrustRegionParameters + 1)];

// Memory: a basis store for each group at work at one time (43 columns of
// 20000 points, 14 MB, at n = 6 with the step and every response parameter
// fitted), and a work store for each curve at work.
StoreSet basisStores;
StoreSet workStores;

// Forms the basis of `curve`'s times and response, with the derivatives
// wanted, and factors it. Returns the faults of the columns.
FloatingPointFaults formBasis(int curve, const Inputs& in, const GaussianResponse& response,
                              const Layout& at, HouseholderFactors& factors) {
    const ResponseModel& model = *in.model;
    const int points = workspace.pointCount[curve];
    const double* times = workspace.curves[curve].times + 1;
    FloatingPointFaults faults = 0;
    for (int l = 1; l < in.basisSize; ++l) {
        ResponseColumns columns;
        columns.value = column(at.values, in.stride, l - 1);
        if (l <= in.n)
            columns.dLogRate = column(at.dLogRate, in.stride, l - 1);
        if (in.wantCentre)
            columns.dCentre = column(at.dCentre, in.stride, l - 1);
        if (model.fitFwhm)
            columns.dWidth = column(at.dWidth, in.stride, l - 1);
        faults |= responseColumn(in.rate[l], response, times, points, columns);
        long double* basisColumn = column(at.basis, in.stride, l);
        for (int i = 0; i < points; ++i)
            basisColumn[i] = columns.value[i];
    }
    for (int i = 0; i < points; ++i)
        at.basis[i] = 1.0L;
    householderFactor(at.basis, in.stride, 0, points, in.basisSize, in.basisSize,
                      kIndependenceTolerance, factors);
    return faults;
}

// The Jacobian's columns of curve c into the work panel, before P.
void formJacobian(int curve, const Inputs& in, const Layout& at, const long double* a) {
    const ResponseModel& model = *in.model;
    const int points = workspace.pointCount[curve];
    const int s = in.stride;
    const int n = in.n;
    for (int j = 1; j <= n; ++j) {
        const long double* derivative = column(at.dLogRate, s, j - 1);
        long double* out = column(at.work, s, j - 1);
        for (int i = 0; i < points; ++i)
            out[i] = -(a[j] * derivative[i]);
    }
    int p = n;
    long double* centreColumn = nullptr;
    if (in.wantCentre) {
        // Where the centre's column goes; when the centre itself is fixed
        // it is only the base of the c_i's, kept after [J_c | y_c].
        const int index = model.fitCentre ? p++ : in.size + 1;
        centreColumn = column(at.work, s, index);
        for (int i = 0; i < points; ++i) {
            long double sum = 0.0L;
            for (int l = 1; l < in.basisSize; ++l)
                sum = sum + a[l] * column(at.dCentre, s, l - 1)[i];
            centreColumn[i] = -sum;
        }
    }
    if (model.fitFwhm) {
        long double* out = column(at.work, s, p++);
        for (int i = 0; i < points; ++i) {
            long double sum = 0.0L;
            for (int l = 1; l < in.basisSize; ++l)
                sum = sum + a[l] * column(at.dWidth, s, l - 1)[i];
            out[i] = -sum / kFwhmPerWidth;
        }
    }
    long double power = 1.0L;
    for (int order = 1; order <= model.order; ++order) {
        power = power * model.dispersionVariable[curve];
        if (!model.fitDispersion[order])
            continue;
        long double* out = column(at.work, s, p++);
        for (int i = 0; i < points; ++i)
            out[i] = power * centreColumn[i];
    }
}

// The coefficients to judge with the step amplitude after the amplitudes.
void judge(int curve, const Inputs& in, const Layout& at, const HouseholderFactors& factors,
           Slot& slot) {
    long double judged[kMaxComponents + 2];
    for (int j = 0; j <= in.n; ++j)
        judged[j] = in.judged[offsetIndex(curve) + j];
    if (in.model->step)
        judged[in.basisSize - 1] = in.model->stepAmplitude[curve];
    judgeCoefficients(at.basis, in.stride, factors, judged, slot.coefficients, in.basisSize,
                      slot.excess, slot.change);
}

// Curve c's pass on the factored basis of its group.
void projectCurve(int curve, const Inputs& in, const Layout& at, const HouseholderFactors& basis,
                  Slot& slot) {
    const int points = workspace.pointCount[curve];
    const int s = in.stride;
    const int n = in.n;
    const int m = in.basisSize;
    const int p = in.size;
    const double* values = workspace.curves[curve].values + 1;
    long double* const y = column(at.work, s, p);
    for (int i = 0; i < points; ++i)
        y[i] = static_cast<long double>(values[i]);
    applyHouseholderTranspose(at.basis, s, points, basis, y);
    householderSolve(at.basis, s, basis, y, slot.coefficients);
    long double a[kMaxComponents + 2];
    for (int l = 0; l < m; ++l) {
        a[l] = slot.coefficients[l];
        slot.dependent[l] = !basis.independent[l];
    }

    // Residuals in the model's order.
    const long double* columns[kMaxComponents + 2];
    for (int l = 1; l < m; ++l)
        columns[l] = column(at.values, s, l - 1);
    long double sum = 0.0L;
    for (int i = 0; i < points; ++i) {
        long double model = exponentialSum(a, n, [&](int j) { return columns[j][i]; });
        if (in.model->step)
            model = model + a[m - 1] * columns[m - 1][i];
        const long double r = static_cast<long double>(values[i]) - model;
        sum = sum + r * r;
    }
    slot.sumOfSquares = sum;

    formJacobian(curve, in, at, a);
    for (int q = 0; q < p; ++q)
        applyHouseholderTranspose(at.basis, s, points, basis, column(at.work, s, q));
    HouseholderFactors jacobian;
    householderFactor(at.work, s, basis.rank, points, p, p + 1, kIndependenceTolerance, jacobian);
    for (int t = 0; t < p; ++t) {
        const bool inside = t < jacobian.rank;
        for (int l = 0; l <= p; ++l)
            slot.triangle[t][l] =
                inside ? triangleEntry(at.work, s, jacobian, basis.rank + t, l) : 0.0L;
    }

    slot.excess = 0.0L;
    slot.change = 0.0L;
    if (in.judged != nullptr)
        judge(curve, in, at, basis, slot);
}

// The stacked triangles of curves 1..C reduced to the whole fit's R, Q^T r.
void combineTriangles(int curves, int p, TrustRegionSystem& system) {
    const int rows = curves * p;
    const int stride = rows > 0 ? rows : 1;
    for (int c = 1; c <= curves; ++c)
        for (int t = 0; t < p; ++t)
            for (int l = 0; l <= p; ++l)
                stacked[l * stride + (c - 1) * p + t] = slots[c].triangle[t][l];
    reduceStackedTriangles(stacked, rows, p, system);
}

}  // namespace

void projectWithResponse(const ResponseModel& fixed, const long double* x,
                         const long double* judged, ResponseProjection& result) {
    const int n = workspace.componentCount;
    const int curves = workspace.curveCount;
    ResponseModel model = fixed;
    responseParametersFromVector(x + n, model);
    result.projection = Projection{};
    if (!(model.fwhm > 0.0L) || !std::isfinite(model.fwhm)) {
        result.projection.faults = FE_INVALID;
        return;
    }
    // A rate that underflows to 0 makes its column the step, a fit that
    // would go on towards a time constant that no number holds.
    for (int j = 0; j < n; ++j) {
        if (!(x[j] > -kLargestLogTimeConstant)) {
            result.projection.faults = FE_OVERFLOW;
            return;
        }
    }

    clearFloatingPointFaults();
    Inputs in;
    in.model = &model;
    in.judged = judged;
    in.n = n;
    in.basisSize = n + 1 + (model.step ? 1 : 0);
    in.size = n + fittedResponseParameterCount(model);
    in.wantCentre = model.fitCentre;
    for (int i = 1; i <= model.order; ++i)
        in.wantCentre = in.wantCentre || model.fitDispersion[i];
    for (int j = 1; j <= n; ++j)
        in.rate[j] = decayRate(x[j - 1]);
    in.rate[n + 1] = 0.0L;
    const FloatingPointFaults rateFaults = takeFloatingPointFaults();

    // The groups: with the dispersion off the curves of one time axis share
    // their basis, its first curve forming it; each curve checks its times.
    int groupOf[kMaxCurves + 1] = {};
    int firsts[kMaxCurves + 1] = {};
    int groupCount = 0;
    int longest = 1;
    const TimeAxes* axes = model.order == 0 ? &timeAxes() : nullptr;
    for (int c = 1; c <= curves; ++c) {
        longest = workspace.pointCount[c] > longest ? workspace.pointCount[c] : longest;
        const int first = axes != nullptr ? axes->representative[c] : c;
        if (first != c && groupOf[first] != 0 && sameTimes(first, c)) {
            groupOf[c] = groupOf[first];
        } else {
            firsts[++groupCount] = c;
            groupOf[c] = groupCount;
        }
    }
    in.stride = longest;

    // Groups of several curves (a shared time axis) form their basis in
    // turn, their curves spread over the threads; groups of one curve each
    // (the dispersion on) run one task each, basis and curve.
    const int threads = parallelThreadCount();
    if (groupCount < curves) {
        basisStores.prepare(1, basisStoreSize(in));
        workStores.prepare(threads < curves ? threads : curves, workStoreSize(in));
        for (int group = 1; group <= groupCount; ++group) {
            int members[kMaxCurves];
            int memberCount = 0;
            for (int c = firsts[group]; c <= curves; ++c)
                if (groupOf[c] == group)
                    members[memberCount++] = c;
            const Layout shared = layoutOf(basisStores.data(0), nullptr, in);
            HouseholderFactors basis;
            clearFloatingPointFaults();
            const FloatingPointFaults basisFaults =
                formBasis(firsts[group], in, curveResponse(model, firsts[group]), shared, basis) |
                takeFloatingPointFaults();
            auto curvePass = [&](int index) {
                const int work = workStores.acquire();
                clearFloatingPointFaults();
                Layout at = shared;
                at.work = workStores.data(work);
                const int c = members[index];
                projectCurve(c, in, at, basis, slots[c]);
                slots[c].faults = basisFaults | takeFloatingPointFaults();
                workStores.release(work);
            };
            parallelFor(0, memberCount - 1, curvePass);
        }
    } else {
        const int tasks = threads < groupCount ? threads : groupCount;
        basisStores.prepare(tasks, basisStoreSize(in));
        workStores.prepare(tasks, workStoreSize(in));
        auto groupPass = [&](int group) {
            const int store = basisStores.acquire();
            const int work = workStores.acquire();
            clearFloatingPointFaults();
            const Layout at = layoutOf(basisStores.data(store), workStores.data(work), in);
            const int c = firsts[group];
            HouseholderFactors basis;
            const FloatingPointFaults basisFaults =
                formBasis(c, in, curveResponse(model, c), at, basis) | takeFloatingPointFaults();
            projectCurve(c, in, at, basis, slots[c]);
            slots[c].faults = basisFaults | takeFloatingPointFaults();
            workStores.release(work);
            basisStores.release(store);
        };
        parallelFor(1, groupCount, groupPass);
    }
    clearFloatingPointFaults();

    Projection& out = result.projection;
    out.faults = rateFaults;
    const int m = in.basisSize;
    for (int c = 1; c <= curves; ++c) {
        const Slot& slot = slots[c];
        out.faults |= slot.faults;
        out.sumOfSquares = out.sumOfSquares + slot.sumOfSquares;
        out.coefficientExcess = out.coefficientExcess + slot.excess;
        out.coefficientChange = fmaxl(out.coefficientChange, slot.change);
        out.pointCount += workspace.pointCount[c];
        for (int j = 0; j <= n; ++j) {
            out.coefficients[c][j] = slot.coefficients[j];
            if (j >= 1 && slot.dependent[j])
                out.indistinguishable[j] = true;
        }
        result.stepCoefficient[c] = model.step ? slot.coefficients[m - 1] : 0.0L;
    }
    combineTriangles(curves, in.size, out.system);
    out.faults |= takeFloatingPointFaults();
    out.valid = out.faults == 0 && std::isfinite(out.sumOfSquares);
}

}  // namespace quorvane
