#include "views/residual_values.h"

#include <string>

#include "data/error.h"
#include "data/floating_point.h"
#include "data/workspace.h"
#include "fit/model.h"
#include "views/report_text.h"

namespace quorvane {

namespace {

constexpr long double kResidualScale = 30.0L;

}  // namespace

double scaledResidual(int curve, int point) {
    const long double value = workspace.curves[curve].values[point];
    return static_cast<double>((value - evaluateModelAtPoint(curve, point)) / kResidualScale);
}

void buildResidualSurface(const ResidualSink& sink) {
    const int curveCount = workspace.curveCount;
    // The model reads the log-rates up to rateIndex(n) = fittedParameterCount().
    if (curveCount > 0 && fittedParameterCount() > kMaxParameters) {
        throw QuorvaneError(textWithNumber("Residual's surface: ", curveCount) +
                            textWithNumber(" traces with ", workspace.componentCount) +
                            textWithNumber(" components need ", fittedParameterCount()) +
                            " parameters, more than the 300 a fit can hold");
    }
    for (int c = 1; c <= curveCount; ++c) {
        sink.beginCurve(c);
        const double* times = workspace.curves[c].times;
        for (int j = 1; j <= workspace.pointCount[c]; ++j) {
            clearFloatingPointFaults();
            const double residual = scaledResidual(c, j);
            checkFloatingPointFaults();
            sink.addBar(c, times[j], residual);
        }
    }
}

}  // namespace quorvane
