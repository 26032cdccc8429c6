// The species' concentrations of the sequential scheme of the last fit
// (views/evolution_report.h, fit/evolution_spectra.h), as the main chart
// draws them beside the traces.
//
// Scheme 1 -> 2 -> ... -> n, first-order rates k_1 > k_2 > ... > k_n >= 0
// (the fitted time constants' rates in the EAS' species order; the step of
// the instrument response, when fitted, as a last species of rate 0), only
// species 1 present at time 0 with unit concentration:
//   dc_1/dt = -k_1 c_1,   dc_i/dt = k_{i-1} c_{i-1} - k_i c_i,
// whose solution for distinct rates is, for t >= 0,
//   c_i(t) = sum_{j<=i} b_ij exp(-k_j t),
//   b_ij   = prod_{m<i} k_m / prod_{m<=i, m!=j} (k_m - k_j)
// (speciesConcentration). Before time 0 every c_i is 0: the scheme starts
// at 0 (the profiles are the scheme's own, not convolved with a response).
//
// What holds: every c_i lies in [0, 1]; summing the equations,
//   d/dt sum_i c_i = -k_n c_n,  so  sum_i c_i(t) = 1 - k_n int_0^t c_n,
// which is 1 at every time exactly when the last species does not decay
// (k_n = 0, the step); otherwise the sum falls from 1 to 0 as the last
// species decays back to what the traces' offsets hold.
#pragma once

#include <string>
#include <vector>

namespace quorvane {

struct ConcentrationProfiles {
    // species[i-1]: the label of species i's time constant ("t2", "step").
    std::vector<std::string> species;
    // values[i-1][p]: c_i(times[p]), rounded to double.
    std::vector<std::vector<double>> values;
};

// At the given times (seconds). Refused as fittedSequentialScheme refuses
// (no fit, equal or indistinguishable time constants).
ConcentrationProfiles buildConcentrationProfiles(const std::vector<double>& times);

}  // namespace quorvane
