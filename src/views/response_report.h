// The "Response" section of the results report: the instrument response of
// the last Start, only while it is on (otherwise the section is empty), after
// the spectra. One "name = value" line per parameter, the value in the
// general 15-digit format, " (fixed)" after a value held at its typed one:
//   Response
//   mu0 = ...          the centre (time zero at the reference wavelength)
//   FWHM = ...         the full width at half maximum
//   sigma = ...        FWHM / (2 sqrt(2 ln 2))
//   c1 = ... .. cD = ...   the dispersion coefficients (order D > 0)
//   lambda_c = ...     the reference wavelength in nm (order D > 0)
//   step1 = ... .. stepC = ...   each trace's step amplitude (with the step)
// Times in the unit of the traces' times.
#pragma once

#include <string>

namespace quorvane {

std::string responseSection();

}  // namespace quorvane
