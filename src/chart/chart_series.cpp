#include "chart/chart_series.h"

#include <qcustomplot.h>

#include "chart/chart.h"

namespace quorvane {

ChartSeries::ChartSeries(Chart& chart, SeriesKind kind, QCPAbstractPlottable* plottable)
    : chart_(chart), kind_(kind), plottable_(plottable) {}

ChartSeries::~ChartSeries() = default;

void ChartSeries::setTitle(const QString& title) {
    title_ = title;
    chart_.structureDirty_ = true;
    chart_.scheduleRedraw();
}

void ChartSeries::addPoint(double x, double y, QColor colour) {
    points_.add(Point{x, y, colour});
    if (colour != colour_) {
        colour_ = colour;
        styleDirty_ = true;
    }
    changed();
}

void ChartSeries::addPoint(double x, double y, QColor colour, double error) {
    points_.add(Point{x, y, colour, error});
    if (colour != colour_) {
        colour_ = colour;
        styleDirty_ = true;
    }
    changed();
}

void ChartSeries::setErrorBarsVisible(bool visible) {
    errorBarsVisible_ = visible;
    // The bars' data follow the points on the next redraw.
    changed();
    styleDirty_ = true;
}

void ChartSeries::setValueAxis(AxisPosition axis) {
    valueAxis_ = axis;
    plottable_->setValueAxis(chart_.state(axis).axis);
    changed();
}

void ChartSeries::setLineWidth(int pixels) {
    lineWidth_ = pixels;
    styleDirty_ = true;
    chart_.scheduleRedraw();
}

void ChartSeries::setPointMarkersVisible(bool visible) {
    pointMarkersVisible_ = visible;
    styleDirty_ = true;
    chart_.scheduleRedraw();
}

void ChartSeries::setMarksVisible(bool visible) {
    marksVisible_ = visible;
    styleDirty_ = true;
    chart_.scheduleRedraw();
}

void ChartSeries::changed() {
    dataDirty_ = true;
    chart_.scheduleRedraw();
}

}  // namespace quorvane
