// A three-dimensional bar chart painted with QPainter: the plot is a box
// (bottom axis across, left axis up, a depth behind them) seen in
// central projection (nearer parts larger), with a floor, a left wall and a back wall; bar series
// stand side by side in one depth row. It serves the residual surface, where QCustomPlot has no 3-D
// view.
//
// Three pieces make it: the camera (camera_3d.h: view settings,
// projection, fit into the widget), the frame (frame_3d.h: axes,
// walls, grid, labels) and the bars (bars_3d.h: series, layout,
// per-pixel merging, visible faces, depth order). This class keeps the series and the
// settings, and caches the projected drawing: it is rebuilt only when data,
// settings or the widget's size change.
//
// Axes: the bottom axis is logarithmic over a fixed range; the left axis
// scales itself to every bar of every series and to 0 (bars rise from 0).
// Bars whose x lies outside the bottom range, x <= 0 included, are not
// drawn.
#pragma once

#include <QLineF>
#include <QString>
#include <QWidget>
#include <vector>

#include "chart/bars_3d.h"
#include "chart/camera_3d.h"
#include "chart/frame_3d.h"

namespace quorvane {

class BarChart3d : public QWidget {
    Q_OBJECT

  public:
    using ViewSettings = ViewSettings3d;

    explicit BarChart3d(QWidget* parent = nullptr);

    void setTitle(const QString& title);
    QString title() const { return title_; }
    void setView(const ViewSettings& view);
    const ViewSettings& view() const { return view_; }
    void setBottomAxisRange(double minimum, double maximum);
    double bottomAxisMinimum() const { return bottomMinimum_; }
    double bottomAxisMaximum() const { return bottomMaximum_; }

    // Appends a new bar series and returns its 0-based position.
    int addBarSeries(QColor colour);
    void addBar(int series, double x, double y);
    int seriesCount() const { return static_cast<int>(series_.size()); }
    const BarSeries3d& series(int position) const { return series_.at(position); }

    // The left axis as it is drawn: the automatic range over every bar and 0.
    double leftAxisMinimum();
    double leftAxisMaximum();
    // Boxes drawn for the bars after merging (geometry for the current size).
    int drawnBarCount();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    // What paintEvent draws, for the current size.
    struct Drawing {
        FrameDrawing frame;
        std::vector<BarFace> barFaces;  // in drawing order, far to near
        bool outlineBars = false;
        int barCount = 0;
        AxisValueRange left;
    };

    void invalidate();
    void rebuildIfNeeded();
    void rebuild();
    // The lowest and highest bar value of every series, and 0.
    AxisValueRange barValueSpan() const;

    QString title_ = QStringLiteral("TChart");
    ViewSettings view_;
    double bottomMinimum_ = 3e-7;
    double bottomMaximum_ = 1.0;
    std::vector<BarSeries3d> series_;

    bool dirty_ = true;
    Drawing drawing_;
};

}  // namespace quorvane
