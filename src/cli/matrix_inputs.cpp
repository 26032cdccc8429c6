#include "cli/matrix_inputs.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <set>
#include <utility>

#include "data/loaded_measurement.h"
#include "data/matrix_file.h"
#include "data/matrix_orientation.h"
#include "data/number_format.h"
#include "data/number_text.h"
#include "data/replacing_file.h"
#include "data/trace_reader.h"
#include "data/trace_wavelength.h"
#include "data/workspace.h"

namespace quorvane {

namespace {

// The reader's error, with "File <path>." as its detail when it gave none.
template <typename Step>
decltype(auto) namingTheFile(const std::string& path, Step&& step) {
    return withErrorDetail("File " + path + ".", std::forward<Step>(step));
}

constexpr const char* kNameTheOrientation =
    "; give --orientation times-down or --orientation times-across";

LoadedInput loadMatrix(MatrixFile file, const MatrixOptions& options) {
    LoadedInput input;
    input.path = file.path;
    input.title = file.title;
    input.matrix = true;
    input.format = file.format;
    input.separator = file.separator;
    input.decimalComma = file.decimalComma;
    input.unit = file.unit;

    const OrientationDecision decision = decideOrientation(file);
    const bool given =
        options.orientation != Orientation::Auto && file.format == MatrixFormat::Delimited;
    Measurement measurement;
    try {
        measurement = orientMatrix(std::move(file), options.orientation);
    } catch (const UndecidedOrientation& error) {
        throw MatrixUsageProblem(error.message() + kNameTheOrientation, error.detail());
    }
    input.orientation = measurement.orientation;
    input.orientationReason = given ? "as --orientation gives it" : decision.reason;
    input.timeCount = measurement.matrix.timeCount();
    input.wavelengthCount = measurement.matrix.wavelengthCount();
    input.plan = planTraces(measurement, options.choice, roomInWorkspace());
    input.firstTime = measurement.matrix.times[input.plan.firstTime];
    input.lastTime = measurement.matrix.times[input.plan.firstTime + input.plan.timeCount - 1];
    input.firstCurve = loadMatrixTraces(std::move(measurement), input.plan);
    input.curveCount = static_cast<int>(input.plan.traces.size());
    return input;
}

LoadedInput loadOne(const std::string& path, const MatrixOptions& options) {
    std::optional<MatrixFile> file = namingTheFile(path, [&] { return readMatrixFile(path); });
    if (file)
        return namingTheFile(path, [&] { return loadMatrix(std::move(*file), options); });
    LoadedInput input;
    input.path = path;
    input.title = traceTitle(path);
    input.firstCurve = namingTheFile(path, [&] { return loadTraceFile(path); });
    input.curveCount = 1;
    return input;
}

const char* formatText(const LoadedInput& input) {
    switch (input.format) {
        case MatrixFormat::GlotaranTimeExplicit:
            return "Glotaran ascii, time explicit";
        case MatrixFormat::GlotaranWavelengthExplicit:
            return "Glotaran ascii, wavelength explicit";
        case MatrixFormat::Delimited:
            break;
    }
    return "delimited matrix";
}

std::string separatorText(char separator) {
    switch (separator) {
        case '\t':
            return "tabs";
        case ' ':
            return "blanks";
        default:
            return std::string("'") + separator + "'";
    }
}

std::string groupingText(const TracePlan& plan, const TraceChoice& choice) {
    switch (plan.grouping) {
        case TraceGrouping::EveryKth:
        case TraceGrouping::Automatic:
        case TraceGrouping::All:
            break;
        case TraceGrouping::BinWidth:
            return "averaged into bins " + formatGeneral15(choice.binWidth) + " wide";
        case TraceGrouping::BinCount:
            return "averaged into " + std::to_string(plan.binCount) + " bins of equal width";
    }
    return plan.grouping == TraceGrouping::EveryKth
               ? "every k-th taken, k = " + std::to_string(choice.every)
               : "one trace each";
}

std::string numberOrNone(double value) {
    return std::isnan(value) ? std::string("none") : formatGeneral15(value);
}

std::string matrixDescription(const LoadedInput& input, const MatrixOptions& options) {
    std::string text = input.title + ": " + formatText(input);
    if (input.format == MatrixFormat::Delimited) {
        text += ", separated by " + separatorText(input.separator) + ", decimal " +
                (input.decimalComma ? "comma" : "point");
    }
    text += ", " + std::to_string(input.timeCount) + " times x " +
            std::to_string(input.wavelengthCount) + " wavelengths (" +
            wavelengthUnitText(input.unit) + ")\n";
    text += std::string("  orientation: ") + orientationName(input.orientation) + " (" +
            input.orientationReason + ")\n";
    const TracePlan& plan = input.plan;
    text += "  times: " + std::to_string(plan.timeCount) + " of " +
            std::to_string(input.timeCount) + " kept, " + formatGeneral15(input.firstTime) +
            " to " + formatGeneral15(input.lastTime) + "\n";
    text += "  wavelengths: " + std::to_string(plan.columnCount) + " of " +
            std::to_string(input.wavelengthCount) + " kept, " + groupingText(plan, options.choice) +
            ", " + std::to_string(plan.traces.size()) + " traces (room for " +
            std::to_string(plan.room) + ")";
    text += options.choice.grouping == TraceGrouping::Automatic ? ", the default\n" : "\n";
    return text;
}

// 17 significant digits with the current decimal separator: the trace
// reader reads back the same double.
void appendExact(std::string& text, double value) {
    const std::size_t start = text.size();
    appendCsvNumber(text, value);
    std::replace(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(), '.',
                 decimalSeparator());
}

}  // namespace

std::vector<LoadedInput> loadInputs(const std::vector<std::string>& files,
                                    const MatrixOptions& options) {
    std::vector<LoadedInput> inputs;
    for (const std::string& path : files)
        inputs.push_back(loadOne(path, options));
    bool anyMatrix = false;
    for (const LoadedInput& input : inputs)
        anyMatrix = anyMatrix || input.matrix;
    if (!anyMatrix && !options.matrixOptionsGiven.empty()) {
        throw MatrixUsageProblem("option '" + options.matrixOptionsGiven.front() +
                                 "' chooses from matrix files, and no FILE is one");
    }
    return inputs;
}

std::vector<SavedCurve> savedCurvesOf(const std::vector<LoadedInput>& inputs) {
    std::vector<SavedCurve> curves;
    for (const LoadedInput& input : inputs) {
        for (int k = 0; k < input.curveCount; ++k)
            curves.push_back({input.title, input.matrix});
    }
    return curves;
}

std::string inputListing(const std::vector<LoadedInput>& inputs, const MatrixOptions& options) {
    std::string text;
    for (const LoadedInput& input : inputs) {
        if (input.matrix)
            text += matrixDescription(input, options);
        else
            text += input.title + ": trace file\n";
    }
    text += "curve\twavelength\tcolumns\tpoints\tfile\n";
    for (const LoadedInput& input : inputs) {
        for (int k = 0; k < input.curveCount; ++k) {
            const int curve = input.firstCurve + k;
            const std::size_t columns =
                input.matrix ? input.plan.traces[static_cast<std::size_t>(k)].columns.size() : 1;
            text += std::to_string(curve) + '\t' + numberOrNone(workspace.wavelength[curve]) +
                    '\t' + std::to_string(columns) + '\t' +
                    std::to_string(workspace.pointCount[curve]) + '\t' + input.title + '\n';
        }
    }
    return text;
}

std::string traceFileName(double wavelength, WavelengthUnit unit) {
    std::string label = wavelengthLabel(wavelength, unit);
    const std::size_t blank = label.find(' ');
    label.erase(blank, 1);
    if (label.ends_with("cm^-1"))
        label.replace(label.size() - 5, 5, "cm-1");
    const bool readable =
        unit == WavelengthUnit::Nanometre && wavelength >= 100 && wavelength < 1000;
    return (readable ? "" : "w") + label + ".txt";
}

std::vector<std::string> writeTraceFiles(const std::string& folder,
                                         const std::vector<LoadedInput>& inputs) {
    std::vector<std::string> written;
    std::set<std::string> names;
    for (const LoadedInput& input : inputs) {
        if (!input.matrix)
            continue;
        for (int curve = input.firstCurve; curve < input.firstCurve + input.curveCount; ++curve) {
            std::string name = traceFileName(workspace.wavelength[curve], input.unit);
            const std::string stem = name.substr(0, name.size() - 4);
            for (int copy = 2; names.count(name) != 0; ++copy)
                name = stem + '_' + std::to_string(copy) + ".txt";
            names.insert(name);
            std::string text;
            const Curve& slot = workspace.curves[curve];
            for (int i = 1; i <= workspace.pointCount[curve]; ++i) {
                appendExact(text, slot.times[i]);
                text += ' ';
                appendExact(text, slot.values[i]);
                text += '\n';
            }
            const std::string path = (std::filesystem::path(folder) / name).string();
            ReplacingFile file(path);
            file.write(text);
            file.commit();
            written.push_back(path);
        }
    }
    return written;
}

}  // namespace quorvane
