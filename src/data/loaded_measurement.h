// Loading the planned traces of a measurement into the workspace, and the
// loaded measurement kept beside it for the windows that draw the whole
// matrix.
//
// The loaded measurement lives outside the fixed workspace (it may be far
// larger than 40 traces): the whole matrix of the last matrix file loaded,
// every wavelength of it, the rows after the time window. It stays until the
// next matrix file is loaded or clearLoadedMeasurement (Edit > Clear) drops
// it; loading trace files leaves it. Used on the thread that owns the
// workspace.
#pragma once

#include "data/measurement.h"
#include "data/trace_choice.h"

namespace quorvane {

// Appends the plan's traces as curves curveCount + 1 .. curveCount + k, in
// the plan's order: each holds the kept times of the measurement (the same
// doubles for all, so they share one time axis), its values (trace_choice.h)
// and its wavelength in workspace.wavelength; curveCount grows by k and the
// curve data count as changed (time_axes.h). Returns the first new curve.
// Then keeps the measurement, cut to the time window, as the loaded one.
// All or nothing: throws QuorvaneError before anything changes when the
// plan does not fit the workspace (more traces than the room left, more
// than 20000 points, no trace) or was made for another measurement.
int loadMatrixTraces(const Measurement& measurement, const TracePlan& plan);
// The same, keeping the measurement itself instead of a copy.
int loadMatrixTraces(Measurement&& measurement, const TracePlan& plan);

// The loaded measurement, or nullptr when there is none.
const Measurement* loadedMeasurement();
void clearLoadedMeasurement();

// The loaded traces as one matrix: the times of curve 1 down, a column per
// curve 1..curveCount with its values, the wavelengths from
// workspace.wavelength (NaN for a trace whose name gives none). Throws
// QuorvaneError "No traces are loaded" or "The loaded traces do not share one
// time axis" (the same point count and the same times, bit for bit).
KineticMatrix matrixOfLoadedTraces();

}  // namespace quorvane
