// The variable projection of the global fit: at given log-rates k_1..k_n
// every curve's offset and amplitudes are the exact linear least-squares
// solution, and what is left to fit are the n log-rates alone.
//
// Curve c with points (x_i, y_i), i = 1..Q, has the basis
//   Phi = [1, E_1, ..., E_n],  E_j[i] = exp(-w_j x_i),  w_j = exp(k_j),
// each exponential formed as the model forms it (extendedExp of (-w_j) x_i,
// extendedExpBlock for a column). Its coefficients a* = (offset,
// A_1..A_n) minimise ||y - Phi a||: Householder QR of Phi in extended
// precision with the rank test of householder_qr.h (tolerance
// kIndependenceTolerance); a component whose column depends on the columns
// before it gets amplitude 0 in that curve and is reported as
// indistinguishable. The residual r = y - model(a*) is formed point by point
// in the model's order (offset + A_1 E_1, then + A_j E_j), so that its sum of
// squares equals sumSquaredResiduals() at these parameters.
//
// The Jacobian of the projected residuals with respect to the log-rates is
// Kaufman's: column j = P (a*_j x w_j E_j), with P the projection onto the
// orthogonal complement of the basis (dE_j/dk_j = -x w_j E_j). It gives the
// exact gradient J^T r. Each curve reduces [J_c | r_c] to an n x (n+1)
// triangle (Householder QR continued below the rank of its basis); the
// triangles of curves 1..C, stacked in increasing curve order, are reduced
// once more to the R and Q^T r of the whole fit. Curves are worked on by the
// thread pool, one task each, and combined in curve order afterwards, so
// the results do not depend on the thread count.
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

// Projects at logRates[1..n] with the workspace's componentCount n,
// curveCount and curves. judged: a vector in the layout of ParameterVector
// whose offsets and amplitudes are compared with a*, or nullptr.
void projectCurves(const long double* logRates, const long double* judged, Projection& result);

// Writes a* and the log-rates into ParameterVector (offsetIndex,
// amplitudeIndex, rateIndex 1..n).
void storeProjection(const Projection& projection, const long double* logRates);

}  // namespace quorvane
