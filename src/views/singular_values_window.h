// The singular values window: the first 10 singular values of the loaded
// traces (fit/singular_values.h: the traces as a matrix, time down, a column
// per trace) on a logarithmic scale, with the first three left singular
// vectors against time and the first three right ones against wavelength
// (against the trace number when a trace has no wavelength). After a fit a
// choice shows the same for the residuals. Each Tools > Singular values
// takes a new snapshot; the window's choices only change what it shows of
// it. The time axis is logarithmic (times <= 0 left out) or linear.
#pragma once

#include <QWidget>
#include <optional>
#include <string>

#include "fit/singular_values.h"

class QComboBox;
class QLabel;

namespace quorvane {

class Chart;

class SingularValuesWindow : public QWidget {
    Q_OBJECT

  public:
    enum class Shown { Data, Residuals };

    explicit SingularValuesWindow(QWidget* parent = nullptr);

    // Tools > Singular values: the decompositions taken, the data shown,
    // the window shown. Throws QuorvaneError when the traces do not share
    // one time axis (or none are loaded), leaving the window as it was.
    void showSingularValues();

    void setShown(Shown shown);
    void setTimeAxisLogarithmic(bool logarithmic);
    // What is shown now.
    const SingularValues& shownValues() const;

    QComboBox* shownBox;     // "Data", "Residuals"
    QComboBox* timeAxisBox;  // "Logarithmic time", "Linear time"
    QLabel* valuesLabel;
    Chart* valuesChart;
    Chart* timeVectorsChart;
    Chart* wavelengthVectorsChart;

  private:
    void showChoice();

    std::optional<SingularValues> data_;
    std::optional<SingularValues> residuals_;
    std::string residualProblem_;
    QString wavelengthTitle_;
};

}  // namespace quorvane
