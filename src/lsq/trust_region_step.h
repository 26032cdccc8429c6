// The step of a Levenberg–Marquardt iteration with a trust region and
// scaling, in the manner of Moré ("The Levenberg-Marquardt algorithm:
// implementation and theory", 1978; MINPACK's lmpar), for a few parameters
// in extended precision.
//
// The residuals r(x) of the current point and their Jacobian J enter through
// the triangle of J = Q R and the vector Q^T r (its first `size` entries):
// for a step p, ||r + J p||^2 = ||R p + qtr||^2 + (what lies outside the
// span of J). R may be rank-deficient; a dependent column has a zero row
// and a zero diagonal.
//
// trustRegionStep finds lambda >= 0 and p = argmin ||R p + qtr||^2 +
// lambda ||D p||^2 such that either lambda = 0 and ||D p|| <= 1.1 radius
// (the Gauss–Newton step, of minimum length among the basic solutions when
// R is singular), or | ||D p|| - radius | <= 0.1 radius, found by Moré's
// safeguarded Newton iteration on lambda (at most 10 solves), starting from
// the lambda of the previous step. Each damped solve reduces [R; sqrt(lambda)
// D] with the right-hand side [-qtr; 0] by Givens rotations.
#pragma once

#include "data/workspace.h"

namespace quorvane {

// The most parameters of one fit: the log-rates of the components and the
// few of an instrument response (its centre, width and dispersion).
inline constexpr int kMaxTrustRegionParameters = kMaxComponents + 6;

// R and Q^T r of a point, 0-based, size = number of parameters (at most
// kMaxTrustRegionParameters).
struct TrustRegionSystem {
    int size = 0;
    long double triangle[kMaxTrustRegionParameters][kMaxTrustRegionParameters] = {};
    long double projectedResidual[kMaxTrustRegionParameters] = {};
};

// scale: D, every entry > 0. lambda: in, the previous value (0 at first);
// out, the value of this step. step: out, p.
void trustRegionStep(const TrustRegionSystem& system, const long double* scale, long double radius,
                     long double& lambda, long double* step);

// ||v||, ||D v|| and ||R v||, each sum of squares formed in index order.
long double euclideanNorm(const long double* v, int size);
long double scaledNorm(const long double* scale, const long double* v, int size);
long double triangleTimesNorm(const TrustRegionSystem& system, const long double* v);

// Euclidean norm of column j of R, that is of column j of J.
long double jacobianColumnNorm(const TrustRegionSystem& system, int column);

// R^T qtr = J^T r: the gradient of half the sum of squares, entry j.
long double halfGradient(const TrustRegionSystem& system, int column);

}  // namespace quorvane
