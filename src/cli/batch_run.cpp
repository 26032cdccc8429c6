#include "cli/batch_run.h"

#include <array>
#include <string>
#include <vector>

#include "data/error.h"
#include "data/trace_reader.h"
#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "views/result_files.h"
#include "views/response_report.h"
#include "views/result_sections.h"

namespace quorvane {

namespace {

void print(std::ostream& out, const std::string& section) {
    out << section;
    out.flush();
}

// A trace that fails gives the reader's detail (its file and line), or the
// file as given, as the error's detail.
void loadTraces(const std::vector<std::string>& files, std::vector<std::string>& titles) {
    for (const std::string& file : files) {
        try {
            loadTraceFile(file);
        } catch (const QuorvaneError& error) {
            if (!error.detail().empty())
                throw;
            throw QuorvaneError(error.message(), "File " + file + ".");
        }
        titles.push_back(traceTitle(file));
    }
}

// The error box's text on one line, its detail (when there is one) on a
// second.
int reportFailure(std::ostream& err, const std::string& message, const std::string& detail) {
    err << errorBoxText(message) << '\n';
    if (!detail.empty())
        err << detail << '\n';
    err.flush();
    return kExitFailure;
}

// Start with hooks that do what the main window does with them, the chart
// aside: the fitted curves are still computed, so that a fault in them ends
// the run as it ends the window's Start.
std::string pressStart(const BatchRequest& request, std::ostream& out, std::ostream& err,
                       bool showProgress, FitVerdict& verdict) {
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
    hooks.reportVerdict = [&verdict](const FitVerdict& judged) { verdict = judged; };
    try {
        return runStart(request.boxes, hooks, request.method);
    } catch (...) {
        if (progressShown)
            err << '\n';
        throw;
    }
}

}  // namespace

int runBatch(const BatchRequest& request, std::ostream& out, std::ostream& err, bool showProgress) {
    std::vector<std::string> titles;
    try {
        loadTraces(request.files, titles);
    } catch (const QuorvaneError& error) {
        return reportFailure(err, error.message(), error.detail());
    } catch (const std::exception& error) {
        return reportFailure(err, error.what(), {});
    }
    try {
        FitVerdict verdict;
        const std::string label = pressStart(request, out, err, showProgress, verdict);
        print(out, sumSection(label));
        print(out, parameterSection());
        print(out, covarianceSection());
        print(out, spectraSection(buildSpectraTable(titles)));
        print(out, responseSection());
        if (!request.saveName.empty())
            saveResults(request.saveName, titles);
        err << verdict.message << '\n';
        err.flush();
        if (request.requireConvergence && !verdict.converged)
            return kExitNotConverged;
    } catch (const QuorvaneError& error) {
        // Exactly the error box's text, on one line: scripts match on it.
        return reportFailure(err, error.message(), {});
    } catch (const std::exception& error) {
        return reportFailure(err, error.what(), {});
    }
    return kExitSuccess;
}

}  // namespace quorvane
