// The View menu's time axes of the main chart and the instrument-response
// command of the Tools menu.
#include <QAction>
#include <QActionGroup>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "chart/chart.h"
#include "chart/bar_chart_3d.h"
#include "data/floating_point.h"
#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "fit/model.h"
#include "ui/unit1.h"
#include "ui/view_settings.h"
#include "views/unit4.h"
#include "views/unit5.h"

namespace quorvane {

namespace {

const QString kResponseOnlyByProjection = QStringLiteral(
    "Off while the instrument response is on: the response is fitted by variable "
    "projection only.");

// The residual surface's designed time range.
constexpr double kResidualMinimum = 3e-7;
constexpr double kResidualMaximum = 1;

// The most points of a fitted curve drawn at its trace's times.
constexpr int kMostFittedPoints = 2000;

// The lowest and highest time of `series` that `scale` places.
std::optional<AxisDesign::Span> timeSpan(const std::vector<ChartSeries*>& series,
                                         const AxisScale& scale) {
    double lowest = std::numeric_limits<double>::infinity();
    double highest = -lowest;
    for (const ChartSeries* trace : series) {
        for (int i = 0; i < trace->pointCount(); ++i) {
            const double time = trace->point(i).x;
            if (!scale.places(time))
                continue;
            lowest = std::min(lowest, time);
            highest = std::max(highest, time);
        }
    }
    if (!(lowest <= highest))
        return std::nullopt;
    return AxisDesign::Span{lowest, highest};
}

}  // namespace

void TForm1::setTimeAxis(TimeAxis axis, const QString& typedSwitchTime) {
    const bool overTheData = timeAxis_ != TimeAxis::Designed;
    timeAxis_ = axis;
    typedSwitchTime_ = typedSwitchTime;
    applyTimeAxis();
    if (!concentrationSeries_.empty() && form5_ != nullptr)
        form5_->timeAxisChanged();
    // The fitted curves move to the other grid while they still belong to
    // the traces on the chart (no trace loaded since, no fit running).
    if (overTheData != (axis != TimeAxis::Designed) && !fittedCurveSeries_.empty() &&
        fittedCurveSeries_.size() == static_cast<std::size_t>(workspace.curveCount) &&
        !startInProgress())
        runCommand([this] { replaceFittedCurves(); });
}

double TForm1::switchTime() const {
    return linearLogarithmicSwitch(typedSwitchTime_, response_);
}

void TForm1::applyTimeAxis() {
    AxisDesign time = timeAxisDesign(timeAxis_, switchTime());
    if (timeAxis_ != TimeAxis::Designed) {
        time.automaticSpan = [this](const AxisScale& scale) {
            return timeSpan(dataSeries_, scale);
        };
    }
    Chart1->setAxisDesign(AxisPosition::Bottom, time);
    Chart1->restoreRanges();
    for (QAction* action : timeAxisGroup->actions()) {
        for (const TimeAxisChoice& choice : kTimeAxisChoices) {
            if (choice.axis == timeAxis_ && action->objectName() == QLatin1String(choice.name))
                action->setChecked(true);
        }
    }
}

void TForm1::Switchtime1Click() {
    runCommand([this] {
        if (!interaction_.chooseSwitchTime)
            return;
        const std::optional<QString> typed = interaction_.chooseSwitchTime(
            *this, typedSwitchTime_, linearLogarithmicSwitch(QString(), response_));
        if (!typed)
            return;
        setTimeAxis(timeAxis_, typed->trimmed());
        rememberTimeAxis(timeAxis_, typedSwitchTime_);
    });
}

void TForm1::setResponse(const ResponseBoxes& response) {
    if (response.enabled && !response_.enabled)
        methodBeforeResponse_ = fitMethod();
    const bool wasEnabled = response_.enabled;
    const double oldSwitchTime = switchTime();
    response_ = response;
    ClassicLevenbergMarquardt1->setEnabled(!response.enabled);
    ClassicLevenbergMarquardt1->setToolTip(response.enabled ? kResponseOnlyByProjection
                                                            : QString());
    if (response.enabled)
        Variableprojection1->setChecked(true);
    else if (wasEnabled)
        setFitMethod(methodBeforeResponse_);
    // The automatic switch time follows the centre and the width (a view
    // the user zoomed stays while it does not move).
    if (timeAxis_ == TimeAxis::LinearLogarithmic && switchTime() != oldSwitchTime)
        applyTimeAxis();
}

void TForm1::Instrumentresponse1Click() {
    runCommand([this] {
        ResponseBoxes boxes = response_;
        if (!interaction_.editResponse || !interaction_.editResponse(*this, boxes))
            return;
        setResponse(boxes);
        rememberResponse(boxes);
    });
}

void TForm1::plotFittedCurveAtTraceTimes(int curve, ChartSeries& series) {
    const int count = workspace.pointCount[curve];
    const int stride = std::max(1, (count + kMostFittedPoints - 1) / kMostFittedPoints);
    std::vector<std::pair<double, double>> points;
    const auto addPoint = [&points, curve](int point) {
        points.emplace_back(workspace.curves[curve].times[point],
                            static_cast<double>(evaluateModelAtPoint(curve, point)));
    };
    clearFloatingPointFaults();
    for (int point = 1; point <= count; point += stride)
        addPoint(point);
    if (count > 0 && (count - 1) % stride != 0)
        addPoint(count);
    // A fault leaves the curve empty rather than half drawn.
    checkFloatingPointFaults();
    for (const auto& [time, value] : points)
        series.addPoint(time, value, Qt::red);
}

void TForm1::showResidualsOnTimeAxis() {
    if (form4_ == nullptr)
        return;
    // Its 3-D chart is logarithmic only: an axis over the data shows the
    // data's positive times on it.
    const std::optional<AxisDesign::Span> span =
        timeAxis_ == TimeAxis::Designed ? std::nullopt
                                        : timeSpan(dataSeries_, AxisScale::logarithmic());
    if (span && span->lowest < span->highest)
        form4_->Chart1->setBottomAxisRange(span->lowest, span->highest);
    else
        form4_->Chart1->setBottomAxisRange(kResidualMinimum, kResidualMaximum);
}

}  // namespace quorvane
