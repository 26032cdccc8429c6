// The bars of the 3-D bar chart: its series, where their bars stand
// in the box, and the faces drawn for them.
//
// Layout: with S series and at most P points in a series, the space per
// point is the box width / P; each bar is 70 % of it divided by S wide,
// series s (0-based) shifted by (s - (S-1)/2) bar widths, and rises from 0
// to its value. Bars whose x lies outside the bottom range, x <= 0 included,
// have no box. Bars narrower than a screen pixel are merged per pixel column
// (and colour): the column is one box from min(0, lowest) to max(0,
// highest), so 40 x 20000 bars cost at most one box per column and colour.
//
// Faces: of each box's front, top, bottom and two sides (the back is not
// drawn), those that turn towards the eye. The boxes' faces are drawn far to
// near by the distance of the box's centre from the eye, boxes at equal
// distance in layout order.
#pragma once

#include <QColor>
#include <QPolygonF>
#include <vector>

#include "chart/frame_3d.h"
#include "data/ascending_sequence.h"

namespace quorvane {

// One bar series: its points in ascending x, a point whose x equals that of
// earlier ones after them.
class BarSeries3d {
  public:
    struct Bar {
        double x;
        double y;
    };

    explicit BarSeries3d(QColor colour) : colour_(colour) {}
    QColor colour() const { return colour_; }
    const std::vector<Bar>& points() const { return points_.items(); }
    int pointCount() const { return static_cast<int>(points_.size()); }
    void add(double x, double y) { points_.add({x, y}); }

  private:
    QColor colour_;
    AscendingSequence<Bar, &Bar::x> points_;
};

// A bar's place in box coordinates: left..right across, low..high in axis
// values.
struct BarBox {
    double left, right, low, high;
    QColor colour;
};

// Bar width in box pixels: 70 % of width / (most points in a series), shared
// by the series; 0 when no series has a point.
double barWidth(const std::vector<BarSeries3d>& series, double boxWidth);

// One box per bar, series by series in point order.
std::vector<BarBox> sideBySideBars(const std::vector<BarSeries3d>& series, const BoxScale& scale,
                                   double barWidth);

// One box per pixel column (`pixel` box pixels wide) and colour, spanning
// every bar whose centre falls in the column; colour by colour in the order
// the colours first appear, columns left to right.
std::vector<BarBox> barsMergedPerPixelColumn(const std::vector<BarSeries3d>& series,
                                             const BoxScale& scale, double barWidth, double pixel);

struct BarFace {
    QPolygonF polygon;
    QColor colour;
};

// The visible faces of every box, in drawing order (far to near).
std::vector<BarFace> barFacesFarToNear(const Camera3d& camera, const BoxScale& scale,
                                       const std::vector<BarBox>& boxes);

}  // namespace quorvane
