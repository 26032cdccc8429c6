// Synthetic kinetic traces for the tests: sums of exponential decays with
// known time constants, on times spaced evenly on a log axis, optionally
// with seeded noise.
//
//   value(t) = offset + sum over k of amplitudes[k] * exp(-t / timeConstants[k])
//
// formed in extended precision (extendedExp, the division t / tau in
// extended) and rounded to double once; noise is added to the double. The
// same Decay and LogAxis always give the same bits, so traces built twice
// compare equal and traces built with one LogAxis share their time axis bit
// for bit (time_axes.h); a LogAxis of its own per trace (another point
// count, another range) gives curves on axes of their own.
//
// Three ways in: the numbers (logTimes, decayValues), a curve put straight
// into the next workspace slot (addDecay, through test_support.h's
// addCurve), or the text of a trace file for the reader (decayText).
#pragma once

#include <cmath>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "data/extended_exp.h"
#include "support/test_support.h"

namespace quorvane::testing {

// `points` times from `first` to `last`, evenly spaced in log10(t):
// t_i = 10^(log10 first + (log10 last - log10 first) i / (points - 1)).
struct LogAxis {
    int points = 200;
    double first = 1e-7;
    double last = 1e-1;
};

struct Decay {
    long double offset = 0.0L;
    std::vector<long double> amplitudes;     // A_1..A_n
    std::vector<long double> timeConstants;  // t_1..t_n, as many as amplitudes
    double noise = 0.0;                      // sigma of Gaussian noise; 0: none
    unsigned seed = 1;                       // of the noise
};

inline std::vector<double> logTimes(const LogAxis& axis) {
    const double from = std::log10(axis.first);
    const double span = std::log10(axis.last) - from;
    std::vector<double> times;
    for (int i = 0; i < axis.points; ++i)
        times.push_back(std::pow(10.0, from + span * i / (axis.points > 1 ? axis.points - 1 : 1)));
    return times;
}

inline std::vector<double> decayValues(const Decay& decay, const std::vector<double>& times) {
    std::mt19937 generator(decay.seed);
    std::normal_distribution<double> noise(0.0, decay.noise > 0.0 ? decay.noise : 1.0);
    std::vector<double> values;
    for (const double t : times) {
        long double y = decay.offset;
        for (std::size_t k = 0; k < decay.amplitudes.size(); ++k)
            y += decay.amplitudes[k] * extendedExp(-t / decay.timeConstants[k]);
        values.push_back(static_cast<double>(y) + (decay.noise > 0.0 ? noise(generator) : 0.0));
    }
    return values;
}

// The trace as the next curve of the workspace; returns its index.
inline int addDecay(const Decay& decay, const LogAxis& axis = {}) {
    const std::vector<double> times = logTimes(axis);
    return addCurve(times, decayValues(decay, times));
}

// The trace as file text: "time value" per line, 17 significant digits (the
// reader gives back the same doubles), the point as decimal separator.
inline std::string decayText(const Decay& decay, const LogAxis& axis = {}) {
    const std::vector<double> times = logTimes(axis);
    const std::vector<double> values = decayValues(decay, times);
    std::string text;
    char line[64];
    for (std::size_t i = 0; i < times.size(); ++i) {
        std::snprintf(line, sizeof line, "%.17g %.17g\n", times[i], values[i]);
        text += line;
    }
    return text;
}

}  // namespace quorvane::testing
