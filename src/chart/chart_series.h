// One series of a Chart (chart.h): a line or a bar series, its title, its
// style and its points.
//
// Points: a series keeps its points in ascending x; a point whose x equals
// that of earlier points goes after them (data/ascending_sequence.h). The
// points are the series' own; the plotting component receives a copy only
// when the chart is redrawn, and only for series that changed since, so
// adding 20000 points costs one copy and a repaint never rebuilds unchanged
// series.
//
// Colours: every point carries its colour, but a series is drawn in one
// colour, the colour of its most recently added point. The program gives
// all points of a series one colour (black traces, red fits, residual bars
// and spectra), so nothing it draws depends on this.
#pragma once

#include <QColor>
#include <QString>

#include "chart/axis_design.h"
#include "data/ascending_sequence.h"

class QCPAbstractPlottable;
class QCPErrorBars;

namespace quorvane {

class Chart;

enum class SeriesKind { Line, Bar };

class ChartSeries {
  public:
    struct Point {
        double x;
        double y;
        QColor colour;
        double error = 0;  // half the length of the point's error bar
    };

    SeriesKind kind() const { return kind_; }

    const QString& title() const { return title_; }
    void setTitle(const QString& title);

    // Inserts after every point with x <= the new x (see the file comment).
    void addPoint(double x, double y, QColor colour);
    // The same with a vertical error bar y - error .. y + error, drawn while
    // the series' error bars are visible.
    void addPoint(double x, double y, QColor colour, double error);

    int pointCount() const { return static_cast<int>(points_.size()); }
    // The point at 0-based `index` in ascending-x order.
    const Point& point(int index) const { return points_.items()[static_cast<std::size_t>(index)]; }
    // The colour the series is drawn in (that of its last added point; black
    // while it has none).
    QColor colour() const { return colour_; }

    // Width of a line series' pen in pixels.
    void setLineWidth(int pixels);
    int lineWidth() const { return lineWidth_; }

    // A small disc at every point of a line series; off by default.
    void setPointMarkersVisible(bool visible);
    bool pointMarkersVisible() const { return pointMarkersVisible_; }

    // Value labels above a bar series' bars; on by default, as the charting
    // component the program was designed with has them.
    void setMarksVisible(bool visible);
    bool marksVisible() const { return marksVisible_; }

    // A line series' error bars (in its colour); off by default. While on,
    // an automatic value axis holds the bars' ends too.
    void setErrorBarsVisible(bool visible);
    bool errorBarsVisible() const { return errorBarsVisible_; }

    // The axis the series' values are drawn against: Left (the default) or
    // Right. An automatic left axis fits only the series on it.
    void setValueAxis(AxisPosition axis);
    AxisPosition valueAxis() const { return valueAxis_; }

    Chart& chart() const { return chart_; }

    ChartSeries(const ChartSeries&) = delete;
    ChartSeries& operator=(const ChartSeries&) = delete;
    ~ChartSeries();

  private:
    friend class Chart;
    ChartSeries(Chart& chart, SeriesKind kind, QCPAbstractPlottable* plottable);
    void changed();

    Chart& chart_;
    SeriesKind kind_;
    QCPAbstractPlottable* plottable_;
    QCPErrorBars* errorBars_ = nullptr;  // made when first shown
    QString title_;
    AscendingSequence<Point, &Point::x> points_;
    QColor colour_ = Qt::black;
    int lineWidth_ = 1;
    bool marksVisible_ = true;
    bool pointMarkersVisible_ = false;
    bool errorBarsVisible_ = false;
    AxisPosition valueAxis_ = AxisPosition::Left;
    bool dataDirty_ = false;
    bool styleDirty_ = true;
};

}  // namespace quorvane
