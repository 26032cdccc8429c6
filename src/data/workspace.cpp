#include "data/workspace.h"

#include <cstring>

#include "data/time_axes.h"

namespace quorvane {

Workspace workspace;

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
        for (int m = 1; m <= currentLayout().coefficientCount(); ++m)
            workspace.ParameterVector[m] = 1.0L;
        workspace.laidOutCurveCount = curves;
    }
    if (n != workspace.layoutComponentCount)
        relayoutCoefficients();
    for (int c = workspace.laidOutCurveCount + 1; c <= curves; ++c) {
        for (int k = 1; k <= n + 1; ++k)
            workspace.ParameterVector[offsetIndex(c) + k - 1] = 1.0L;
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
    const ParameterLayout old{oldLayout, oldCurves};
    for (int m = 1; m <= old.coefficientCount(); ++m)
        savedCoefficients[m] = workspace.ParameterVector[m];

    // Position k = 1..n+1 of a block: the offset at k = 1, amplitude k-1 after it.
    for (int c = 1; c <= curves; ++c) {
        for (int k = 1; k <= n + 1; ++k) {
            const bool kept = c <= oldCurves && k <= oldLayout + 1;
            workspace.ParameterVector[offsetIndex(c) + k - 1] =
                kept ? savedCoefficients[old.offsetIndex(c) + k - 1] : 1.0L;
        }
    }
    workspace.layoutComponentCount = n;
}

}  // namespace quorvane
