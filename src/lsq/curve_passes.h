// The per-curve passes of curve_subtotals.h run for all curves at once on the
// thread pool (thread_pool.h), each curve into a slot of its own; the callers
// add the slots in increasing curve order, so the results do not depend on
// the number of threads.
//
// Curves on one time axis (data/time_axes.h) share their exponentials. The
// points are worked on in rounds of consecutive points: the blocks of
// exponentials of every shared axis are formed once per round, spread over
// the threads, into a store of a fixed size; every curve adds the round's
// points to its subtotals, the curves spread over the threads, while the
// blocks of the next round are formed; a curve with an axis of its own forms
// its blocks as it goes. With no shared axis there is one round. A curve's
// subtotals add its points in increasing order across the rounds, so the
// rounds change nothing in the results.
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

// The union of one part's faults over curves 1..curves.
FloatingPointFaults curvePartFaults(int curves, FloatingPointFaults CurveSubtotals::*part);

// The sum of squared residuals on the parameter vector `parameters`
// (ParameterVector or trialVector): per-curve subtotals of r*r added in
// increasing curve order into a total that starts at 0. Its faults are
// raised on the calling thread's flags, which keep what they held before, as
// a direct evaluation would leave them. Refuses (QuorvaneError) a
// componentCount outside 0..9 or more than 300 parameters, like the build.
long double sumOfSquaresOn(const long double* parameters);

}  // namespace quorvane
