#include "chart/bar_chart_3d.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

namespace quorvane {

namespace {

// Room around the box for the title and the axis labels, in widget pixels.
constexpr double kLeftMargin = 70;
constexpr double kRightMargin = 24;
constexpr double kTopGap = 12;
constexpr double kBottomMargin = 44;
// Bars at least this wide on screen get an outline.
constexpr double kOutlinedBarWidth = 3;

}  // namespace

BarChart3d::BarChart3d(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
}

void BarChart3d::setTitle(const QString& title) {
    title_ = title;
    invalidate();
}

void BarChart3d::setView(const ViewSettings& view) {
    view_ = view;
    invalidate();
}

void BarChart3d::setBottomAxisRange(double minimum, double maximum) {
    bottomMinimum_ = minimum;
    bottomMaximum_ = maximum;
    invalidate();
}

int BarChart3d::addBarSeries(QColor colour) {
    series_.emplace_back(colour);
    invalidate();
    return seriesCount() - 1;
}

void BarChart3d::addBar(int series, double x, double y) {
    series_.at(series).add(x, y);
    // One repaint request per batch of added bars, not one per bar.
    if (!dirty_)
        invalidate();
}

double BarChart3d::leftAxisMinimum() {
    rebuildIfNeeded();
    return drawing_.left.minimum;
}

double BarChart3d::leftAxisMaximum() {
    rebuildIfNeeded();
    return drawing_.left.maximum;
}

int BarChart3d::drawnBarCount() {
    rebuildIfNeeded();
    return drawing_.barCount;
}

void BarChart3d::invalidate() {
    dirty_ = true;
    update();
}

void BarChart3d::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    dirty_ = true;
}

void BarChart3d::rebuildIfNeeded() {
    if (dirty_)
        rebuild();
}

AxisValueRange BarChart3d::barValueSpan() const {
    double lowest = 0;
    double highest = 0;
    for (const BarSeries3d& s : series_) {
        for (const BarSeries3d::Bar& bar : s.points()) {
            lowest = std::min(lowest, bar.y);
            highest = std::max(highest, bar.y);
        }
    }
    return {lowest, highest};
}

void BarChart3d::rebuild() {
    dirty_ = false;
    drawing_ = Drawing{};

    const QFontMetricsF metrics(font());
    const double titleHeight = metrics.height() + 8;
    const QRectF area(kLeftMargin, titleHeight + kTopGap, width() - kLeftMargin - kRightMargin,
                      height() - titleHeight - kTopGap - kBottomMargin);
    if (area.width() < 10 || area.height() < 10)
        return;

    const Camera3d camera(view_, area);
    const AxisValueRange span = barValueSpan();
    drawing_.left = automaticLeftAxisRange(span.minimum, span.maximum);
    const BoxScale scale(camera, bottomMinimum_, bottomMaximum_, drawing_.left);
    drawing_.frame = drawFrame(camera, scale);

    const double width = barWidth(series_, camera.boxWidth());
    if (width == 0)
        return;
    const double pixel = 1.0 / camera.scale();
    const std::vector<BarBox> boxes = width >= pixel
                                          ? sideBySideBars(series_, scale, width)
                                          : barsMergedPerPixelColumn(series_, scale, width, pixel);
    drawing_.barCount = static_cast<int>(boxes.size());
    drawing_.barFaces = barFacesFarToNear(camera, scale, boxes);
    drawing_.outlineBars = width * camera.scale() >= kOutlinedBarWidth;
}

void BarChart3d::paintEvent(QPaintEvent*) {
    rebuildIfNeeded();
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);

    QFont titleFont = font();
    titleFont.setBold(true);
    painter.setFont(titleFont);
    painter.setPen(Qt::black);
    painter.drawText(QRectF(0, 4, width(), QFontMetricsF(titleFont).height() + 4),
                     Qt::AlignHCenter | Qt::AlignTop, title_);
    painter.setFont(font());

    const FrameDrawing& frame = drawing_.frame;
    if (frame.walls.size() == 3) {
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(QPen(QColor(128, 128, 128), 1));
        painter.setBrush(QColor(236, 236, 236));
        painter.drawPolygon(frame.walls[0]);
        painter.setBrush(QColor(224, 224, 224));
        painter.drawPolygon(frame.walls[1]);
        // The back wall is white with a transparent fill: its outline only.
        painter.setBrush(Qt::NoBrush);
        painter.drawPolygon(frame.walls[2]);
        painter.setPen(QPen(QColor(190, 190, 190), 1, Qt::DotLine));
        painter.drawLines(frame.gridLines.data(), static_cast<int>(frame.gridLines.size()));
    }

    painter.setRenderHint(QPainter::Antialiasing, false);
    if (drawing_.outlineBars) {
        painter.setPen(QPen(Qt::black, 0));
    } else {
        painter.setPen(Qt::NoPen);
    }
    for (const BarFace& face : drawing_.barFaces) {
        painter.setBrush(face.colour);
        painter.drawPolygon(face.polygon);
    }

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawLines(frame.axisLines.data(), static_cast<int>(frame.axisLines.size()));
    for (const AxisLabel& label : frame.labels) {
        QRectF box(0, 0, 80, 20);
        if (label.alignment & Qt::AlignRight) {
            box.moveCenter(label.anchor - QPointF(40, 0));
        } else {
            box.moveCenter(label.anchor + QPointF(0, 10));
        }
        painter.drawText(box, static_cast<int>(label.alignment), label.text);
    }
}

}  // namespace quorvane
