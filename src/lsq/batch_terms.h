// The terms that one batch of a curve's points adds to the curve's
// subtotals (curve_subtotals.h), one kernel per kind of entry. The pass over
// a curve (curve_subtotals.cpp) first forms the batch's residuals, then
// calls the kernels of the parts it forms.
//
// Order of operations of every term (x = times[i] widened to extended, r the
// residual, A[m] = V[amplitudeIndex(c, m)] of the table's parameter vector
// V, products and sums read left to right; `-A*x` is the negated amplitude
// times x; E, D, the pairs and the rate block's exponentials as in
// exponential_batch.h):
//   model = Y0 + A[1]*E[1], then model = model + A[m]*E[m] for m = 2..n
//           (exponentialSum, evaluateModelAtPoint's own order)
//   r     = values[i] (widened) - model
//   step 1   [j][1]: E[j-1]
//            [j][l]: pair[j-1][l-1]
//   step 2   [m][1]: ((-A[m]) * x) * D[m]
//            [m][j]: (((-A[m]) * x) * E[j-1]) * D[m]                 j != m+1
//          [m][m+1]: ((((-A[m]) * x) * E[m]) * D[m]) - ((r * x) * E[m])
//   step 3   [m][l]: ((A[m] * A[l]) * (x * x)) * rate[m][l]
//   step 4      [m]: subtotal = subtotal - ((((r * A[m]) * x) * D[m]) * (1 - (x * w[m])))
//   gradient    [1]: r
//               [j]: r * E[j-1]
//         rate [m]: (((r * (-1)) * x) * A[m]) * D[m]
//   sum            : subtotal = subtotal + r * r
// Every subtotal other than step 4's adds its term: subtotal = subtotal + term.
// The exponentials and x * w[m] of a point are the same values whichever
// curve of its time axis forms them, and a product formed once per point or
// once per use is the same value.
//
// Within a batch the pass first forms every point's residual, then runs
// through the batch's points once per subtotal, which a kernel holds
// in a register meanwhile: each subtotal still adds its terms in increasing
// point order, and is read and written once per batch instead of once per
// point.
#pragma once

#include "lsq/curve_subtotals.h"

namespace quorvane {

// What the kernels read of one batch of one curve's points. The kernels
// take it by value: a copy of their own, which none of their stores can
// change, so that its fields stay in registers.
struct PassBatch {
    int n;
    int count;
    const long double* exponentials;  // the rows of the batch (ExponentialBatch::values)
    const double* times;              // times[i]: the batch's point i
    const long double* residual;      // r of point i
    const long double* coefficients;  // [0] the offset Y0, [m] the amplitude A[m]
    const long double (*amplitudeProduct)[kMaxComponents + 1];  // [m][l] = A[m] * A[l], l <= m

    const long double* row(int r) const { return exponentials + r * count; }
    long double time(int i) const { return static_cast<long double>(times[i]); }
};

// residual[i] = values[i] (widened) - model, for the batch's points.
void formResiduals(const PassBatch batch, const double* values, long double* residual);

// Steps 1 to 4 of the normal matrix; step 1 not with coefficientBlockShared.
void addMatrixTerms(const PassBatch batch, bool coefficientBlockShared, CurveSubtotals& subtotals);

// The gradient entries of the curve and its parts of the log-rate entries.
void addGradientTerms(const PassBatch batch, CurveSubtotals& subtotals);

// sum + r*r over the batch's points, in increasing order.
long double addSquaredResiduals(const PassBatch batch, long double sum);

}  // namespace quorvane
