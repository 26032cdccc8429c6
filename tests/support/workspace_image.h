// A byte copy of the whole workspace, to prove that a refused command
// changed nothing at all, or exactly what it may change: `expected()` starts
// as the copy and a test edits it into the state it expects.
#pragma once

#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "data/number_text.h"
#include "data/workspace.h"

namespace quorvane::testing {

class WorkspaceImage {
  public:
    WorkspaceImage() : copy_(std::make_unique<Workspace>()) {
        std::memcpy(static_cast<void*>(copy_.get()), static_cast<const void*>(&workspace),
                    sizeof workspace);
    }

    Workspace& expected() { return *copy_; }

    // Every byte of the workspace equals the expected state.
    bool matches() const {
        return std::memcmp(static_cast<const void*>(copy_.get()),
                           static_cast<const void*>(&workspace), sizeof workspace) == 0;
    }

    // The same, leaving out the arrays that the routines of an iteration fill
    // before a fault stops it: the normal matrix, the gradient, the step and
    // the trial vector.
    bool matchesOutsideTheIterationArrays() const {
        Workspace& mine = *copy_;
        std::memcpy(mine.normalMatrix, workspace.normalMatrix, sizeof mine.normalMatrix);
        std::memcpy(mine.gradientVector, workspace.gradientVector, sizeof mine.gradientVector);
        std::memcpy(mine.stepVector, workspace.stepVector, sizeof mine.stepVector);
        std::memcpy(mine.trialVector, workspace.trialVector, sizeof mine.trialVector);
        return matches();
    }

    // The state a first Start (fitCount 0) has made when it stops after its
    // coefficients and lambda: n components laid out for every loaded curve,
    // every offset and amplitude 1.0, lambda 0.001.
    void expectPreparedFirstStart(int components) {
        Workspace& expected = *copy_;
        expected.componentCount = components;
        expected.layoutComponentCount = components;
        expected.laidOutCurveCount = expected.curveCount;
        for (int m = 1; m <= (components + 1) * expected.curveCount; ++m)
            expected.ParameterVector[m] = 1.0L;
        expected.lambda = 0.001L;
    }

    // ... and the log-rates -ln(t) of the boxes t1..t(last) stored after the
    // per-curve blocks.
    void expectLogRates(const std::array<std::string, 9>& texts, int last) {
        Workspace& expected = *copy_;
        const int base = (expected.componentCount + 1) * expected.curveCount;
        for (int k = 1; k <= last; ++k)
            expected.ParameterVector[base + k] = -logl(textToExtended(texts[k - 1]));
    }

  private:
    std::unique_ptr<Workspace> copy_;
};

}  // namespace quorvane::testing
