// The (co)variances of the log-rates of a fit with the instrument response,
// as the variance–covariance command shows them for the plain model: the
// log-rate block of the inverse of the undamped Gauss–Newton matrix J^T J of
// every fitted parameter, not scaled by any residual variance. The variable
// projection's R (response_projection.h) holds that matrix with the linear
// coefficients eliminated: R^T R is the Schur complement of the linear
// block in J^T J, whose inverse is the nonlinear block of (J^T J)^-1. So
//   covariance = (R^T R)^-1 = R^-1 R^-T,
// column b by two triangular solves, R^T z = e_b and R w = z; its rows and
// columns 1..n are the log-rates. (The classic command adds second-order
// terms of the log-rates to J^T J; at a minimum they are small.)
#pragma once

#include "data/workspace.h"
#include "lsq/trust_region_step.h"

namespace quorvane {

// The whole block of the fitted nonlinear parameters, in the order of the
// variable projection (the n log-rates, then the response's fitted ones,
// response_model.h): covariance[a][b], a, b = 0..size-1, at the current fit
// (ParameterVector and responseModel); returns size. Throws QuorvaneError
// with the floating-point message of the failing division when R is
// singular (a parameter the data do not determine), or when the projection
// faults.
using ResponseCovariance = long double[kMaxTrustRegionParameters][kMaxTrustRegionParameters];
int responseCovariance(ResponseCovariance& covariance);

// (R^T R)^-1 of any projection's triangle R (size R.size), by the solves
// above; the same throw when a pivot is 0.
void triangleCovariance(const TrustRegionSystem& R, ResponseCovariance& covariance);

// Its log-rate block, [a][b] for a, b = 1..n.
void responseRateCovariance(long double (&covariance)[kMaxComponents + 1][kMaxComponents + 1]);

}  // namespace quorvane
