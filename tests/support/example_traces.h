// The traces of examples/ loaded as File > Open loads them.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "data/time_axes.h"
#include "data/trace_reader.h"
#include "data/workspace.h"

namespace quorvane::testing {

inline std::string examplePath(const std::string& relative) {
    const char* source = std::getenv("QUORVANE_SOURCE_DIR");
    return std::string(source != nullptr ? source : ".") + "/examples/" + relative;
}

// The five traces 400..600 nm of examples/ (time constants 5e-6, 1e-4, 3e-3).
inline void loadExamples() {
    for (int wavelength = 400; wavelength <= 600; wavelength += 50)
        loadTraceFile(examplePath(std::to_string(wavelength) + ".txt"));
}

// The forty traces of examples/picosecond (time constants 1.8, 21 and 50),
// every time multiplied by `scale` (1e-3 gives nanoseconds).
inline void loadPicosecondExamples(double scale = 1.0) {
    for (int wavelength = 400; wavelength < 800; wavelength += 10) {
        const int c =
            loadTraceFile(examplePath("picosecond/" + std::to_string(wavelength) + ".txt"));
        for (int i = 1; i <= workspace.pointCount[c]; ++i)
            workspace.curves[c].times[i] *= scale;
    }
    noteCurveDataChanged();
}

}  // namespace quorvane::testing
