// The texts and choices of the instrument-response dialog, read by Start like
// the boxes of the main window: every number is a text parsed by Start with
// the program's number rules, so that a bad text is refused with the box it
// came from, and Start writes the fitted values back into these texts.
//
// The model with the response on: each component's exponential is convolved
// with a unit-area Gaussian of centre mu(lambda) and standard deviation
// sigma = FWHM / (2 sqrt(2 ln 2)), with
//   mu(lambda) = centre + sum_{i=1..d} c_i ((lambda - lambda_c) / 100)^i,
// d the dispersion order (0: the same time zero at every wavelength) and
// lambda_c the reference wavelength in nm. FWHM, the centre and the c_i are
// in the units of the traces' times.
#pragma once

#include <array>
#include <string>

namespace quorvane {

inline constexpr int kMaxDispersionOrder = 4;

struct ResponseBoxes {
    // "Convolve with a Gaussian instrument response"
    bool enabled = false;
    // Full width at half maximum of the Gaussian, and whether it is fitted.
    std::string fwhm = "0.1";
    bool fitFwhm = true;
    // Time zero mu0 at the reference wavelength.
    std::string centre = "0";
    bool fitCentre = true;
    // Dispersion order d = 0..4 and the coefficients c_1..c_4 (c_i is used
    // for i <= d only).
    std::string dispersionOrder = "0";
    std::array<std::string, kMaxDispersionOrder> dispersion = {"0", "0", "0", "0"};
    std::array<bool, kMaxDispersionOrder> fitDispersion = {true, true, true, true};
    // lambda_c in nm; empty: the mean wavelength of the loaded traces.
    std::string referenceWavelength;
    // A long-lived component that rises with the response and does not
    // decay, 1/2 erfc((mu - t)/(sigma sqrt 2)), with its own amplitude per
    // trace.
    bool step = false;
};

}  // namespace quorvane
