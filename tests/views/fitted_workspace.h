// Workspace states for the result-view tests, on top of a clean workspace
// (support/test_support.h): curves of one point laid out for K components,
// and a small fitted state whose data the model matches up to rounding;
// and a recorder of what the view builders hand to their charts.
#pragma once

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "data/time_axes.h"
#include "data/trace_wavelength.h"
#include "data/workspace.h"
#include "fit/model.h"
#include "support/test_support.h"

namespace quorvane::testing {

inline void setLaidOutComponents(int K) {
    workspace.componentCount = K;
    workspace.layoutComponentCount = K;
}

// `curves` more curves of one point (1e-6, 0), laid out for K components;
// with `amplitudes`, amplitude k of curve c is 10c + k (the entries inside
// the 300 only).
inline void loadOnePointCurves(int curves, int K, bool amplitudes = false) {
    for (int c = 0; c < curves; ++c)
        addCurve({1e-6}, {0.0});
    setLaidOutComponents(K);
    for (int c = 1; amplitudes && c <= workspace.curveCount; ++c) {
        for (int k = 1; k <= K && amplitudeIndex(c, k) <= kMaxParameters; ++k)
            workspace.ParameterVector[amplitudeIndex(c, k)] = 10 * c + k;
    }
}

// The wavelengths the trace reader stores for curves 1.. named `titles`.
inline void storeTitleWavelengths(const std::vector<std::string>& titles) {
    for (std::size_t c = 0; c < titles.size(); ++c)
        workspace.wavelength[c + 1] = wavelengthOfTraceTitle(titles[c]);
}

// Two curves of 60 points from 1e-7 to 0.1 on top of the curves already
// loaded (expects none), three components t = 1e-5, 1e-4, 1e-3.
inline void loadTwoCurvesThreeComponents() {
    for (int c = 1; c <= 2; ++c) {
        const int curve = ++workspace.curveCount;
        for (int i = 1; i <= 60; ++i)
            workspace.curves[curve].times[i] = 1e-7 * std::pow(10.0, (i - 1) / 10.0);
        workspace.pointCount[curve] = 60;
    }
    setLaidOutComponents(3);
    const long double coefficients[] = {0.001L,  0.05L,  -0.03L, 0.02L,
                                        -0.002L, -0.04L, 0.06L,  0.01L};
    for (int m = 1; m <= 8; ++m)
        workspace.ParameterVector[m] = coefficients[m - 1];
    const long double timeConstants[] = {1e-5L, 1e-4L, 1e-3L};
    for (int k = 1; k <= 3; ++k)
        workspace.ParameterVector[rateIndex(k)] = -logl(timeConstants[k - 1]);
    for (int c = 1; c <= 2; ++c) {
        for (int j = 1; j <= 60; ++j)
            workspace.curves[c].values[j] = static_cast<double>(evaluateModelAtPoint(c, j));
    }
    noteCurveDataChanged();
    workspace.lambda = 0.001L;
}

// What the charts would receive from a builder that reports its series
// through a sink (views/residual_values.h, views/wavelength_report.h): the
// series begun, by number, and each one's points (x, y).
struct RecordedSeries {
    std::vector<int> begun;
    std::vector<std::vector<std::pair<double, double>>> points =
        std::vector<std::vector<std::pair<double, double>>>(kMaxCurves + 1);

    template <typename Sink>
    Sink sink() {
        return {[this](int series) { begun.push_back(series); },
                [this](int series, double x, double y) {
                    points[series].push_back({x, y});
                }};
    }
};

}  // namespace quorvane::testing
