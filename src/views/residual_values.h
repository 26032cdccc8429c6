// The scaled residuals of the residual surface.
//
// Point j of curve c: r = (values[j] - m) / 30 with m the model value at
// times[j] on the current ParameterVector, subtraction and division in
// extended precision (the divisor exactly 30), r then rounded to double.
//
// Before the first Start (componentCount 0) the model has no component: m is
// the curve's offset alone (zero until a Start writes it), so the bars show
// the data themselves, scaled.
#pragma once

#include <functional>

namespace quorvane {

// r of point `point` of curve `curve`, without checking floating-point faults.
double scaledResidual(int curve, int point);

struct ResidualSink {
    // A new bar series for curve c, before its first bar.
    std::function<void(int curve)> beginCurve;
    std::function<void(int curve, double time, double residual)> addBar;
};

// For c = 1..curveCount: beginCurve(c), then addBar for every point in point
// order. Throws QuorvaneError:
//   - before anything is added, when the model would read beyond the 300
//     parameter entries ((n+1)C + n > 300 with n = componentCount: traces
//     loaded after a fit);
//   - "Floating point overflow" (or the fault that occurred) at the point whose
//     model value faults; the bars added before it stay.
void buildResidualSurface(const ResidualSink& sink);

}  // namespace quorvane
