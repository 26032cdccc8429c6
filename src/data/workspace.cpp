#include "data/workspace.h"

#include <cstring>

#include "data/time_axes.h"

namespace quorvane {

Workspace workspace;

int offsetIndex(int curve) {
    return (curve - 1) * (workspace.componentCount + 1) + 1;
}

int amplitudeIndex(int curve, int component) {
    return (curve - 1) * (workspace.componentCount + 1) + 1 + component;
}

int rateIndex(int component) {
    return (workspace.componentCount + 1) * workspace.curveCount + component;
}

int fittedParameterCount() {
    return (workspace.componentCount + 1) * workspace.curveCount + workspace.componentCount;
}

int entriesWrittenByStart(int componentCount, int curveCount) {
    return (componentCount + 1) * curveCount + kTimeConstantBoxes;
}

namespace {

void clearSystem() {
    std::memset(workspace.normalMatrix, 0, sizeof workspace.normalMatrix);
    std::memset(workspace.stepVector, 0, sizeof workspace.stepVector);
}

}  // namespace

void resetWorkspace() {
    workspace.curveCount = 0;
    workspace.fitCount = 0;
    clearSystem();
    noteCurveDataChanged();
}

void prepareCoefficients() {
    const int n = workspace.componentCount;
    const int curves = workspace.curveCount;
    if (workspace.fitCount == 0) {
        workspace.layoutComponentCount = n;
        for (int m = 1; m <= (n + 1) * curves; ++m)
            workspace.ParameterVector[m] = 1.0L;
        workspace.laidOutCurveCount = curves;
    }
    if (n != workspace.layoutComponentCount)
        relayoutCoefficients();
    for (int c = workspace.laidOutCurveCount + 1; c <= curves; ++c) {
        for (int k = 1; k <= n + 1; ++k)
            workspace.ParameterVector[(c - 1) * (n + 1) + k] = 1.0L;
    }
    workspace.laidOutCurveCount = curves;
}

void relayoutCoefficients() {
    const int n = workspace.componentCount;
    const int oldLayout = workspace.layoutComponentCount;
    const int curves = workspace.curveCount;
    clearSystem();

    // A fixed temporary: the old blocks are read from the copy while the new,
    // differently sized blocks are written over the same entries.
    static long double savedCoefficients[kMaxParameters + 1];
    // Only the curves of the last Start hold old blocks; that Start kept
    // (L+1)P + 9 <= 300, so the copy stays inside the vector.
    const int oldCurves =
        workspace.laidOutCurveCount < curves ? workspace.laidOutCurveCount : curves;
    const int savedCount = (oldLayout + 1) * oldCurves;
    for (int m = 1; m <= savedCount; ++m)
        savedCoefficients[m] = workspace.ParameterVector[m];

    for (int c = 1; c <= curves; ++c) {
        for (int k = 1; k <= n + 1; ++k) {
            const bool kept = c <= oldCurves && k <= oldLayout + 1;
            workspace.ParameterVector[(c - 1) * (n + 1) + k] =
                kept ? savedCoefficients[(c - 1) * (oldLayout + 1) + k] : 1.0L;
        }
    }
    workspace.layoutComponentCount = n;
}

}  // namespace quorvane
