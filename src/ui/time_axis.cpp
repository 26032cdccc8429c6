#include "ui/time_axis.h"

#include <cmath>
#include <optional>

#include "chart/axis_label_format.h"
#include "data/number_text.h"
#include "fit/response_boxes.h"

namespace quorvane {

namespace {

// Labelled ticks a linear axis over the data aims at, and its minor ticks
// between two of them.
constexpr int kLinearLabelCount = 8;
constexpr int kLinearMinorTickCount = 4;
// The switch time centre + this many FWHM.
constexpr double kSwitchWidths = 5;

QString timeLabel(double value, double resolution) {
    return QString::fromStdString(formatTimeLabel(value, resolution));
}

}  // namespace

AxisDesign designedTimeAxis() {
    const QColor blue(0, 0, 255);
    AxisDesign time;
    time.logarithmic = true;
    time.automatic = false;
    time.minimum = 1e-6;
    time.maximum = 10;
    time.labelText = [](double value, double resolution) {
        return QString::fromStdString(formatPowerOfTenLabel(value, resolution));
    };
    time.tickColour = blue;
    time.tickLengthOutside = 11;
    time.tickLengthInside = 3;
    time.minorTickCount = 8;
    time.minorTickLengthOutside = 7;
    time.minorTickLengthInside = 0;
    time.gridVisible = true;
    time.gridPen = QPen(blue, 0, Qt::DotLine);
    time.minorGridVisible = true;
    time.minorGridPen = QPen(blue, 0, Qt::DashDotDotLine);
    return time;
}

AxisDesign timeAxisDesign(TimeAxis axis, double switchTime) {
    AxisDesign time = designedTimeAxis();
    if (axis == TimeAxis::Designed)
        return time;
    // Before any trace is loaded the designed range stands.
    time.automatic = true;
    time.labelText = timeLabel;
    if (axis == TimeAxis::LinearData) {
        time.logarithmic = false;
        time.labelCountHint = kLinearLabelCount;
        time.minorTickCount = kLinearMinorTickCount;
    } else if (axis == TimeAxis::LinearLogarithmic) {
        time.logarithmic = false;
        time.linearLogarithmicSwitch = switchTime;
    }
    return time;
}

double linearLogarithmicSwitch(const QString& typed, const ResponseBoxes& response) {
    if (const std::optional<double> value = parseDouble(typed.toStdString());
        value && std::isnormal(*value) && *value > 0)
        return *value;
    const std::optional<double> centre = parseDouble(response.centre);
    const std::optional<double> fwhm = parseDouble(response.fwhm);
    if (centre && fwhm) {
        const double switchTime = *centre + kSwitchWidths * *fwhm;
        if (std::isnormal(switchTime) && switchTime > 0)
            return switchTime;
    }
    return 1;
}

}  // namespace quorvane
