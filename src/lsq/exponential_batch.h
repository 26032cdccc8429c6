// The exponentials of the curve passes (curve_subtotals.h), formed for a
// batch of consecutive points of one time axis at a time.
//
// The exponentials of a point, E_m = exp(-x*w[m]), D_m = exp(k[m] - x*w[m]),
// the pair exponentials and the rate block's exponentials, depend on its
// time x and the log-rates only, never on the curve, so the curves of one
// time axis (data/time_axes.h) can share a batch (curve_passes.cpp). Each
// value is computed exactly as the direct, entry-by-entry evaluation
// computes it:
//   E[m]        = expl((-w[m]) * x)                       (exponential_sum.h)
//   D[m]        = expl(k[m] - (x * w[m]))
//   pair[a][b]  = expl((-(w[b] + w[a])) * x)              b <= a
//   rate[m][l]  = expl((k[m] + k[l]) - (x * (w[m] + w[l])))    l <= m
// with x = times[i] widened to extended and expl taken through
// extendedExpBlock, which equals it bit for bit.
#pragma once

#include "data/workspace.h"
#include "lsq/curve_parts.h"

namespace quorvane {

// Quantities of the shared log-rates that every point of every curve uses,
// taken once per build (or sum) from the parameter vector V it works on
// (ParameterVector, or trialVector for the trial sum). exp is deterministic,
// so w[m] = expl(k[m]) taken once equals w[m] taken anew at every use.
struct RateTable {
    const long double* parameters;            // V, also the source of the offsets and amplitudes
    int componentCount;                       // n
    int curveCount;                           // C
    long double logRate[kMaxComponents + 1];  // k[m] = V[rateIndex(m)]
    long double rate[kMaxComponents + 1];     // w[m] = expl(k[m])
    // For l <= m: w[l] + w[m] and k[m] + k[l] (addition is commutative in
    // IEEE arithmetic, so one table serves both written orders).
    long double rateSum[kMaxComponents + 1][kMaxComponents + 1];
    long double logRateSum[kMaxComponents + 1][kMaxComponents + 1];

    ParameterLayout layout() const { return ParameterLayout{componentCount, curveCount}; }
};

// Fills the table from `parameters` with the current componentCount and
// curveCount. The caller guarantees 0 <= componentCount <= 9. An overflowing
// rate raises the calling thread's flags.
void prepareRateTable(RateTable& table, const long double* parameters);

// Points per batch.
inline constexpr int kBatchPoints = 64;

// Rows of a batch, each holding one kind of value for the batch's points:
// E_m (m = 1..n) for every part; D_m and x*w[m] for the matrix and the
// gradient; the pairs (b <= a) and the rate block's (l <= m) for the
// matrix. Row r of a batch of `count` points holds point first+i at
// values[r*count + i], rows in this order: E, D, x*w, then the pairs [a][b]
// and the rate block's [m][l], each triangle row by row.
int exponentialRowCount(int componentCount, unsigned parts);
inline constexpr int kMaxExponentialRows =
    3 * kMaxComponents + kMaxComponents * (kMaxComponents + 1);

inline int triangleIndex(int row, int column) {
    return row * (row - 1) / 2 + (column - 1);
}
inline int decayRow(int m) {
    return m - 1;
}
inline int rateDerivativeRow(int n, int m) {
    return n + m - 1;
}
inline int xTimesRateRow(int n, int m) {
    return 2 * n + m - 1;
}
inline int pairRow(int n, int a, int b) {
    return 3 * n + triangleIndex(a, b);
}
inline int ratePairRow(int n, int m, int l) {
    return 3 * n + n * (n + 1) / 2 + triangleIndex(m, l);
}

// The exponentials of points first..first+count-1 (count <= kBatchPoints)
// of one time axis, for the parts they were formed for, with the faults
// forming them raised, charged to each part that uses them: E_m to every
// part, D_m and x*w[m] to the matrix and the gradient, the pairs and the
// rate block's to the matrix.
struct ExponentialBatch {
    int count;
    const long double* values;
    PartFaults faults;

    const long double* row(int r) const { return values + r * count; }
};

// Forms the rows of `parts` for points first..first+count-1 of `times` into
// `storage` (at least exponentialRowCount * count values) and describes them
// in `batch`. Expects the calling thread's fault flags clear and leaves them
// clear; the faults are in `batch`.
void formExponentialBatch(const double* times, int first, int count, const RateTable& table,
                          unsigned parts, long double* storage, ExponentialBatch& batch);

}  // namespace quorvane
