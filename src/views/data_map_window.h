// The data map window: the loaded measurement as a colour map (time against
// wavelength, chart/colour_map_chart.h), the loaded traces' wavelengths
// marked on the top axis, and after a fit a choice between the data, the
// fitted model and the residuals. Each Tools > Data map takes a new snapshot
// (views/data_map_contents.h); the choices in the window only change what
// it shows of that snapshot. The time axis is logarithmic (times <= 0 are
// then left out, and the window says how many) or linear.
//
// Export... asks the main window (exportRequested) to write the map as the
// Export command writes the main chart: a bitmap, a PNG picture or a PDF.
#pragma once

#include <QWidget>

#include "views/data_map_contents.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace quorvane {

class ColourMapChart;

class DataMapWindow : public QWidget {
    Q_OBJECT

  public:
    enum class Shown { Data, Model, Residuals };

    explicit DataMapWindow(QWidget* parent = nullptr);

    // Tools > Data map: the snapshot taken, the data shown (the time axis
    // as chosen before), the window shown. Throws QuorvaneError when there
    // is nothing to map, leaving the window as it was.
    void showDataMap();

    void setShown(Shown shown);
    Shown shown() const;
    void setTimeAxisLogarithmic(bool logarithmic);
    const DataMapContents& contents() const { return contents_; }

    QComboBox* shownBox;     // "Data", "Fitted model", "Residuals"
    QComboBox* timeAxisBox;  // "Logarithmic time", "Linear time"
    QPushButton* exportButton;
    QLabel* noteLabel;
    ColourMapChart* Chart1;

  signals:
    void exportRequested();

  private:
    // The matrix chosen into the map, then showTexts.
    void showChoice();
    // Title, axis titles and the note for what the map shows.
    void showTexts();

    DataMapContents contents_;
};

}  // namespace quorvane
