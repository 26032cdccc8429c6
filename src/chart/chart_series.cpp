#include "chart/chart_series.h"

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
