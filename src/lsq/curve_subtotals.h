// The per-curve part of the normal equations, the gradient and the sum of
// squared residuals: one pass over the points of one curve that adds every
// point's term to the subtotal of each entry the curve contributes to.
// buildNormalMatrix and buildGradientVector assemble these subtotals in
// normal_equations.cpp, the sums of squares in curve_passes.cpp
// (sumOfSquaresOn) and normal_equations.cpp (the build's current sum).
//
// The pass takes its exponentials from batches of consecutive points
// (exponential_batch.h), its own or shared by the curves of its time axis;
// it forms, for each point, its residual and its terms (batch_terms.h), and
// uses each exponential for every entry that needs it. Each value is computed exactly
// as the entry-by-entry direct evaluation computes it, and each entry's
// subtotal still adds its terms in increasing point order, so the results
// equal the direct evaluation bit for bit, shared or not. One curve's pass
// reads only the workspace's inputs and the batches, and writes only the
// caller's CurveSubtotals, so curves can be worked on at the same time; the
// caller then adds the subtotals of the shared log-rate entries and of the
// sum in increasing curve order.
//
// Index conventions are those of normal_equations.h: j = 1 is the offset,
// j = 2..n+1 the amplitude of component j-1; m, l = 1..n the components.
#pragma once

#include "data/workspace.h"
#include "lsq/curve_parts.h"
#include "lsq/exponential_batch.h"

namespace quorvane {

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

    // The faults that forming each part on its own would raise
    // (curve_parts.h).
    PartFaults faults;
};

// Adds the terms of points first..last of curve `curve` to the subtotals of
// the parts in `parts` (a combination of CurvePart) and their faults;
// first = 1 starts them at 0, a later first continues what an earlier call
// for the points before it left. The members of other parts are left as they
// are. `shared` (or null) holds the batches of points first, first +
// kBatchPoints, ... formed for `parts` from times that the caller has found
// equal to the curve's, bit for bit; without it the pass forms its batches
// itself. With coefficientBlockShared the pass leaves coefficientBlock as it
// is: it depends on the times alone, and the caller takes it from a curve
// of the same axis (copyCoefficientBlock). Expects the calling thread's
// fault flags clear and leaves them clear; the faults are in `subtotals`.
void accumulateCurveSubtotals(int curve, const RateTable& table, unsigned parts, int first,
                              int last, const ExponentialBatch* shared, bool coefficientBlockShared,
                              CurveSubtotals& subtotals);

// Copies coefficientBlock (step 1) for n components.
void copyCoefficientBlock(int componentCount, const CurveSubtotals& from, CurveSubtotals& to);

}  // namespace quorvane
