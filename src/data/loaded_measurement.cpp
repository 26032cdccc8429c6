#include "data/loaded_measurement.h"

#include <memory>
#include <string>
#include <utility>

#include "data/error.h"
#include "data/time_axes.h"
#include "data/workspace.h"

namespace quorvane {

namespace {

std::unique_ptr<Measurement>& keptMeasurement() {
    static std::unique_ptr<Measurement> measurement;
    return measurement;
}

QuorvaneError planError(const Measurement& measurement, const std::string& what) {
    return QuorvaneError("Cannot load " + measurement.title + ": " + what,
                         "File " + measurement.title + ".");
}

void checkPlan(const Measurement& measurement, const TracePlan& plan) {
    const KineticMatrix& matrix = measurement.matrix;
    if (plan.traces.empty())
        throw planError(measurement, "the choice leaves no trace");
    if (plan.timeCount == 0 || plan.timeCount > static_cast<std::size_t>(kMaxPoints) ||
        plan.firstTime + plan.timeCount > matrix.timeCount())
        throw planError(measurement, "the plan's time window does not fit the measurement");
    for (const PlannedTrace& trace : plan.traces) {
        for (const std::size_t column : trace.columns) {
            if (column >= matrix.wavelengthCount())
                throw planError(measurement, "the plan's columns do not fit the measurement");
        }
        if (trace.columns.empty())
            throw planError(measurement, "the plan has a trace without columns");
    }
    const int room = kMaxCurves - workspace.curveCount;
    if (plan.traces.size() > static_cast<std::size_t>(room)) {
        throw planError(measurement, "the choice makes " + std::to_string(plan.traces.size()) +
                                         " traces, the workspace has room for " +
                                         std::to_string(room) + " more");
    }
}

// The measurement's rows of the time window, every wavelength.
std::unique_ptr<Measurement> windowed(const Measurement& measurement, const TracePlan& plan) {
    auto result = std::make_unique<Measurement>();
    result->path = measurement.path;
    result->title = measurement.title;
    result->format = measurement.format;
    result->orientation = measurement.orientation;
    result->unit = measurement.unit;
    const KineticMatrix& whole = measurement.matrix;
    KineticMatrix& kept = result->matrix;
    const auto firstTime = static_cast<std::ptrdiff_t>(plan.firstTime);
    const auto timeCount = static_cast<std::ptrdiff_t>(plan.timeCount);
    kept.times.assign(whole.times.begin() + firstTime, whole.times.begin() + firstTime + timeCount);
    kept.wavelengths = whole.wavelengths;
    const auto width = static_cast<std::ptrdiff_t>(whole.wavelengthCount());
    kept.values.assign(whole.values.begin() + firstTime * width,
                       whole.values.begin() + (firstTime + timeCount) * width);
    return result;
}

// Writes the planned curves; nothing here can fail.
int writeCurves(const Measurement& measurement, const TracePlan& plan) {
    const int first = workspace.curveCount + 1;
    const auto points = static_cast<int>(plan.timeCount);
    const double* times = &measurement.matrix.times[plan.firstTime];
    for (std::size_t k = 0; k < plan.traces.size(); ++k) {
        const int curve = first + static_cast<int>(k);
        Curve& slot = workspace.curves[curve];
        std::copy(times, times + points, &slot.times[1]);
        traceValues(measurement, plan, k, &slot.values[1]);
        workspace.pointCount[curve] = points;
        workspace.wavelength[curve] = plan.traces[k].wavelength;
    }
    workspace.curveCount = first - 1 + static_cast<int>(plan.traces.size());
    noteCurveDataChanged();
    return first;
}

}  // namespace

int loadMatrixTraces(const Measurement& measurement, const TracePlan& plan) {
    checkPlan(measurement, plan);
    // Everything that may fail (the copy's memory) comes before the first
    // write to the workspace.
    std::unique_ptr<Measurement> kept = windowed(measurement, plan);
    const int first = writeCurves(measurement, plan);
    keptMeasurement() = std::move(kept);
    return first;
}

int loadMatrixTraces(Measurement&& measurement, const TracePlan& plan) {
    checkPlan(measurement, plan);
    auto kept = std::make_unique<Measurement>();
    const int first = writeCurves(measurement, plan);
    // Cut to the time window in place: erasing moves doubles, allocates
    // nothing and cannot fail.
    KineticMatrix& matrix = measurement.matrix;
    const auto firstTime = static_cast<std::ptrdiff_t>(plan.firstTime);
    const auto endTime = firstTime + static_cast<std::ptrdiff_t>(plan.timeCount);
    const auto width = static_cast<std::ptrdiff_t>(matrix.wavelengthCount());
    matrix.values.erase(matrix.values.begin() + endTime * width, matrix.values.end());
    matrix.values.erase(matrix.values.begin(), matrix.values.begin() + firstTime * width);
    matrix.times.erase(matrix.times.begin() + endTime, matrix.times.end());
    matrix.times.erase(matrix.times.begin(), matrix.times.begin() + firstTime);
    *kept = std::move(measurement);
    keptMeasurement() = std::move(kept);
    return first;
}

const Measurement* loadedMeasurement() {
    return keptMeasurement().get();
}

void clearLoadedMeasurement() {
    keptMeasurement().reset();
}

KineticMatrix matrixOfLoadedTraces() {
    const int curves = workspace.curveCount;
    if (curves == 0)
        throw QuorvaneError("No traces are loaded");
    for (int c = 2; c <= curves; ++c) {
        if (!sameTimes(1, c))
            throw QuorvaneError("The loaded traces do not share one time axis");
    }
    KineticMatrix matrix;
    const int points = workspace.pointCount[1];
    matrix.times.assign(&workspace.curves[1].times[1], &workspace.curves[1].times[1] + points);
    matrix.wavelengths.assign(&workspace.wavelength[1], &workspace.wavelength[1] + curves);
    matrix.values.resize(static_cast<std::size_t>(points) * static_cast<std::size_t>(curves));
    for (int c = 1; c <= curves; ++c) {
        for (int i = 1; i <= points; ++i)
            matrix.values[static_cast<std::size_t>(i - 1) * curves + (c - 1)] =
                workspace.curves[c].values[i];
    }
    return matrix;
}

}  // namespace quorvane
