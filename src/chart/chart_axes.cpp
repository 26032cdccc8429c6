// The axes of a Chart: applying an axis' design, the automatic ranges and
// the visible ranges under zoom. A linear-logarithmic bottom axis is a
// linear axis of the component over positions (axis_scale.h): ranges are
// turned into positions when they are set and back into values when they
// are read, and the series' x into positions when they are handed over.
#include <qcustomplot.h>
#include <algorithm>
#include <cmath>
#include <limits>

#include "chart/chart.h"
#include "chart/chart_interaction.h"
#include "chart/linear_logarithmic_ticker.h"
#include "chart/log_axis_ticker.h"

namespace quorvane {

namespace {

// Ticks of a linear axis: the component's placement, the design's label
// text (given the tick step as the resolution).
class LinearAxisTicker : public QCPAxisTicker {
  public:
    explicit LinearAxisTicker(AxisDesign::LabelText labelText) : labelText_(std::move(labelText)) {}

  protected:
    QVector<double> createTickVector(double tickStep, const QCPRange& range) override {
        step_ = tickStep;
        return QCPAxisTicker::createTickVector(tickStep, range);
    }
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                         int precision) override {
        if (labelText_)
            return labelText_(tick, step_);
        return QCPAxisTicker::getTickLabel(tick, locale, formatChar, precision);
    }

  private:
    AxisDesign::LabelText labelText_;
    double step_ = 0;
};

// Room left beyond the data on each side of an automatic axis, as a
// fraction of the data's span (of its decades on a logarithmic axis).
constexpr double kAutomaticMargin = 0.05;

}  // namespace

Chart::AxisState& Chart::state(AxisPosition axis) {
    return axes_[static_cast<int>(axis)];
}

const Chart::AxisState& Chart::state(AxisPosition axis) const {
    return axes_[static_cast<int>(axis)];
}

const AxisDesign& Chart::axisDesign(AxisPosition axis) const {
    return state(axis).design;
}

void Chart::setAxisDesign(AxisPosition axis, const AxisDesign& design) {
    AxisState& target = state(axis);
    const bool remap = axis == AxisPosition::Bottom &&
                       target.design.linearLogarithmicSwitch != design.linearLogarithmicSwitch;
    target.design = design;
    // Every series' x reaches the component anew through the new map.
    if (remap) {
        for (const auto& entry : series_)
            entry->dataDirty_ = true;
    }
    applyAxisDesign(target);
    scheduleRedraw();
}

void Chart::applyAxisDesign(AxisState& target) {
    const AxisDesign& design = target.design;
    QCPAxis* axis = target.axis;
    axis->setVisible(design.visible);
    const bool linearLogarithmic =
        &target == &state(AxisPosition::Bottom) && design.linearLogarithmicSwitch > 0;
    axis->setScaleType(design.logarithmic && !linearLogarithmic ? QCPAxis::stLogarithmic
                                                                : QCPAxis::stLinear);
    if (linearLogarithmic) {
        axis->setTicker(QSharedPointer<LinearLogarithmicTicker>::create(
            *axis, design.linearLogarithmicSwitch, design.labelText));
    } else if (design.logarithmic) {
        auto ticker = QSharedPointer<LogAxisTicker>::create(*axis, design.labelText);
        ticker->setLogBase(10);
        ticker->setSubTickCount(design.minorTickCount);
        ticker->setTickCount(10);
        axis->setTicker(ticker);
    } else {
        auto ticker = QSharedPointer<LinearAxisTicker>::create(design.labelText);
        ticker->setTickCount(design.labelCountHint);
        axis->setTicker(ticker);
    }
    // Plain label texts: the component's typeset powers would replace an
    // "e" in a label by a superscript.
    if (design.labelText)
        axis->setNumberFormat(QStringLiteral("g"));
    axis->setTickLabels(design.labelsVisible);
    axis->setLabel(design.title);
    axis->setBasePen(QPen(design.axisColour, 0));
    axis->setTickPen(QPen(design.tickColour, 0));
    axis->setSubTickPen(QPen(design.tickColour, 0));
    axis->setTickLength(design.tickLengthInside, design.tickLengthOutside);
    axis->setSubTickLength(design.minorTickLengthInside, design.minorTickLengthOutside);
    axis->setSubTicks(design.minorTickCount > 0);
    axis->grid()->setVisible(design.gridVisible);
    axis->grid()->setPen(design.gridPen);
    axis->grid()->setZeroLinePen(design.gridPen);
    axis->grid()->setSubGridVisible(design.minorGridVisible);
    axis->grid()->setSubGridPen(design.minorGridPen);
    if (!design.automatic || series_.empty())
        applyDesignRange(target);
}

