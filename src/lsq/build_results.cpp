#include "lsq/build_results.h"

#include <cstdint>
#include <cstring>

#include "data/time_axes.h"
#include "data/workspace.h"

namespace quorvane {

namespace {

// The significant bytes of an 80-bit extended value; the padding of the
// 16-byte long double is not part of it.
constexpr std::size_t kExtendedBytes = 10;

bool sameExtended(const long double& a, const long double& b) {
    return std::memcmp(&a, &b, kExtendedBytes) == 0;
}

struct BuildResults {
    bool complete = false;
    int componentCount = 0;
    int curveCount = 0;
    int parameterCount = 0;
    int pointCount[kMaxCurves + 1] = {};
    long double parameters[kMaxParameters + 1] = {};
    std::uint64_t curveDataGeneration = 0;

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
    return curveDataGeneration() == results.curveDataGeneration;
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
    results.curveDataGeneration = curveDataGeneration();
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
