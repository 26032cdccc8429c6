// The variable projection of a fit with an instrument response
// (response_model.h): at given log-rates and response parameters every
// curve's offset, amplitudes and step amplitude are the exact linear
// least-squares solution, and what is left to fit are the log-rates and the
// fitted response parameters.
//
// A group of curves with one basis (the curves of one time axis when the
// dispersion is off, otherwise every curve alone, since its time zero is its
// own) has the basis
//   Phi = [1, c_1, ..., c_n (, c_0)]    c_j: rate w_j, c_0: the step,
// its columns and their analytic derivatives formed by responseColumn, and
// the Householder QR Phi = Q_B [R_B; 0] with the rank test of
// householder_qr.h. Curve c of the group has a*_c from Q_B^T y_c, and its
// residual r_c = y_c - model(a*_c) in the model's order, so that its sum of
// squares equals responseSumOfSquares() at these parameters.
//
// The Jacobian of the projected residual is Kaufman's, J_c = -P (dPhi/dx)
// a*_c, P the projection onto the orthogonal complement of span Phi; it gives
// the exact gradient J^T r (the dropped term is orthogonal to r). Its
// columns, before P:
//   log-rate j    -a_j dc_j/dlogRate
//   centre        -sum over the basis columns l of a_l dc_l/dmu
//   FWHM          -sum over l of a_l dc_l/dsigma / kFwhmPerWidth
//   c_i           p_c^i times the centre's column
// P applied as rows rank(Phi).. of Q_B^T; with r_c = rows rank(Phi).. of
// Q_B^T y_c beside them, the Householder QR of [J_c | r_c] leaves curve c's
// p x (p+1) triangle, and the triangles of curves 1..C, stacked in curve
// order, are reduced once more to the R and Q^T r of the whole fit. The
// results do not depend on the thread count nor on which curves share a
// basis: every curve is worked by the same formulas on the same numbers.
//
// Floating-point faults never escape: a pass that raises one is reported as
// not valid with its faults, and the calling thread's flags are left clear.
#pragma once

#include "fit/curve_projection.h"
#include "fit/response_model.h"

namespace quorvane {

struct ResponseProjection {
    // The fields of the plain projection, with `system` of size n + the
    // fitted response parameters; coefficientExcess and coefficientChange
    // count the step amplitudes too.
    Projection projection;
    long double stepCoefficient[kMaxCurves + 1] = {};
};

// Projects at x (the n log-rates, then the fitted response parameters of
// `model`; the fixed ones are the model's). judged: a vector in the layout of
// ParameterVector whose offsets and amplitudes (and the model's step
// amplitudes) are compared with a*, or nullptr. A width that is not
// positive, or a log-rate whose time constant exp(-logRate) overflows,
// gives a result that is not valid.
void projectWithResponse(const ResponseModel& model, const long double* x,
                         const long double* judged, ResponseProjection& result);

}  // namespace quorvane
