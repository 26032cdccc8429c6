// Form4, "Residual's surface": the scaled residuals of every point as bars.
#pragma once

#include <QWidget>

namespace quorvane {

class TForm4 : public QWidget {
    Q_OBJECT

  public:
    explicit TForm4(QWidget* parent = nullptr);

    // Tools > Residual's surface: adds one bar series per curve and shows the
    // window. Throws QuorvaneError on failure.
    void showResidualSurface();
};

}  // namespace quorvane
