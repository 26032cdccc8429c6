// What the mouse does to a chart's view, kept apart from its series and its
// drawing: it changes only the visible ranges of the bottom and the left axis.
//
// - A left drag to the right and down zooms into the dragged rectangle, in
//   animated steps (a drag shorter than 4 pixels both ways does nothing);
//   a left drag to the left or up restores the design ranges.
// - A double click restores the design ranges.
// - The wheel zooms about the pointer.
// - A right drag pans: the view follows the pointer, and only the pointer's
//   movement counts, so a drag and the same drag back leave the view as it
//   was. A right drag never zooms.
#pragma once

#include <QObject>
#include <QPoint>
#include <functional>

class QCustomPlot;
class QMouseEvent;
class QVariantAnimation;

namespace quorvane {

class ChartInteraction : public QObject {
    Q_OBJECT

  public:
    // `restoreDesignRanges` puts the chart's design ranges back (it calls
    // reset() itself). The plot must outlive this object.
    ChartInteraction(QCustomPlot& plot, std::function<void()> restoreDesignRanges);

    // Steps of a zoom animation (one redraw each, 6 ms apart).
    void setAnimationSteps(int steps) { animationSteps_ = steps; }

    // True from the first zoom or pan until reset(): the chart then keeps
    // the user's view when data change instead of refitting automatic axes.
    bool zoomed() const { return zoomed_; }

    // Shows the given ranges at once (no animation).
    void zoomTo(double bottomMinimum, double bottomMaximum, double leftMinimum, double leftMaximum);
    // Stops a running animation and forgets the user's view.
    void reset();

  private:
    void onMousePress(QMouseEvent* event);
    void onMouseMove(QMouseEvent* event);
    void onMouseRelease(QMouseEvent* event);
    void onZoomRectangle(QMouseEvent* event);
    void animateZoomTo(double bottomMinimum, double bottomMaximum, double leftMinimum,
                       double leftMaximum);

    QCustomPlot& plot_;
    std::function<void()> restoreDesignRanges_;
    QVariantAnimation* animation_;
    int animationSteps_ = 50;
    bool zoomed_ = false;
    QPoint pressPosition_;
    QPoint panPosition_;
    bool panning_ = false;
};

}  // namespace quorvane
