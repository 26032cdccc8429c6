#include "chart/chart_interaction.h"

#include <qcustomplot.h>
#include <QMouseEvent>
#include <QVariantAnimation>
#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

constexpr int kMinimumDragPixels = 4;
constexpr int kMillisecondsPerStep = 6;

// The value `fraction` (0..1) of the way from `from` to `to`, evenly in
// pixels: geometric on a logarithmic axis.
double interpolate(double from, double to, double fraction, bool logarithmic) {
    if (logarithmic && from > 0 && to > 0)
        return std::pow(10.0, std::log10(from) + (std::log10(to) - std::log10(from)) * fraction);
    return from + (to - from) * fraction;
}

}  // namespace

ChartInteraction::ChartInteraction(QCustomPlot& plot, std::function<void()> restoreDesignRanges)
    : QObject(&plot),
      plot_(plot),
      restoreDesignRanges_(std::move(restoreDesignRanges)),
      animation_(new QVariantAnimation(this)) {
    plot_.setInteractions(QCP::iRangeZoom);
    plot_.axisRect()->setRangeZoomAxes(plot_.xAxis, plot_.yAxis);
    plot_.setSelectionRectMode(QCP::srmCustom);
    plot_.selectionRect()->setPen(QPen(Qt::black, 0, Qt::DashLine));
    connect(plot_.selectionRect(), &QCPSelectionRect::accepted, this,
            [this](const QRect&, QMouseEvent* event) { onZoomRectangle(event); });
    connect(&plot_, &QCustomPlot::mousePress, this, &ChartInteraction::onMousePress);
    connect(&plot_, &QCustomPlot::mouseMove, this, &ChartInteraction::onMouseMove);
    connect(&plot_, &QCustomPlot::mouseRelease, this, &ChartInteraction::onMouseRelease);
    connect(&plot_, &QCustomPlot::mouseDoubleClick, this, [this] { restoreDesignRanges_(); });
    connect(&plot_, &QCustomPlot::mouseWheel, this, [this] {
        animation_->stop();
        zoomed_ = true;
    });
}

void ChartInteraction::zoomTo(double bottomMinimum, double bottomMaximum, double leftMinimum,
                              double leftMaximum) {
    animation_->stop();
    zoomed_ = true;
    plot_.xAxis->setRange(bottomMinimum, bottomMaximum);
    plot_.yAxis->setRange(leftMinimum, leftMaximum);
    plot_.replot(QCustomPlot::rpQueuedReplot);
}

void ChartInteraction::reset() {
    animation_->stop();
    zoomed_ = false;
}

// The plot emits its press signal before it decides whether to draw a
// zoom rectangle: only a left press may start one.
void ChartInteraction::onMousePress(QMouseEvent* event) {
    pressPosition_ = event->pos();
    const bool left = event->button() == Qt::LeftButton;
    plot_.setSelectionRectMode(left ? QCP::srmCustom : QCP::srmNone);
    panning_ = event->button() == Qt::RightButton;
    panPosition_ = event->pos();
}

void ChartInteraction::onMouseMove(QMouseEvent* event) {
    if (!panning_ || !(event->buttons() & Qt::RightButton))
        return;
    const QPoint delta = event->pos() - panPosition_;
    panPosition_ = event->pos();
    animation_->stop();
    zoomed_ = true;
    for (QCPAxis* axis : {plot_.xAxis, plot_.yAxis}) {
        const double shift = axis->orientation() == Qt::Horizontal ? delta.x() : delta.y();
        const QCPRange range = axis->range();
        axis->setRange(axis->pixelToCoord(axis->coordToPixel(range.lower) - shift),
                       axis->pixelToCoord(axis->coordToPixel(range.upper) - shift));
    }
    plot_.replot(QCustomPlot::rpQueuedReplot);
}

void ChartInteraction::onMouseRelease(QMouseEvent* event) {
    if (event->button() == Qt::RightButton)
        panning_ = false;
}

void ChartInteraction::onZoomRectangle(QMouseEvent* event) {
    const QPoint end = event->pos();
    const QPoint drag = end - pressPosition_;
    if (std::abs(drag.x()) < kMinimumDragPixels && std::abs(drag.y()) < kMinimumDragPixels)
        return;
    if (drag.x() < 0 || drag.y() < 0) {
        restoreDesignRanges_();
        return;
    }
    animateZoomTo(plot_.xAxis->pixelToCoord(pressPosition_.x()), plot_.xAxis->pixelToCoord(end.x()),
                  plot_.yAxis->pixelToCoord(end.y()),
                  plot_.yAxis->pixelToCoord(pressPosition_.y()));
}

void ChartInteraction::animateZoomTo(double bottomMinimum, double bottomMaximum, double leftMinimum,
                                     double leftMaximum) {
    zoomed_ = true;
    animation_->stop();
    animation_->disconnect(this);
    const QCPRange fromBottom = plot_.xAxis->range();
    const QCPRange fromLeft = plot_.yAxis->range();
    const bool logBottom = plot_.xAxis->scaleType() == QCPAxis::stLogarithmic;
    const bool logLeft = plot_.yAxis->scaleType() == QCPAxis::stLogarithmic;
    const int steps = std::max(1, animationSteps_);
    animation_->setStartValue(0);
    animation_->setEndValue(steps);
    animation_->setDuration(steps * kMillisecondsPerStep);
    connect(animation_, &QVariantAnimation::valueChanged, this, [=, this](const QVariant& value) {
        const double fraction = value.toDouble() / steps;
        plot_.xAxis->setRange(interpolate(fromBottom.lower, bottomMinimum, fraction, logBottom),
                              interpolate(fromBottom.upper, bottomMaximum, fraction, logBottom));
        plot_.yAxis->setRange(interpolate(fromLeft.lower, leftMinimum, fraction, logLeft),
                              interpolate(fromLeft.upper, leftMaximum, fraction, logLeft));
        plot_.replot(QCustomPlot::rpQueuedReplot);
    });
    animation_->start();
}

}  // namespace quorvane
