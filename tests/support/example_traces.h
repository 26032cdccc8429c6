// The traces of examples/ loaded as File > Open loads them. The folder comes
// from QUORVANE_SOURCE_DIR, which CTest sets; when it is unset or holds no
// examples/, examplesFolder() throws, so that a test on the examples fails
// instead of passing on nothing.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "data/time_axes.h"
#include "data/trace_reader.h"
#include "data/workspace.h"

namespace quorvane::testing {

inline std::filesystem::path examplesFolder() {
    const char* source = std::getenv("QUORVANE_SOURCE_DIR");
    if (source == nullptr)
        throw std::runtime_error("QUORVANE_SOURCE_DIR is not set: the examples cannot be found");
    const std::filesystem::path folder = std::filesystem::path(source) / "examples";
    if (!std::filesystem::is_directory(folder))
        throw std::runtime_error("no examples folder at " + folder.string());
    return folder;
}

inline std::string examplePath(const std::string& relative) {
    return (examplesFolder() / relative).string();
}

// The five traces 400..600 nm of examples/ (time constants 5e-6, 1e-4,
// 3e-3), or of its subfolder `folder` ("noiseless/").
inline void loadExamples(const std::string& folder = "") {
    for (int wavelength = 400; wavelength <= 600; wavelength += 50)
        loadTraceFile(examplePath(folder + std::to_string(wavelength) + ".txt"));
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
