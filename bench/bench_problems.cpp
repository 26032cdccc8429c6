#include "bench_problems.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "data/time_axes.h"
#include "data/workspace.h"

namespace quorvane::bench {

namespace {

constexpr double kTimeConstants[6] = {5e-6, 1e-4, 3e-3, 3e-5, 6e-4, 2e-2};
constexpr double kFirstTime = 1e-7;
constexpr double kLastTime = 1.0;

// A small deterministic generator, uniform in [-0.5, 0.5).
class Noise {
  public:
    double next() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return static_cast<double>(state_ >> 11) * 0x1.0p-53 - 0.5;
    }

  private:
    std::uint64_t state_ = 450;
};

double pointTime(int i, int points) {
    const double step = std::log10(kLastTime / kFirstTime) / (points - 1);
    return kFirstTime * std::pow(10.0, (i - 1) * step);
}

double trueAmplitude(int curve, int component) {
    return 0.04 * std::sin(0.3 * curve + 1.1 * component) + 0.01 * component;
}

}  // namespace

void loadProblem(const ProblemSize& size) {
    std::memset(static_cast<void*>(&workspace), 0, sizeof workspace);
    const int n = size.components;
    workspace.curveCount = size.curves;
    workspace.componentCount = n;
    workspace.layoutComponentCount = n;
    workspace.laidOutCurveCount = size.curves;
    workspace.fitCount = 1;
    workspace.lambda = 0.001L;

    Noise noise;
    for (int c = 1; c <= size.curves; ++c) {
        Curve& curve = workspace.curves[c];
        for (int i = 1; i <= size.points; ++i) {
            const double x = pointTime(i, size.points) + (c - 1) * size.timeShiftPerTrace;
            double y = 0.002 + 1e-3 * noise.next();
            for (int m = 1; m <= n; ++m)
                y += trueAmplitude(c, m) * std::exp(-x / kTimeConstants[m - 1]);
            curve.times[i] = x;
            curve.values[i] = y;
        }
        workspace.pointCount[c] = size.points;
        workspace.ParameterVector[offsetIndex(c)] = 0.0L;
        for (int m = 1; m <= n; ++m)
            workspace.ParameterVector[amplitudeIndex(c, m)] = 0.9L * trueAmplitude(c, m);
    }
    for (int k = 1; k <= kLogRateEntries; ++k) {
        const long double t = k <= n ? 1.2L * kTimeConstants[k - 1] : 1e-3L;
        workspace.ParameterVector[rateIndex(k)] = -logl(t);
    }
    noteCurveDataChanged();
}

std::string writeTraceFile(const std::string& folder, int points) {
    const std::string path = folder + "/450.txt";
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (file == nullptr)
        return path;
    Noise noise;
    for (int i = 1; i <= points; ++i) {
        const double x = pointTime(i, points);
        const double y = 0.05 * std::exp(-x / 1e-4) + 1e-3 * noise.next();
        std::fprintf(file, "%.9g %.9g\n", x, y);
    }
    std::fclose(file);
    return path;
}

std::vector<std::string> writeTraceFiles(const std::string& folder, int traces, int points,
                                         int components) {
    std::vector<std::string> paths;
    Noise noise;
    for (int c = 1; c <= traces; ++c) {
        paths.push_back(folder + "/" + std::to_string(380 + 20 * c) + ".txt");
        std::FILE* file = std::fopen(paths.back().c_str(), "w");
        if (file == nullptr)
            continue;
        for (int i = 1; i <= points; ++i) {
            const double x = pointTime(i, points);
            double y = 0.002 + 1e-3 * noise.next();
            for (int m = 1; m <= components; ++m)
                y += trueAmplitude(c, m) * std::exp(-x / kTimeConstants[m - 1]);
            std::fprintf(file, "%.9g %.9g\n", x, y);
        }
        std::fclose(file);
    }
    return paths;
}

}  // namespace quorvane::bench
