// Start as the fit tests give it: the boxes from their texts, and hooks that
// record what a Start tells its window.
#pragma once

#include <string>
#include <vector>

#include "fit/fit_driver.h"

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

}  // namespace quorvane::testing
