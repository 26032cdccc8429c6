#include "lsq/build_results.h"

#include <cstring>

#include "data/workspace.h"

namespace quorvane {

namespace {

// The significant bytes of an 80-bit extended value; the padding of the
// 16-byte long double is not part of it.
constexpr std::size_t kExtendedBytes = 10;

bool sameExtended(const long double& a, const long double& b) {
    return std::memcmp(&a, &b, kExtendedBytes) == 0;
}

// Static like the workspace: the copy of the curve data is as large as the
// curve data themselves (12.8 million bytes at capacity).
struct BuildResults {
    bool complete = false;
    int componentCount = 0;
    int curveCount = 0;
    int parameterCount = 0;
    int pointCount[kMaxCurves + 1] = {};
    long double parameters[kMaxParameters + 1] = {};
    Curve curves[kMaxCurves + 1];

    long double gradient[kMaxParameters + 1] = {};
    FloatingPointFaults gradientFaults = 0;
    long double sumOfSquares = 0.0L;
    FloatingPointFaults sumFaults = 0;
};

BuildResults results;

bool matchesWorkspace() {
    if (!results.complete)
        return false;
    if (workspace.componentCount != results.componentCount ||
        workspace.curveCount != results.curveCount ||
        fittedParameterCount() != results.parameterCount)
        return false;
    for (int c = 1; c <= results.curveCount; ++c)
        if (workspace.pointCount[c] != results.pointCount[c])
            return false;
    for (int q = 1; q <= results.parameterCount; ++q)
        if (!sameExtended(workspace.ParameterVector[q], results.parameters[q]))
            return false;
    for (int c = 1; c <= results.curveCount; ++c) {
        const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(results.pointCount[c]);
        if (std::memcmp(&workspace.curves[c].times[1], &results.curves[c].times[1], bytes) != 0 ||
            std::memcmp(&workspace.curves[c].values[1], &results.curves[c].values[1], bytes) != 0)
            return false;
    }
    return true;
}

}  // namespace

void beginBuildResults() {
    results.complete = false;
    results.componentCount = workspace.componentCount;
    results.curveCount = workspace.curveCount;
    results.parameterCount = fittedParameterCount();
    for (int c = 1; c <= results.curveCount; ++c)
        results.pointCount[c] = workspace.pointCount[c];
    for (int q = 1; q <= results.parameterCount; ++q)
        results.parameters[q] = workspace.ParameterVector[q];
}

void recordCurveInputs(int curve) {
    const std::size_t bytes = sizeof(double) * static_cast<std::size_t>(results.pointCount[curve]);
    std::memcpy(&results.curves[curve].times[1], &workspace.curves[curve].times[1], bytes);
    std::memcpy(&results.curves[curve].values[1], &workspace.curves[curve].values[1], bytes);
}

long double* buildGradientStore() {
    return results.gradient;
}

void completeBuildResults(FloatingPointFaults gradientFaults, long double sumOfSquares,
                          FloatingPointFaults sumFaults) {
    results.gradientFaults = gradientFaults;
    results.sumOfSquares = sumOfSquares;
    results.sumFaults = sumFaults;
    results.complete = true;
}

void forgetBuildResults() {
    results.complete = false;
}

bool lookUpBuildGradient(const long double*& gradient, FloatingPointFaults& faults) {
    if (!matchesWorkspace())
        return false;
    gradient = results.gradient;
    faults = results.gradientFaults;
    return true;
}

bool lookUpBuildSumOfSquares(long double& sum, FloatingPointFaults& faults) {
    if (!matchesWorkspace())
        return false;
    sum = results.sumOfSquares;
    faults = results.sumFaults;
    return true;
}

}  // namespace quorvane
