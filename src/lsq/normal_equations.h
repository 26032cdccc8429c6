// The damped normal equations of one Levenberg–Marquardt iteration, built
// from closed-form derivatives of the model (the Jacobian is never stored).
//
// Symbols (1-based): n = componentCount, C = curveCount, s = (n+1)C,
// N = s + n; p(c,j) = (c-1)(n+1) + j, so that p(c,1) = offsetIndex(c),
// p(c,1+m) = amplitudeIndex(c, m) and s+m = rateIndex(m); Y0 = V[p(c,1)],
// A[c][m] = V[p(c,1+m)], k[m] = V[s+m], w[m] = exp(k[m]); for point i of
// curve c: x = times[i], r = values[i] - evaluateModelAtPoint(c, i),
// E_m = exp(-x*w[m]), D_m = exp(k[m] - x*w[m]) (one exponential of the
// difference).
//
// Every sum is an extended accumulator starting at 0 over the points in
// increasing order; sums over all curves add per-curve subtotals in curve
// order. The entry formulas and their order of operations are written out in
// batch_terms.h (the terms of one pass per curve, curve_subtotals.h), their
// assembly over the curves in normal_equations.cpp.
#pragma once

namespace quorvane {

// Fills the leading N x N square of normalMatrix: per-curve blocks, the
// rate-by-coefficient block (with its residual term on the own amplitude),
// the rate block with the second-order correction of its diagonal, the
// mirror, and the damping of the diagonal by (lambda + 1). The square is
// cleared first, so entries coupling two curves are always 0. Throws
// QuorvaneError on a floating-point fault (tested once, at the end) and when
// componentCount is outside 0..9 or N exceeds 300 (before anything changes).
// The curves are worked on by the thread pool, one pass per curve that also
// forms the gradient and the current sum of squares (curve_passes.h; curves
// on one time axis share their exponentials); both are kept for
// buildGradientVector and sumSquaredResiduals (lsq/build_results.h). The
// results do not depend on the thread count.
void buildNormalMatrix();

// Fills gradientVector[1..N]: sum of residual times model derivative. Takes
// the gradient the last build formed when the inputs are the build's
// (build_results.h), else forms it on the thread pool; the same bits either
// way, and the same fault (thrown after every entry is written).
void buildGradientVector();

}  // namespace quorvane
