// The standard errors of a fit, for both methods, at the result: from the
// Jacobian of the variable projection at the result's nonlinear parameters
// (the one the convergence verdict judges, curve_projection.h and, with the
// instrument response, response_projection.h).
//
// All N fitted parameters are the nonlinear ones x (the n log-rates, then
// the response's fitted parameters in the order of response_model.h) and
// the linear ones a (every curve's offset, amplitudes and, with the step,
// its step amplitude). The full Jacobian of the model is J = [J_x, Phi]:
// Phi the block-diagonal basis (curve c's block Phi_c, its columns 1,
// c_1..c_n (, c_0)) and J_x = dPhi/dx a at the result. With m points and S
// the least sum of squares at x,
//   covariance = s^2 (J^T J)^-1,   s^2 = S / (m - N).
// Partitioned by blocks, with D = Phi^T Phi (per curve Phi_c^T Phi_c),
//   (J^T J)^-1 = [ K              -K H^T          ]
//                [ -H K     D^-1 + H K H^T ],
//   K = (J_x^T P J_x)^-1 = (R^T R)^-1,   H = D^-1 Phi^T J_x,
// P the projection onto the complement of span Phi: K is the projection's
// own (R^T R)^-1 (response_covariance.h), and H_c = Phi_c^+ J_x,c, the
// least-squares coefficients of the unprojected Jacobian columns on the
// basis, from the Householder QR Phi_c = Q_c R_c: H_c = R_c^-1 (Q_c^T J_x,c).
// Hence, for coefficients l and m of curve c (h_l the row l of H_c),
//   cov(a_cl, a_cm) = s^2 ((R_c^-1 R_c^-T)_lm + h_l^T K h_m),
// the first term the variance with x known, the second the rates' share.
// The time constants t_j = exp(-logRate_j) have SE(t_j) = t_j SE(logRate_j)
// (first order), and the correlation of ln t_i and ln t_j is that of the
// log-rates, K_ij / sqrt(K_ii K_jj).
//
// Refused, with a message and no numbers, when m - N <= 0, when the
// projection at the result faults, and when the data do not determine a
// parameter (a basis column dependent on the others, a zero pivot of R):
// "cannot be told apart", as the verdict says. Reads the workspace and
// responseModel, writes nothing; leaves the floating-point flags clear.
#pragma once

#include <string>

#include "data/workspace.h"
#include "lsq/trust_region_step.h"

namespace quorvane {

struct StandardErrors {
    bool valid = false;
    std::string message;  // why there are none, when not valid
    int componentCount = 0;
    int responseCount = 0;                              // fitted response parameters
    long pointCount = 0;                                // m
    int parameterCount = 0;                             // N
    long double residualVariance = 0.0L;                // s^2
    long double logRate[kMaxComponents + 1] = {};       // [j], j = 1..n
    long double timeConstant[kMaxComponents + 1] = {};  // [j]
    // Correlation of ln t_i and ln t_j, [i][j], i, j = 1..n.
    long double correlation[kMaxComponents + 1][kMaxComponents + 1] = {};
    // [c][0] the offset's, [c][j] amplitude j's, c = 1..C.
    long double coefficient[kMaxCurves + 1][kMaxComponents + 1] = {};
    long double stepAmplitude[kMaxCurves + 1] = {};  // with the step
    // s^2 times curve c's block of (J^T J)^-1: [c][l][m], l, m = 0..n (0 the
    // offset, j amplitude j) and n+1 the step amplitude with the step. Its
    // diagonal, before the root, gives coefficient[c] and stepAmplitude[c].
    long double coefficientCovariance[kMaxCurves + 1][kMaxComponents + 2][kMaxComponents + 2] = {};
    // The fitted response parameters', in the vector order.
    long double response[kMaxTrustRegionParameters] = {};
};

// At the workspace's current fit; never throws for data the fit took.
StandardErrors computeStandardErrors();

}  // namespace quorvane
