#include "cli/batch_run.h"

#include <array>
#include <string>
#include <vector>

#include "cli/matrix_inputs.h"
#include "data/error.h"
#include "data/loaded_measurement.h"
#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "fit/minimum_search.h"
#include "fit/singular_values.h"
#include "fit/standard_errors.h"
#include "views/evolution_report.h"
#include "views/interval_report.h"
#include "views/response_report.h"
#include "views/result_files.h"
#include "views/result_sections.h"
#include "views/singular_value_report.h"
#include "views/standard_error_report.h"

namespace quorvane {

namespace {

void print(std::ostream& out, const std::string& section) {
    out << section;
    out.flush();
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
        if (!request.search.wanted)
            return runStart(request.boxes, hooks, request.method);
        const MinimumSearchResult search =
            searchLowestMinimum(request.boxes, request.search.extraStarts, {hooks, {}});
        if (progressShown)
            err << '\n';
        progressShown = false;
        for (const std::string& line : searchReportLines(search))
            err << line << '\n';
        err.flush();
        return search.sumText;
    } catch (...) {
        if (progressShown)
            err << '\n';
        throw;
    }
}

// --list and --write-traces: what was loaded, no fit.
int listOrWriteTraces(const MatrixOptions& options, const std::vector<LoadedInput>& inputs,
                      std::ostream& out) {
    if (options.list)
        print(out, inputListing(inputs, options));
    if (!options.writeTracesFolder.empty()) {
        for (const std::string& path : writeTraceFiles(options.writeTracesFolder, inputs))
            out << "wrote " << path << '\n';
        out.flush();
    }
    return kExitSuccess;
}

// --svd: the section, and the CSV file a save writes beside the others.
SavedSupplement singularValueResults() {
    const SingularValues data = singularValuesOfData();
    const SingularValues residuals = singularValuesOfResiduals();
    return {singularValueSection(data, residuals),
            {{"-svd.csv", singularValueCsv(data, residuals)}}};
}

// --eas: the section, and the CSV file a save writes beside the others.
SavedSupplement evolutionResults(const std::vector<std::string>& titles) {
    const EvolutionTable table = buildEvolutionTable(titles);
    return {evolutionSection(table), {{"-eas.csv", evolutionCsv(table)}}};
}

// The supplements in the order of their sections.
SavedSupplement joined(SavedSupplement first, const SavedSupplement& second) {
    first.reportSections += second.reportSections;
    first.files.insert(first.files.end(), second.files.begin(), second.files.end());
    return first;
}

}  // namespace

int runBatch(const BatchRequest& request, std::ostream& out, std::ostream& err, bool showProgress) {
    std::vector<LoadedInput> inputs;
    try {
        inputs = loadInputs(request.files, request.matrix);
        if (request.matrix.list || !request.matrix.writeTracesFolder.empty())
            return listOrWriteTraces(request.matrix, inputs, out);
    } catch (const MatrixUsageProblem& problem) {
        err << "quorvane-fit: " << problem.message() << '\n';
        if (!problem.detail().empty())
            err << problem.detail() << '\n';
        err.flush();
        return kExitUsage;
    } catch (const QuorvaneError& error) {
        return reportFailure(err, error.message(), error.detail());
    } catch (const std::exception& error) {
        return reportFailure(err, error.what(), {});
    }
    const std::vector<SavedCurve> curves = savedCurvesOf(inputs);
    std::vector<std::string> titles;
    for (const SavedCurve& curve : curves)
        titles.push_back(curve.file);
    try {
        // The singular values need one time axis: refused before the fit.
        if (request.matrix.singularValues)
            (void)matrixOfLoadedTraces();
        FitVerdict verdict;
        const std::string label = pressStart(request, out, err, showProgress, verdict);
        print(out, sumSection(label));
        print(out, parameterSection());
        print(out, covarianceSection());
        const SpectraTable spectra = buildSpectraTable(titles);
        print(out, spectraSection(spectra));
        const StandardErrors errors = computeStandardErrors();
        print(out, standardErrorSection(errors, spectra));
        const std::string intervals =
            request.intervals ? intervalLines(computeProfileIntervals()) : std::string();
        print(out, intervals);
        print(out, responseSection());
        const SavedSupplement evolution =
            request.evolutionSpectra ? evolutionResults(titles) : SavedSupplement{};
        print(out, evolution.reportSections);
        const SavedSupplement singular =
            request.matrix.singularValues ? singularValueResults() : SavedSupplement{};
        print(out, singular.reportSections);
        SavedSupplement supplement = joined(evolution, singular);
        supplement.spectraErrors = request.spectraErrors;
        supplement.errorSectionEnd = intervals;
        supplement.errors = &errors;
        if (!request.saveName.empty())
            saveResults(request.saveName, curves, supplement);
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
