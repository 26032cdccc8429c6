// The frame of the 3-D bar chart: where values stand in its box,
// the automatic range of its left axis, and the walls, grid lines, axis
// lines and labels, projected by its camera (camera_3d.h).
//
// Bottom axis: logarithmic over a fixed range, a grid line on the back wall
// and on the floor and a label "1e<n>" ("1" for 10^0) at the front edge for
// every decade inside the range. Left axis: linear over its automatic range,
// a grid line on the back and the left wall and a label at the front edge at
// every step of 1, 2 or 5 times a power of ten that gives about 8 ticks,
// the label in fixed notation with the decimals the step needs.
#pragma once

#include <QLineF>
#include <QPointF>
#include <QPolygonF>
#include <QString>
#include <cmath>
#include <vector>

#include "chart/camera_3d.h"

namespace quorvane {

// The left axis over every bar and 0 (bars rise from 0): from lowest and
// highest (lowest <= 0 <= highest) out to whole steps; -1..1 when they are
// equal.
struct AxisValueRange {
    double minimum = 0;
    double maximum = 0;
};
AxisValueRange automaticLeftAxisRange(double lowest, double highest);

// Box coordinates of axis values: the bottom axis across the box's width,
// the left axis up its height.
class BoxScale {
  public:
    BoxScale(const Camera3d& camera, double bottomMinimum, double bottomMaximum,
             AxisValueRange left);

    double boxX(double value) const {
        return x0 + width * (std::log10(value) - logMinimum) / (logMaximum - logMinimum);
    }
    double boxY(double value) const {
        return y0 + height * (value - left.minimum) / (left.maximum - left.minimum);
    }
    // A bar at x is drawn: x > 0 and inside the bottom range.
    bool inBottomRange(double x) const { return x > 0 && x >= bottomMinimum && x <= bottomMaximum; }

    double x0, x1, width;
    double y0, y1, height;
    double zFront, zBack;
    double bottomMinimum, bottomMaximum;
    double logMinimum, logMaximum;
    AxisValueRange left;
};

struct AxisLabel {
    QPointF anchor;
    QString text;
    Qt::Alignment alignment;
};

struct FrameDrawing {
    std::vector<QPolygonF> walls;  // floor, left wall, back wall
    std::vector<QLineF> gridLines;
    std::vector<QLineF> axisLines;
    std::vector<AxisLabel> labels;
};

FrameDrawing drawFrame(const Camera3d& camera, const BoxScale& scale);

// The projection of a box face with the corners a, b, c, d.
QPolygonF projectedQuad(const Camera3d& camera, const BoxPoint& a, const BoxPoint& b,
                        const BoxPoint& c, const BoxPoint& d);

}  // namespace quorvane
