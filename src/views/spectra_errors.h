// The standard errors that the differential spectra window draws as error
// bars (fit/standard_errors.h), for both readings of the fit.
//
// Decay-associated: the amplitude k of curve c has SE coefficient[c][k].
//
// Evolution-associated (fit/evolution_spectra.h): for every curve the EAS
// are a linear map of its DAS, EAS_c = M das_c, das_c in species order (the
// step amplitude, with the response's step, as the last species). M is the
// back substitution evolutionFromDecay; its column j is that substitution
// applied to the unit vector e_j. With C_c the covariance of curve c's
// amplitudes in the same order (coefficientCovariance),
//   var(EAS_ci) = sum_j sum_l M_ij (C_c)_jl M_il,
// summed in ascending j, each inner sum in ascending l, and SE = its root.
// First order, like the standard errors themselves: the time constants'
// own uncertainty enters through C_c (the rates' share), not through M.
#pragma once

#include <vector>

#include "fit/evolution_spectra.h"
#include "fit/standard_errors.h"

namespace quorvane {

// SE(EAS_ci), i = 1..n in species order (index i-1), of curve `curve`; the
// scheme is that of the fit whose errors are given (fittedSequentialScheme).
std::vector<long double> evolutionStandardErrors(const SequentialScheme& scheme,
                                                 const StandardErrors& errors, int curve);

}  // namespace quorvane
