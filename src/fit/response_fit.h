// The iterations of Start with the instrument response on: the log-rates
// and the fitted response parameters (response_model.h) by the trust-region
// Levenberg–Marquardt of trust_region_fit.h on the projected residuals of
// response_projection.h, the offsets, amplitudes and step amplitudes solved
// exactly at every point. The scaling of the trust region by the Jacobian's
// column norms makes the fit the same in any unit of time.
//
// The fit starts from the log-rates that Start stored and the response
// parameters in responseModel. Every accepted point is written at once:
// its offsets, amplitudes and log-rates into ParameterVector, its response
// parameters and step amplitudes into responseModel. Otherwise as
// fitByVariableProjection (variable_projection.h).
#pragma once

#include "fit/variable_projection.h"

namespace quorvane {

// Throws QuorvaneError when the start point itself faults.
TrustRegionOutcome fitWithResponse(int iterationCount, const ProjectionIterationHooks& hooks);

}  // namespace quorvane
