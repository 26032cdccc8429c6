#include "chart/camera_3d.h"

#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace quorvane {

namespace {

// Box depth at 100 %: 0.3 of the box height.
constexpr double kDepthAtFullPercent = 0.3;

double radians(double degrees) {
    return degrees * std::numbers::pi / 180.0;
}

}  // namespace

Camera3d::Camera3d(const ViewSettings3d& view, const QRectF& area) {
    turnCos_ = std::cos(radians(360.0 - view.rotation));
    turnSin_ = std::sin(radians(360.0 - view.rotation));
    tiltCos_ = std::cos(radians(360.0 - view.elevation));
    tiltSin_ = std::sin(radians(360.0 - view.elevation));
    boxWidth_ = area.width();
    boxHeight_ = area.height();
    boxDepth_ = view.depthPercent / 100.0 * kDepthAtFullPercent * boxHeight_;
    const double foreshortening = std::max(view.foreshorteningPercent, 1.0);
    focalDistance_ = std::max(boxWidth_, boxHeight_) * 100.0 / (2.0 * foreshortening);

    // Fit the projected box into the area, then zoom and offset it. The
    // corners are projected at scale 1 about the origin.
    QPolygonF corners;
    for (double x : {-boxWidth_ / 2, boxWidth_ / 2}) {
        for (double y : {-boxHeight_ / 2, boxHeight_ / 2}) {
            for (double z : {-boxDepth_ / 2, boxDepth_ / 2})
                corners << project({x, y, z});
        }
    }
    const QRectF bounds = corners.boundingRect();
    fitScale_ = std::min(area.width() / bounds.width(), area.height() / bounds.height()) *
                view.zoomPercent / 100.0;
    fitOrigin_ = area.center() - fitScale_ * bounds.center() +
                 QPointF(view.horizontalOffset, view.verticalOffset);
}

BoxPoint Camera3d::turned(const BoxPoint& p) const {
    // Rotation about the vertical axis: the right end comes nearer and the
    // far side moves right; elevation: the top comes nearer and the far side
    // moves up.
    const double x = p.x * turnCos_ + p.z * turnSin_;
    const double depth = -p.x * turnSin_ + p.z * turnCos_;
    const double y = p.y * tiltCos_ + depth * tiltSin_;
    const double z = -p.y * tiltSin_ + depth * tiltCos_;
    return {x, y, z};
}

QPointF Camera3d::project(const BoxPoint& p) const {
    const BoxPoint v = turned(p);
    const double shrink = focalDistance_ / (focalDistance_ + v.z);
    return fitOrigin_ + fitScale_ * QPointF(v.x * shrink, -v.y * shrink);
}

}  // namespace quorvane
