// The camera of the 3-D bar chart (bar_chart_3d.h): how the
// chart's box is turned, tilted, foreshortened with distance and fitted into the
// widget.
//
// Box coordinates (the box's own pixels): x across [-width/2, width/2], y up
// [-height/2, height/2], z into the screen [-depth/2, depth/2], the front at
// -depth/2.
//
// View (degrees, per cent, pixels): rotation turns the box about the
// vertical axis and elevation tilts it about the horizontal one, 360 being
// the straight front view for both (333 and 320 look from the right and from
// above, so the back wall stands up and to the right of the front). The eye
// stands at z = -focalDistance in front of the turned box, with
// focalDistance = max(width, height) * 100 / (2 * max(foreshorteningPercent, 1));
// a point at depth z' after turning shrinks by focal / (focal + z'). The
// projected box is fitted into the area, scaled by zoom and moved by the
// two offsets; depth sets the box's depth, 100 % being 0.3 of its height.
#pragma once

#include <QPointF>
#include <QRectF>

namespace quorvane {

struct ViewSettings3d {
    double rotation = 333;
    double elevation = 320;
    double zoomPercent = 90;
    double horizontalOffset = -44;
    double verticalOffset = -16;
    double depthPercent = 75;
    double foreshorteningPercent = 15;
};

struct BoxPoint {
    double x, y, z;
};

class Camera3d {
  public:
    // The box fills `area` (its width and height are the area's) before it
    // is turned; then its projection is fitted into the area.
    Camera3d(const ViewSettings3d& view, const QRectF& area);

    double boxWidth() const { return boxWidth_; }
    double boxHeight() const { return boxHeight_; }
    double boxDepth() const { return boxDepth_; }
    double focalDistance() const { return focalDistance_; }
    // Widget pixels per box pixel after the fit and the zoom.
    double scale() const { return fitScale_; }

    // A box point turned and tilted (still in box pixels, z towards the far
    // side); the eye is at (0, 0, -focalDistance) in these coordinates.
    BoxPoint turned(const BoxPoint& p) const;
    // A box point in widget pixels.
    QPointF project(const BoxPoint& p) const;

  private:
    double boxWidth_ = 0, boxHeight_ = 0, boxDepth_ = 0;
    double focalDistance_ = 1;
    double turnCos_ = 1, turnSin_ = 0, tiltCos_ = 1, tiltSin_ = 0;
    double fitScale_ = 1;
    QPointF fitOrigin_;
};

}  // namespace quorvane