AxisScale Chart::bottomPlotScale() const {
    const AxisDesign& design = state(AxisPosition::Bottom).design;
    return design.linearLogarithmicSwitch > 0
               ? AxisScale::linearLogarithmic(design.linearLogarithmicSwitch)
               : AxisScale::linear();
}

void Chart::applyDesignRange(AxisState& axis) {
    const AxisScale map =
        &axis == &state(AxisPosition::Bottom) ? bottomPlotScale() : AxisScale::linear();
    axis.axis->setRange(map.position(axis.design.minimum), map.position(axis.design.maximum));
}

double Chart::axisMinimum(AxisPosition axis) const {
    const double lower = state(axis).axis->range().lower;
    return axis == AxisPosition::Bottom ? bottomPlotScale().value(lower) : lower;
}

double Chart::axisMaximum(AxisPosition axis) const {
    const double upper = state(axis).axis->range().upper;
    return axis == AxisPosition::Bottom ? bottomPlotScale().value(upper) : upper;
}

void Chart::zoomTo(double bottomMinimum, double bottomMaximum, double leftMinimum,
                   double leftMaximum) {
    const AxisScale bottom = bottomPlotScale();
    interaction_->zoomTo(bottom.position(bottomMinimum), bottom.position(bottomMaximum),
                         leftMinimum, leftMaximum);
}

void Chart::setZoomAnimationSteps(int steps) {
    interaction_->setAnimationSteps(steps);
}

void Chart::restoreRanges() {
    interaction_->reset();
    for (AxisState& axis : axes_)
        applyDesignRange(axis);
    fitAutomaticAxes();
    scheduleRedraw();
}

void Chart::fitAutomaticAxes() {
    for (AxisPosition position : {AxisPosition::Bottom, AxisPosition::Left}) {
        AxisState& axis = state(position);
        if (!axis.design.automatic)
            continue;
        const bool horizontal = position == AxisPosition::Bottom;
        double lowest = std::numeric_limits<double>::infinity();
        double highest = -std::numeric_limits<double>::infinity();
        const AxisScale scale = axis.design.scale();
        if (axis.design.automaticSpan) {
            if (const auto span = axis.design.automaticSpan(scale)) {
                lowest = span->lowest;
                highest = span->highest;
            }
        } else {
            for (const auto& entry : series_) {
                if (!horizontal && entry->valueAxis_ != AxisPosition::Left)
                    continue;
                const bool bars = !horizontal && entry->errorBarsVisible_;
                for (const ChartSeries::Point& point : entry->points_.items()) {
                    const double value = horizontal ? point.x : point.y;
                    if (!scale.places(value))
                        continue;
                    const double reach = bars ? std::fabs(point.error) : 0.0;
                    lowest = std::min(lowest, value - reach);
                    highest = std::max(highest, value + reach);
                }
                if (!horizontal && entry->kind_ == SeriesKind::Bar && !entry->points_.empty()) {
                    lowest = std::min(lowest, 0.0);
                    highest = std::max(highest, 0.0);
                }
            }
        }
        if (!(lowest <= highest)) {
            applyDesignRange(axis);
            continue;
        }
        if (lowest == highest) {
            const double spread = lowest == 0 ? 1 : std::fabs(lowest) * 0.1;
            lowest -= spread;
            highest += spread;
        }
        // The extreme points stand inside the plot frame, not on it: a
        // margin of the span of positions on a linear-logarithmic axis.
        if (horizontal && axis.design.linearLogarithmicSwitch > 0) {
            const AxisScale map = bottomPlotScale();
            lowest = map.position(lowest);
            highest = map.position(highest);
            const double margin = (highest - lowest) * kAutomaticMargin;
            axis.axis->setRange(lowest - margin, highest + margin);
            continue;
        }
        if (axis.design.logarithmic) {
            const double factor = std::pow(highest / lowest, kAutomaticMargin);
            lowest /= factor;
            highest *= factor;
        } else {
            const double margin = (highest - lowest) * kAutomaticMargin;
            lowest -= margin;
            highest += margin;
        }
        axis.axis->setRange(lowest, highest);
    }
}

}  // namespace quorvane
