#include "fit/response_curve.h"

#include <cmath>

#include "fit/response_model.h"

namespace quorvane {

namespace {

constexpr int kRisePoints = 30;
constexpr long double kSwitchWidths = 5.0L;

}  // namespace

void responseCurveTimes(int curve, std::array<long double, kPlotGridPoints + 1>& times) {
    const int points = workspace.pointCount[curve];
    if (points < 2) {
        times = plotGrid();
        return;
    }
    const long double first = workspace.curves[curve].times[1];
    const long double last = workspace.curves[curve].times[points];
    const long double rise =
        curveResponse(responseModel, curve).centre + kSwitchWidths * responseModel.fwhm;
    times[0] = 0.0L;
    if (first < rise && rise < last && rise > 0.0L) {
        for (int i = 0; i < kRisePoints; ++i)
            times[i + 1] = first + (rise - first) * i / kRisePoints;
        const int decayPoints = kPlotGridPoints - kRisePoints;
        for (int i = 0; i < decayPoints; ++i)
            times[kRisePoints + 1 + i] =
                rise * powl(last / rise, static_cast<long double>(i) / (decayPoints - 1));
        return;
    }
    for (int i = 0; i < kPlotGridPoints; ++i)
        times[i + 1] = first + (last - first) * i / (kPlotGridPoints - 1);
}

}  // namespace quorvane
