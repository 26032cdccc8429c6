// The per-curve passes of curve_subtotals.h for all curves of a build or a
// sum of squares, each curve into a slot of its own; the callers add the
// slots in increasing curve order, so the results do not depend on how the
// curves were spread over threads, nor on which curves shared their
// exponentials (data/time_axes.h): each curve's subtotals add its points in
// increasing order, from the same values either way.
#pragma once

#include "data/floating_point.h"
#include "lsq/curve_subtotals.h"

namespace quorvane {

// Runs the passes of curves 1..table.curveCount for `parts`. The calling
// thread's fault flags must be clear and are clear afterwards; returns what
// was raised outside the passes' own accounting (nothing, normally).
FloatingPointFaults runCurvePasses(const RateTable& table, unsigned parts);

// The slot of curve c, valid after runCurvePasses until the next run.
const CurveSubtotals& curveSubtotalsOf(int curve);

// The faults of each part, over curves 1..curves.
PartFaults curvePassFaults(int curves);

// The sum of squared residuals on the parameter vector `parameters`
// (ParameterVector or trialVector): per-curve subtotals of r*r added in
// increasing curve order into a total that starts at 0. Its faults are
// raised on the calling thread's flags, which keep what they held before, as
// a direct evaluation would leave them. Refuses (QuorvaneError) a
// componentCount outside 0..9 or more than 300 parameters, like the build.
long double sumOfSquaresOn(const long double* parameters);

}  // namespace quorvane
