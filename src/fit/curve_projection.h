// The variable projection of the global fit: at given log-rates k_1..k_n
// every curve's offset and amplitudes are the exact linear least-squares
// solution, and what is left to fit are the n log-rates alone.
//
// A time axis x_1..x_Q (data/time_axes.h: the curves with the same times)
// has the basis
//   Phi = [1, E_1, ..., E_n],  E_j[i] = exp(-w_j x_i),  w_j = exp(k_j),
// each exponential formed as the model forms it (lsq/exponential_sum.h;
// extendedExpBlock for a column), and its Householder QR Phi = Q_B [R_B; 0]
// in extended precision with the rank test of householder_qr.h (tolerance
// kIndependenceTolerance). Curve c on the axis, with values y_c, has the
// coefficients a*_c = (offset, A_1..A_n) that minimise ||y_c - Phi a||: back
// substitution on Q_B^T y_c. A component whose column depends on the columns
// before it gets amplitude 0 and is reported as indistinguishable. The
// residual r_c = y_c - model(a*_c) is formed point by point in the model's
// order (exponentialSum), so that its sum of squares equals
// sumSquaredResiduals() at these parameters.
//
// The Jacobian of curve c's projected residuals with respect to the
// log-rates is Kaufman's: column j = P (a*_{c,j} x w_j E_j), with P the
// projection onto the orthogonal complement of span Phi (dE_j/dk_j =
// -x w_j E_j). It gives the exact gradient J^T r. With a*_c factored out,
//   J_c = U D_c,  U = [U_1 .. U_n],  U_j = P (x w_j E_j),
//   D_c = diag(a*_{c,1}, ..., a*_{c,n}),
// and U belongs to the axis. In the coordinates of Q_B, P keeps rows
// rank(Phi)..Q-1 of Q_B^T (x w_j E_j); their Householder QR, with the same
// rank test, is U = Q_U [R_U; 0]. In those coordinates r_c = P y_c is rows
// rank(Phi)..Q-1 of Q_B^T y_c, and
//   Q_U^T [J_c | r_c] = [R_U D_c | Q_U^T r_c],
// whose rows below n are 0 in the first n columns: scaling R_U's columns
// keeps it triangular. Curve c's n x (n+1) triangle is R_U D_c beside the
// first n entries of Q_U^T r_c, those below the rank of U set to 0 (they lie
// outside the span of J_c). A column U_j that depends on the columns before
// it is the one a*_{c,j} U_j would be for every curve with a*_{c,j} != 0; a
// zero amplitude gives a zero column of that curve's triangle. The
// factorisations, O(Q n^2), are paid once per axis; each curve pays O(Q n):
// the reflections of Q_B and Q_U applied to y_c, and its residual. The
// triangles of curves 1..C, stacked in increasing curve order, are reduced
// once more to the R and Q^T r of the whole fit.
//
// Every curve is worked by the same formulas on the same numbers whether its
// axis is shared (data/time_axes.h) or its own, so the results do not
// depend on which curves share an axis, nor on the thread count: the
// per-curve results are combined in curve order.
//
// Floating-point faults never escape: a pass that raises one (an
// overflowing exponential at negative times, a non-finite value) is reported
// as not valid with its faults, and the calling thread's flags are left
// clear.
#pragma once

#include "data/floating_point.h"
#include "data/workspace.h"
#include "lsq/trust_region_step.h"

namespace quorvane {

// Relative size below which a basis or Jacobian column counts as dependent
// on the columns before it (rates equal to about 13 digits).
inline constexpr long double kIndependenceTolerance = 1e-13L;

// A component whose exponentials all lie below this at the times of an axis
// (1.49e-154, the square root of the smallest normal double) has vanished
// from it: an amplitude that made it show would exceed 1e150, its square the
// doubles. Its basis column counts as 0, so the component is dependent.
inline constexpr long double kVanishedExponential = 1.4916681462400413e-154L;

struct Projection {
    bool valid = false;
    FloatingPointFaults faults = 0;
    // Sum over curves 1..C, in order, of each curve's sum of r*r.
    long double sumOfSquares = 0.0L;
    // R and Q^T r of the log-rates' Jacobian, size n.
    TrustRegionSystem system;
    // a* of curve c: [c][0] the offset, [c][j] the amplitude of component j.
    long double coefficients[kMaxCurves + 1][kMaxComponents + 1] = {};
    // Component j's basis column depended on the others in some curve.
    bool indistinguishable[kMaxComponents + 1] = {};
    // Only when coefficients to judge were given: sum over curves of
    // ||Phi (a - a*)||^2 (how much the sum of squares exceeds its least value
    // at these log-rates), and the largest |a_j - a*_j| / max_l |a*_l| over
    // curves and coefficients (max_l |a*_l| = 1 when it is 0).
    long double coefficientExcess = 0.0L;
    long double coefficientChange = 0.0L;
    // Points of all curves together.
    long pointCount = 0;
};

// What the coefficients' standard errors (standard_errors.h) need of curve
// c's basis, read off the factorisations of its axis (no second QR):
//   inverse[k][l]    = (R_B^-1)_lk: column k of R_B^-1, back substitution
//                      on the unit vector e_k, l, k = 0..n;
//   regression[j][l] = (R_B^-1 (Q_B^T x w_j E_j))_l, j = 0..n-1 for
//                      component j+1: the least-squares coefficients on the
//                      basis of the unscaled derivative directions (rows
//                      0..n of the directions after Q_B^T, which the QR of
//                      U leaves as they are).
// Both only when fullRank, every basis column independent.
struct BasisInverse {
    bool fullRank = false;
    long double inverse[kMaxComponents + 1][kMaxComponents + 1] = {};
    long double regression[kMaxComponents][kMaxComponents + 1] = {};
};

// Projects at logRates[1..n] with the workspace's componentCount n,
// curveCount and curves. judged: a vector in the layout of ParameterVector
// whose offsets and amplitudes are compared with a*, or nullptr. bases:
// when given, bases[c] is filled for c = 1..C, and the projection skips
// what only a step needs: its system's projectedResidual is left 0 (R and
// everything else are the same with or without).
void projectCurves(const long double* logRates, const long double* judged, Projection& result,
                   BasisInverse* bases = nullptr);

// The R and Q^T r of a whole fit from its curves' triangles stacked in
// `stacked`: column l (0..size, size: Q^T r) at stacked + l * max(rows, 1),
// rows 0..rows-1 (curve after curve). Householder QR with the rank test;
// a dependent column keeps a zero row.
void reduceStackedTriangles(long double* stacked, int rows, int size, TrustRegionSystem& system);

// Writes a* and the log-rates into ParameterVector (offsetIndex,
// amplitudeIndex, rateIndex 1..n).
void storeProjection(const Projection& projection, const long double* logRates);

}  // namespace quorvane
