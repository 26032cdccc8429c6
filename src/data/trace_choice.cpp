#include "data/trace_choice.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "data/error.h"
#include "data/number_format.h"
#include "data/workspace.h"

namespace quorvane {

namespace {

QuorvaneError choiceError(const Measurement& measurement, const std::string& what) {
    return QuorvaneError("Cannot load " + measurement.title + ": " + what,
                         "File " + measurement.title + ".");
}

ValueRange ordered(ValueRange range) {
    if (range.from > range.to)
        std::swap(range.from, range.to);
    return range;
}

bool contains(const ValueRange& range, double value) {
    return value >= range.from && value <= range.to;
}

std::string rangeText(const ValueRange& range) {
    return formatGeneral15(range.from) + ".." + formatGeneral15(range.to);
}

void checkChoice(const Measurement& measurement, const TraceChoice& choice) {
    const auto checkRange = [&](const ValueRange& range, const char* what) {
        if (std::isnan(range.from) || std::isnan(range.to))
            throw choiceError(measurement, std::string(what) + " has an end that is not a number");
    };
    if (choice.times)
        checkRange(*choice.times, "the time window");
    if (choice.wavelengths)
        checkRange(*choice.wavelengths, "the wavelength range");
    for (const ValueRange& band : choice.excluded)
        checkRange(band, "an excluded band");
    if (choice.grouping == TraceGrouping::EveryKth && choice.every < 1)
        throw choiceError(measurement, "every k-th wavelength needs k >= 1");
    if (choice.grouping == TraceGrouping::BinWidth &&
        !(choice.binWidth > 0 && std::isfinite(choice.binWidth)))
        throw choiceError(measurement, "the bin width must be a number > 0");
    if (choice.grouping == TraceGrouping::BinCount && choice.binCount < 1)
        throw choiceError(measurement, "the number of bins must be at least 1");
}

void applyTimeWindow(const Measurement& measurement, const TraceChoice& choice, TracePlan& plan) {
    const std::vector<double>& times = measurement.matrix.times;
    if (!choice.times) {
        plan.firstTime = 0;
        plan.timeCount = times.size();
    } else {
        // A monotonic axis keeps one run of rows.
        const ValueRange window = ordered(*choice.times);
        std::size_t first = 0;
        while (first < times.size() && !contains(window, times[first]))
            ++first;
        std::size_t last = first;
        while (last < times.size() && contains(window, times[last]))
            ++last;
        plan.firstTime = first;
        plan.timeCount = last - first;
        if (plan.timeCount == 0)
            throw choiceError(measurement,
                              "no time lies within the time window " + rangeText(window));
    }
    if (plan.timeCount > static_cast<std::size_t>(kMaxPoints)) {
        throw choiceError(measurement,
                          std::to_string(plan.timeCount) + " times remain, a trace holds at most " +
                              std::to_string(kMaxPoints) + " points: choose a time window");
    }
}

std::vector<std::size_t> remainingColumns(const Measurement& measurement,
                                          const TraceChoice& choice) {
    std::vector<std::size_t> columns;
    const std::vector<double>& wavelengths = measurement.matrix.wavelengths;
    for (std::size_t c = 0; c < wavelengths.size(); ++c) {
        const double wavelength = wavelengths[c];
        if (choice.wavelengths && !contains(ordered(*choice.wavelengths), wavelength))
            continue;
        const bool excluded = std::any_of(
            choice.excluded.begin(), choice.excluded.end(),
            [&](const ValueRange& band) { return contains(ordered(band), wavelength); });
        if (!excluded)
            columns.push_back(c);
    }
    return columns;
}

// Consecutive columns with the same bin number form one trace; the axis is
// strictly monotonic, so each bin is one run and empty bins give nothing.
template <typename BinOf>
std::vector<PlannedTrace> binnedTraces(const std::vector<std::size_t>& columns, BinOf binOf) {
    std::vector<PlannedTrace> traces;
    double currentBin = 0;
    for (const std::size_t column : columns) {
        const double bin = binOf(column);
        if (traces.empty() || bin != currentBin) {
            traces.emplace_back();
            currentBin = bin;
        }
        traces.back().columns.push_back(column);
    }
    return traces;
}

std::vector<PlannedTrace> groupColumns(const Measurement& measurement,
                                       const std::vector<std::size_t>& columns, TracePlan& plan,
                                       const TraceChoice& choice) {
    const std::vector<double>& wavelengths = measurement.matrix.wavelengths;
    const auto [lowest, highest] = std::minmax_element(
        columns.begin(), columns.end(),
        [&](std::size_t a, std::size_t b) { return wavelengths[a] < wavelengths[b]; });
    const double low = wavelengths[*lowest];
    const double high = wavelengths[*highest];
    switch (plan.grouping) {
        case TraceGrouping::BinWidth:
            return binnedTraces(columns, [&](std::size_t c) {
                return std::floor((wavelengths[c] - low) / choice.binWidth);
            });
        case TraceGrouping::BinCount: {
            const double bins = plan.binCount;
            return binnedTraces(columns, [&](std::size_t c) {
                if (high == low)
                    return 0.0;
                return std::min(std::floor((wavelengths[c] - low) / (high - low) * bins), bins - 1);
            });
        }
        case TraceGrouping::EveryKth: {
            std::vector<PlannedTrace> traces;
            for (std::size_t i = 0; i < columns.size(); i += static_cast<std::size_t>(choice.every))
                traces.push_back({0, {columns[i]}});
            return traces;
        }
        default: {
            std::vector<PlannedTrace> traces;
            for (const std::size_t column : columns)
                traces.push_back({0, {column}});
            return traces;
        }
    }
}

}  // namespace

int roomInWorkspace() {
    return kMaxCurves - workspace.curveCount;
}

TracePlan planTraces(const Measurement& measurement, const TraceChoice& choice, int room) {
    checkChoice(measurement, choice);
    TracePlan plan;
    plan.room = room;
    applyTimeWindow(measurement, choice, plan);

    const std::vector<std::size_t> columns = remainingColumns(measurement, choice);
    plan.columnCount = columns.size();
    if (columns.empty()) {
        throw choiceError(measurement,
                          "the choice leaves no trace: no wavelength lies within the range "
                          "and outside the excluded bands");
    }
    if (room <= 0) {
        throw choiceError(measurement, "the workspace has no room for more traces (" +
                                           std::to_string(kMaxCurves) + " are loaded)");
    }
    plan.grouping = choice.grouping;
    plan.binCount = choice.binCount;
    if (choice.grouping == TraceGrouping::Automatic) {
        const bool fits = columns.size() <= static_cast<std::size_t>(room);
        plan.grouping = fits ? TraceGrouping::All : TraceGrouping::BinCount;
        plan.binCount = fits ? 0 : room;
    }
    plan.traces = groupColumns(measurement, columns, plan, choice);
    if (plan.traces.size() > static_cast<std::size_t>(room)) {
        throw choiceError(measurement, "the choice makes " + std::to_string(plan.traces.size()) +
                                           " traces, the workspace has room for " +
                                           std::to_string(room) + " more");
    }
    for (PlannedTrace& trace : plan.traces) {
        long double sum = 0;
        for (const std::size_t column : trace.columns)
            sum += measurement.matrix.wavelengths[column];
        trace.wavelength =
            static_cast<double>(sum / static_cast<long double>(trace.columns.size()));
    }
    return plan;
}

void traceValues(const Measurement& measurement, const TracePlan& plan, std::size_t trace,
                 double* out) {
    const KineticMatrix& matrix = measurement.matrix;
    const std::vector<std::size_t>& columns = plan.traces[trace].columns;
    const std::size_t width = matrix.wavelengthCount();
    const long double count = static_cast<long double>(columns.size());
    for (std::size_t t = 0; t < plan.timeCount; ++t) {
        const double* row = &matrix.values[(plan.firstTime + t) * width];
        if (columns.size() == 1) {
            out[t] = row[columns[0]];
            continue;
        }
        long double sum = 0;
        for (const std::size_t column : columns)
            sum += row[column];
        out[t] = static_cast<double>(sum / count);
    }
}

}  // namespace quorvane
