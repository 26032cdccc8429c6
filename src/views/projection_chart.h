// A small three-dimensional bar chart painted with QPainter: the plot is a
// box (bottom axis across, left axis up, a depth behind them) seen in
// perspective, with a floor, a left wall and a back wall; bar series stand
// side by side in one depth row. It serves the residual surface, where
// QCustomPlot has no 3-D view.
//
// View (degrees, per cent, pixels): rotation turns the box about the
// vertical axis and elevation tilts it about the horizontal one, 360 being
// the straight front view for both (333 and 320 look from the right and from
// above, so the back wall stands up and to the right of the front); the
// projected box is fitted into the widget, scaled by zoom and moved by the
// two offsets; depth sets the box's depth, 100 % being 0.3 of its height.
//
// Axes: the bottom axis is logarithmic over a fixed range; the left axis
// scales itself to every bar of every series and to 0 (bars rise from 0).
// Bars whose x lies outside the bottom range, x <= 0 included, are not
// drawn.
//
// Bars: with S series and at most P points in a series, the space per point
// is the axis width / P; each bar is 70 % of it divided by S wide, series s
// (0-based) shifted by (s - (S-1)/2) bar widths. Bars narrower than a screen
// pixel are merged per pixel column (and colour): the column draws one bar
// from min(0, lowest) to max(0, highest), so 40 x 20000 bars cost at most
// one bar per column. The projected geometry is cached and rebuilt only
// when data, settings or the widget's size change.
#pragma once

#include <QColor>
#include <QPolygonF>
#include <QString>
#include <QWidget>
#include <vector>

namespace quorvane {

class ProjectionChart : public QWidget {
    Q_OBJECT

  public:
    struct ViewSettings {
        double rotation = 333;
        double elevation = 320;
        double zoomPercent = 90;
        double horizontalOffset = -44;
        double verticalOffset = -16;
        double depthPercent = 75;
        double perspectivePercent = 15;
    };

    struct Bar {
        double x;
        double y;
    };

    // One bar series; points are kept in ascending x, a point with an x equal
    // to earlier ones after them.
    class BarSeries {
      public:
        explicit BarSeries(QColor colour) : colour_(colour) {}
        QColor colour() const { return colour_; }
        const std::vector<Bar>& points() const;
        int pointCount() const { return static_cast<int>(points_.size()); }

      private:
        friend class ProjectionChart;
        void add(double x, double y);

        QColor colour_;
        // Appended in call order; stable-sorted by x when read.
        mutable std::vector<Bar> points_;
        mutable bool sorted_ = true;
    };

    explicit ProjectionChart(QWidget* parent = nullptr);

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
    const BarSeries& series(int position) const { return series_.at(position); }

    // The left axis as it is drawn: the automatic range over every bar and 0.
    double leftAxisMinimum();
    double leftAxisMaximum();
    // Boxes drawn for the bars after merging (geometry for the current size).
    int drawnBarCount();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    struct Vec3 {
        double x, y, z;
    };
    struct Face {
        QPolygonF polygon;
        QColor colour;
    };
    struct Label {
        QPointF anchor;
        QString text;
        Qt::Alignment alignment;
    };
    struct Geometry {
        std::vector<QPolygonF> walls;  // floor, left wall, back wall
        std::vector<QLineF> gridLines;
        std::vector<QLineF> axisLines;
        std::vector<Face> barFaces;  // in drawing order, far to near
        std::vector<Label> labels;
        int barCount = 0;
        double leftMinimum = 0;
        double leftMaximum = 0;
    };

    void invalidate();
    void rebuildIfNeeded();
    void rebuild();
    void computeLeftAxis();

    // Box coordinates: x across [-width/2, width/2], y up, z into the screen
    // (front at -depth/2), all in the box's own pixels.
    Vec3 rotated(const Vec3& p) const;
    QPointF project(const Vec3& p) const;

    QString title_ = QStringLiteral("TChart");
    ViewSettings view_;
    double bottomMinimum_ = 3e-7;
    double bottomMaximum_ = 1.0;
    std::vector<BarSeries> series_;

    bool dirty_ = true;
    Geometry geometry_;
    // Projection state of the last rebuild.
    double boxWidth_ = 0, boxHeight_ = 0, boxDepth_ = 0;
    double focalDistance_ = 1;
    double turnCos_ = 1, turnSin_ = 0, tiltCos_ = 1, tiltSin_ = 0;
    bool outlineBars_ = false;
    double fitScale_ = 1;
    QPointF fitOrigin_;
};

}  // namespace quorvane
