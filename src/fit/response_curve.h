// The times at which a fitted curve is drawn while the instrument response is
// on: the data's own range, so that the rise before and about time zero is
// seen, with as many points as the designed grid (kPlotGridPoints).
//
// For curve c with times t_first..t_last and the switch s = mu_c + 5 FWHM:
// when t_first < s < t_last and s > 0, 30 times evenly from t_first up to s
// (the rise) and 50 evenly in log t from s to t_last (the decays); otherwise
// 80 times evenly from t_first to t_last. A curve of fewer than two points
// keeps the designed grid. 1-based, ascending.
#pragma once

#include <array>

#include "fit/fit_driver.h"

namespace quorvane {

void responseCurveTimes(int curve, std::array<long double, kPlotGridPoints + 1>& times);

}  // namespace quorvane
