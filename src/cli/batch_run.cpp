#include "cli/batch_run.h"

#include <array>
#include <string>
#include <vector>

#include "cli/batch_sections.h"
#include "data/error.h"
#include "data/trace_reader.h"
#include "data/workspace.h"
#include "fit/fit_driver.h"

namespace quorvane {

namespace {

void print(std::ostream& out, const std::string& section) {
    out << section;
    out.flush();
}

void loadTraces(const std::vector<std::string>& files, std::vector<std::string>& titles) {
    for (const std::string& file : files) {
        loadTraceFile(file);
        titles.push_back(traceTitle(file));
    }
}

// Start with hooks that do what the main window does with them, the chart
// aside: the fitted curves are still computed, so that a fault in them ends
// the run as it ends the window's Start.
std::string pressStart(const StartBoxes& boxes, std::ostream& out, std::ostream& err,
                       bool showProgress) {
    bool progressShown = false;
    StartHooks hooks;
    if (showProgress) {
        hooks.setProgress = [&err, &progressShown](int position) {
            err << "\rProgress: " << position << '%';
            err.flush();
            progressShown = true;
        };
    }
    hooks.writeTimeConstants = [&out, &err, &progressShown](const TimeConstantTexts& texts) {
        if (progressShown)
            err << '\n';
        progressShown = false;
        print(out, timeConstantSection(texts));
    };
    hooks.replaceFittedCurves = [] {
        std::array<double, kPlotGridPoints + 1> x;
        std::array<double, kPlotGridPoints + 1> y;
        for (int c = 1; c <= workspace.curveCount; ++c)
            fittedCurvePoints(c, x, y);
    };
    try {
        return runStart(boxes, hooks);
    } catch (...) {
        if (progressShown)
            err << '\n';
        throw;
    }
}

}  // namespace

int runBatch(const BatchRequest& request, std::ostream& out, std::ostream& err, bool showProgress) {
    try {
        std::vector<std::string> titles;
        loadTraces(request.files, titles);
        const std::string label = pressStart(request.boxes, out, err, showProgress);
        print(out, sumSection(label));
        print(out, parameterSection());
        print(out, covarianceSection());
        print(out, spectraSection(titles));
    } catch (const QuorvaneError& error) {
        // Exactly the error box's text, on one line: scripts match on it.
        err << errorBoxText(error.message()) << '\n';
        err.flush();
        return kExitFailure;
    } catch (const std::exception& error) {
        err << errorBoxText(error.what()) << '\n';
        err.flush();
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace quorvane
