// Start as the fit tests give it: the boxes from their texts, hooks that
// record what a Start tells its window, and traces that a fit moves.
#pragma once

#include <string>
#include <vector>

#include "fit/fit_driver.h"
#include "support/synthetic_traces.h"

namespace quorvane::testing {

// The component and iteration boxes, t1.. from `timeConstants`, the other
// time-constant boxes at their defaults.
inline StartBoxes startBoxes(const std::string& components, const std::string& iterations,
                             const std::vector<std::string>& timeConstants = {}) {
    StartBoxes boxes;
    boxes.componentCount = components;
    boxes.iterationCount = iterations;
    for (std::size_t k = 0; k < timeConstants.size(); ++k)
        boxes.timeConstants[k] = timeConstants[k];
    return boxes;
}

// What a Start told its window, in order.
struct StartLog {
    int eventPasses = 0;
    std::vector<int> progress;
    std::vector<TimeConstantTexts> writtenTexts;
    int curveReplacements = 0;
    FitVerdict verdict;

    StartHooks hooks() {
        StartHooks hooks;
        hooks.processEvents = [this] { ++eventPasses; };
        hooks.setProgress = [this](int position) { progress.push_back(position); };
        hooks.writeTimeConstants = [this](const TimeConstantTexts& texts) {
            writtenTexts.push_back(texts);
        };
        hooks.replaceFittedCurves = [this] { ++curveReplacements; };
        hooks.reportVerdict = [this](const FitVerdict& judged) { verdict = judged; };
        return hooks;
    }

    // Nothing of the fit reached the window: no progress, no boxes, no curves.
    bool windowUntouched() const {
        return progress.empty() && writtenTexts.empty() && curveReplacements == 0;
    }
};

// Two traces of a three-component decay (time constants 5e-6, 1e-4, 3e-3)
// on one axis, with a little noise so that steps are accepted.
inline void addTwoNoisyTraces() {
    addDecay({0.01L, {0.5L, -0.3L, 0.2L}, {5e-6L, 1e-4L, 3e-3L}, 1e-4, 1});
    addDecay({-0.02L, {0.1L, 0.4L, -0.25L}, {5e-6L, 1e-4L, 3e-3L}, 1e-4, 2});
}

}  // namespace quorvane::testing
