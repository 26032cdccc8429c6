// Form4, "Residual's surface": the scaled residuals of every point as bars.
#pragma once

#include <QWidget>

#include "chart/bar_chart_3d.h"

namespace quorvane {

class TForm4 : public QWidget {
    Q_OBJECT

  public:
    explicit TForm4(QWidget* parent = nullptr);

    // Tools > Residual's surface: adds one red bar series per curve (never
    // removed) and shows the window. Throws QuorvaneError on failure, leaving
    // the series added so far.
    void showResidualSurface();

    // Fills the client area and follows the window's size. Title "TChart",
    // no legend, no value marks, log bottom axis 3e-7..1, automatic left axis.
    BarChart3d* Chart1;

  protected:
    // The first time the window is framed, its inside shrinks so that the
    // frame keeps the designed outer size of 870 x 640.
    void moveEvent(QMoveEvent* event) override;

  private:
    bool outerSizeApplied_ = false;
};

}  // namespace quorvane
