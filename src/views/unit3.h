// Form3, "Var-Cov Matrix": the variance-covariance block of the log-rates.
#pragma once

#include <QWidget>

namespace quorvane {

class TForm3 : public QWidget {
    Q_OBJECT

  public:
    explicit TForm3(QWidget* parent = nullptr);

    // Tools > Var-Cov Matrix: computes the block and shows the window.
    // Throws QuorvaneError on failure (the window then stays as it was).
    void showCovariance();
};

}  // namespace quorvane
