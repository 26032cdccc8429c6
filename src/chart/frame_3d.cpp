#include "chart/frame_3d.h"

#include <algorithm>

namespace quorvane {

namespace {

// Ticks the automatic left axis aims at.
constexpr int kLeftAxisTicks = 8;

// A step of 1, 2 or 5 times a power of ten near span / ticks.
double niceStep(double span, int ticks) {
    const double raw = span / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double mantissa = raw / power;
    const double nice = mantissa <= 1 ? 1 : mantissa <= 2 ? 2 : mantissa <= 5 ? 5 : 10;
    return nice * power;
}

QString decadeLabel(int exponent) {
    if (exponent == 0)
        return QStringLiteral("1");
    return QStringLiteral("1e%1").arg(exponent);
}

// Fixed notation with as many decimals as the tick step needs.
QString valueLabel(double value, double step) {
    if (std::fabs(value) < step * 1e-9)
        return QStringLiteral("0");
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    return QString::number(value, 'f', decimals);
}

void addWalls(const Camera3d& camera, const BoxScale& s, FrameDrawing& frame) {
    frame.walls.push_back(projectedQuad(camera, {s.x0, s.y0, s.zFront}, {s.x1, s.y0, s.zFront},
                                        {s.x1, s.y0, s.zBack}, {s.x0, s.y0, s.zBack}));
    frame.walls.push_back(projectedQuad(camera, {s.x0, s.y0, s.zFront}, {s.x0, s.y1, s.zFront},
                                        {s.x0, s.y1, s.zBack}, {s.x0, s.y0, s.zBack}));
    frame.walls.push_back(projectedQuad(camera, {s.x0, s.y0, s.zBack}, {s.x1, s.y0, s.zBack},
                                        {s.x1, s.y1, s.zBack}, {s.x0, s.y1, s.zBack}));
}

// Grid on the back and left walls, labels at the front edge.
void addLeftAxis(const Camera3d& camera, const BoxScale& s, FrameDrawing& frame) {
    const double step = niceStep(s.left.maximum - s.left.minimum, kLeftAxisTicks);
    const int tickCount = static_cast<int>(std::lround((s.left.maximum - s.left.minimum) / step));
    for (int i = 0; i <= tickCount; ++i) {
        const double value = s.left.minimum + i * step;
        const double y = s.boxY(value);
        frame.gridLines.emplace_back(camera.project({s.x0, y, s.zBack}),
                                     camera.project({s.x1, y, s.zBack}));
        frame.gridLines.emplace_back(camera.project({s.x0, y, s.zFront}),
                                     camera.project({s.x0, y, s.zBack}));
        frame.labels.push_back({camera.project({s.x0, y, s.zFront}) - QPointF(6, 0),
                                valueLabel(value, step), Qt::AlignRight | Qt::AlignVCenter});
    }
}

// A grid line and a label at every decade inside the range.
void addBottomAxis(const Camera3d& camera, const BoxScale& s, FrameDrawing& frame) {
    for (int exponent = static_cast<int>(std::ceil(s.logMinimum - 1e-9));
         exponent <= static_cast<int>(std::floor(s.logMaximum + 1e-9)); ++exponent) {
        const double x = s.boxX(std::pow(10.0, exponent));
        frame.gridLines.emplace_back(camera.project({x, s.y0, s.zBack}),
                                     camera.project({x, s.y1, s.zBack}));
        frame.gridLines.emplace_back(camera.project({x, s.y0, s.zFront}),
                                     camera.project({x, s.y0, s.zBack}));
        frame.labels.push_back({camera.project({x, s.y0, s.zFront}) + QPointF(0, 6),
                                decadeLabel(exponent), Qt::AlignHCenter | Qt::AlignTop});
    }
}

}  // namespace

AxisValueRange automaticLeftAxisRange(double lowest, double highest) {
    if (highest - lowest <= 0) {
        lowest = -1;
        highest = 1;
    }
    const double step = niceStep(highest - lowest, kLeftAxisTicks);
    return {std::floor(lowest / step) * step, std::ceil(highest / step) * step};
}

BoxScale::BoxScale(const Camera3d& camera, double bottomMinimum, double bottomMaximum,
                   AxisValueRange left)
    : x0(-camera.boxWidth() / 2),
      x1(camera.boxWidth() / 2),
      width(camera.boxWidth()),
      y0(-camera.boxHeight() / 2),
      y1(camera.boxHeight() / 2),
      height(camera.boxHeight()),
      zFront(-camera.boxDepth() / 2),
      zBack(camera.boxDepth() / 2),
      bottomMinimum(bottomMinimum),
      bottomMaximum(bottomMaximum),
      logMinimum(std::log10(bottomMinimum)),
      logMaximum(std::log10(bottomMaximum)),
      left(left) {}

QPolygonF projectedQuad(const Camera3d& camera, const BoxPoint& a, const BoxPoint& b,
                        const BoxPoint& c, const BoxPoint& d) {
    return QPolygonF({camera.project(a), camera.project(b), camera.project(c), camera.project(d)});
}

FrameDrawing drawFrame(const Camera3d& camera, const BoxScale& scale) {
    FrameDrawing frame;
    addWalls(camera, scale, frame);
    addLeftAxis(camera, scale, frame);
    addBottomAxis(camera, scale, frame);
    frame.axisLines.emplace_back(camera.project({scale.x0, scale.y0, scale.zFront}),
                                 camera.project({scale.x0, scale.y1, scale.zFront}));
    frame.axisLines.emplace_back(camera.project({scale.x0, scale.y0, scale.zFront}),
                                 camera.project({scale.x1, scale.y0, scale.zFront}));
    return frame;
}

}  // namespace quorvane
