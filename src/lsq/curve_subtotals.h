// The per-curve part of the normal equations, the gradient and the sum of
// squared residuals: one pass over the points of one curve that adds every
// point's term to the subtotal of each entry the curve contributes to.
// buildNormalMatrix, buildGradientVector and sumSquaredResiduals assemble
// these subtotals (normal_equations.cpp, goodness_of_fit.cpp).
//
// The exponentials of a point, E_m = exp(-x*w[m]), D_m = exp(k[m] - x*w[m]),
// the pair exponentials and the rate block's exponentials, depend on its
// time x and the log-rates only, never on the curve. They are formed for a
// block of consecutive points at a time (formExponentialBlock), and curves
// on one time axis (data/time_axes.h) can share one block; the pass of a
// curve then forms, for each point, its residual and its terms, and uses
// each exponential for every entry that needs it. Each value is computed
// exactly as the entry-by-entry direct evaluation computes it, and each
// entry's subtotal still adds its terms in increasing point order, so the
// results equal the direct evaluation bit for bit, shared or not. One
// curve's pass reads only the workspace's inputs and the blocks, and writes
// only the caller's CurveSubtotals, so curves can be worked on at the same
// time on different threads; the caller then adds the subtotals of the
// shared log-rate entries and of the sum in increasing curve order.
//
// Index conventions are those of normal_equations.h: j = 1 is the offset,
// j = 2..n+1 the amplitude of component j-1; m, l = 1..n the components.
#pragma once

#include "data/floating_point.h"
#include "data/workspace.h"

namespace quorvane {

// Quantities of the shared log-rates that every point of every curve uses,
// taken once per build (or sum) from the parameter vector V it works on
// (ParameterVector, or trialVector for the trial sum). exp is deterministic,
// so w[m] = expl(k[m]) taken once equals w[m] taken anew at every use.
struct RateTable {
    const long double* parameters;            // V, also the source of the offsets and amplitudes
    int componentCount;                       // n
    int curveCount;                           // C
    int rateBase;                             // s = (n+1)C; k[m] = V[s+m]
    long double logRate[kMaxComponents + 1];  // k[m]
    long double rate[kMaxComponents + 1];     // w[m] = expl(k[m])
    // For l <= m: w[l] + w[m] and k[m] + k[l] (addition is commutative in
    // IEEE arithmetic, so one table serves both written orders).
    long double rateSum[kMaxComponents + 1][kMaxComponents + 1];
    long double logRateSum[kMaxComponents + 1][kMaxComponents + 1];
};

// Fills the table from `parameters` with the current componentCount and
// curveCount. The caller guarantees 0 <= componentCount <= 9. An overflowing
// rate raises the calling thread's flags.
void prepareRateTable(RateTable& table, const long double* parameters);

// Which results one pass forms; any combination.
enum CurvePart : unsigned {
    kMatrixPart = 1,    // steps 1 to 4 of the normal matrix
    kGradientPart = 2,  // the gradient entries
    kSumPart = 4,       // the sum of squared residuals
};

// Subtotals of one curve c, each an extended sum over its points in
// increasing order, starting at 0.
struct CurveSubtotals {
    // Step 1, [j][l] for j = 2..n+1, l = 1..j: sum of E_{j-1} (l = 1) and of
    // exp(-x*(w[l-1] + w[j-1])) (l >= 2). [1][1], the point count, is not
    // accumulated.
    long double coefficientBlock[kMaxComponents + 2][kMaxComponents + 2];
    // Step 2, [m][j] for m = 1..n, j = 1..n+1: entry [s+m][p(c,j)].
    long double rateByCoefficient[kMaxComponents + 1][kMaxComponents + 2];
    // Step 3, [m][l] for l <= m: this curve's part of entry [s+m][s+l].
    long double rateBlock[kMaxComponents + 1][kMaxComponents + 1];
    // Step 4: this curve's part of S[m], each point's term subtracted.
    long double secondOrder[kMaxComponents + 1];
    // Gradient, j = 1..n+1: entry p(c,j).
    long double coefficientGradient[kMaxComponents + 2];
    // Gradient: this curve's part of entry s+m.
    long double rateGradient[kMaxComponents + 1];
    // Sum of r*r over the points.
    long double sumOfSquares;

    // The fault flags (floating_point.h) that forming each part on its own
    // would raise: a value shared by several parts (a residual, E_m, D_m)
    // counts for each part that uses it.
    FloatingPointFaults matrixFaults;
    FloatingPointFaults gradientFaults;
    FloatingPointFaults sumFaults;
};

// Points per block of exponentials.
inline constexpr int kBlockPoints = 64;

// Rows of a block, each holding one kind of value for the block's points:
// E_m (m = 1..n) for every part; D_m and x*w[m] for the matrix and the
// gradient; the pairs exp(-x*(w[a] + w[b])) (b <= a) and the rate block's
// exp((k[m] + k[l]) - x*(w[m] + w[l])) (l <= m) for the matrix.
int exponentialRowCount(int componentCount, unsigned parts);
inline constexpr int kMaxExponentialRows =
    3 * kMaxComponents + kMaxComponents * (kMaxComponents + 1);

// The exponentials of points first..first+count-1 (count <= kBlockPoints)
// of one time axis, for the parts they were formed for. Row r holds point
// first+i at values[r*count + i].
struct ExponentialBlock {
    int count;
    const long double* values;
    // The faults forming these values raised, charged to each part that uses
    // them: E_m to every part, D_m and x*w[m] to the matrix and the
    // gradient, the pairs and the rate block's to the matrix.
    FloatingPointFaults matrixFaults;
    FloatingPointFaults gradientFaults;
    FloatingPointFaults sumFaults;
};

// Forms the rows of `parts` for points first..first+count-1 of `times` into
// `storage` (at least exponentialRowCount * count values) and describes them
// in `block`. Expects the calling thread's fault flags clear and leaves them
// clear; the faults are in `block`.
void formExponentialBlock(const double* times, int first, int count, const RateTable& table,
                          unsigned parts, long double* storage, ExponentialBlock& block);

// Adds the terms of points first..last of curve `curve` to the subtotals of
// the parts in `parts` (a combination of CurvePart) and their fault flags;
// first = 1 starts them at 0, a later first continues what an earlier call
// for the points before it left. The members of other parts are left as they
// are. `shared` (or null) holds the blocks of points first, first +
// kBlockPoints, ... formed for `parts` from times that the caller has found
// equal to the curve's, bit for bit; without it the pass forms its blocks
// itself. With coefficientBlockShared the pass leaves coefficientBlock as it
// is: it depends on the times alone, and the caller takes it from a curve
// of the same axis (copyCoefficientBlock). Expects the calling thread's
// fault flags clear and leaves them clear; the faults are in `subtotals`.
void accumulateCurveSubtotals(int curve, const RateTable& table, unsigned parts, int first,
                              int last, const ExponentialBlock* shared, bool coefficientBlockShared,
                              CurveSubtotals& subtotals);

// Copies coefficientBlock (step 1) for n components.
void copyCoefficientBlock(int componentCount, const CurveSubtotals& from, CurveSubtotals& to);

}  // namespace quorvane
