// Traces simulated with the instrument-response model (fit/response_model.h)
// for the tests and the benchmark, shaped like ultrafast transient
// absorption: three components of 0.3, 20 and 500 ps, a Gaussian response
// of FWHM 0.12 ps centred at 0.4 ps at 550 nm, a second-order chirp of
// c_1 = 0.3 ps and c_2 = 0.15 ps (time zero 0.29 ps at 400 nm, 1.19 ps at
// 700 nm), times from -1 ps (evenly to 2 ps over 40 % of the points, then
// evenly in log t to 1000 ps), wavelengths evenly from 400 to 700 nm.
// Everything in time scales with `timeUnit` (1: ps, 1000: fs).
//
// Each value is formed in extended precision with responseAt, in the
// model's order, and rounded to double once; noise is added to the double.
#pragma once

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "data/time_axes.h"
#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "fit/response_basis.h"

namespace quorvane::testing {

struct SimulatedResponse {
    int traces = 8;
    int points = 200;
    long double timeUnit = 1.0L;
    bool step = false;
    bool chirp = true;  // false: every trace has time zero 0.4 ps
    double noise = 0.0;
    unsigned seed = 1;
};

inline const long double kTrueTimeConstants[3] = {0.3L, 20.0L, 500.0L};
inline constexpr long double kTrueFwhm = 0.12L;
inline constexpr long double kTrueCentre = 0.4L;
inline const long double kTrueDispersion[2] = {0.3L, 0.15L};
inline constexpr long double kTrueReference = 550.0L;
inline constexpr long double kTrueStep = 0.1L;

inline std::vector<double> responseTimes(const SimulatedResponse& s) {
    std::vector<double> times;
    const int linear = (s.points * 2) / 5;
    for (int i = 0; i < linear; ++i)
        times.push_back(static_cast<double>((-1.0L + 3.0L * i / linear) * s.timeUnit));
    const int logarithmic = s.points - linear;
    for (int i = 0; i < logarithmic; ++i) {
        const long double t = 2.0L * powl(500.0L, static_cast<long double>(i) / (logarithmic - 1));
        times.push_back(static_cast<double>(t * s.timeUnit));
    }
    return times;
}

// Writes the traces into the next workspace slots, with their wavelengths.
inline void addResponseTraces(const SimulatedResponse& s) {
    const std::vector<double> times = responseTimes(s);
    std::mt19937 generator(s.seed);
    std::normal_distribution<double> noise(0.0, s.noise > 0.0 ? s.noise : 1.0);
    const GaussianResponse base{0.0L, kTrueFwhm * s.timeUnit / kFwhmPerWidth};
    for (int trace = 0; trace < s.traces; ++trace) {
        const long double wavelength = 400.0L + 300.0L * trace / (s.traces - 1);
        const long double p = s.chirp ? (wavelength - kTrueReference) / 100.0L : 0.0L;
        GaussianResponse response = base;
        response.centre =
            (kTrueCentre + kTrueDispersion[0] * p + kTrueDispersion[1] * p * p) * s.timeUnit;
        const long double amplitudes[3] = {1.0L + 0.5L * cosl(3.0L * p), -0.6L + 0.3L * p,
                                           0.4L - 0.1L * p * p};
        const int c = ++workspace.curveCount;
        workspace.wavelength[c] = static_cast<double>(wavelength);
        for (std::size_t i = 0; i < times.size(); ++i) {
            const long double t = times[i];
            long double y = 0.002L;
            for (int j = 0; j < 3; ++j)
                y = y +
                    amplitudes[j] *
                        responseAt(1.0L / (kTrueTimeConstants[j] * s.timeUnit), response, t).value;
            if (s.step)
                y = y + kTrueStep * responseAt(0.0L, response, t).value;
            double value = static_cast<double>(y);
            if (s.noise > 0.0)
                value += noise(generator);
            workspace.curves[c].times[i + 1] = times[i];
            workspace.curves[c].values[i + 1] = value;
        }
        workspace.pointCount[c] = static_cast<int>(times.size());
    }
    noteCurveDataChanged();
}

// Start's boxes for these traces: every time constant `off` times its true
// value, the centre `centreOff` ps late, the FWHM 1.5 times too wide, the
// dispersion coefficients at 0, all fitted; variable projection's iterations.
inline StartBoxes responseStartBoxes(const SimulatedResponse& s, long double off = 3.0L,
                                     long double centreOff = 0.2L, int iterations = 200) {
    auto text = [](long double v) {
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.20Lg", v);
        return std::string(buffer);
    };
    StartBoxes boxes;
    boxes.componentCount = std::to_string(3);
    boxes.iterationCount = std::to_string(iterations);
    for (int j = 0; j < 3; ++j)
        boxes.timeConstants[j] = text(kTrueTimeConstants[j] * off * s.timeUnit);
    boxes.response.enabled = true;
    boxes.response.fwhm = text(1.5L * kTrueFwhm * s.timeUnit);
    boxes.response.centre = text((kTrueCentre + centreOff) * s.timeUnit);
    boxes.response.dispersionOrder = std::to_string(s.chirp ? 2 : 0);
    boxes.response.step = s.step;
    return boxes;
}

}  // namespace quorvane::testing
