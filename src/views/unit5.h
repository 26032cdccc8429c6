// Form5, "Differential spectra": each component's amplitudes against the
// wavelengths read from the traces' series titles.
#pragma once

#include <QWidget>

#include "views/main_window_link.h"

namespace quorvane {

class TForm5 : public QWidget {
    Q_OBJECT

  public:
    explicit TForm5(QWidget* parent = nullptr);

    // The main window whose data series titles give the wavelengths.
    void setMainWindow(const MainWindowLink* mainWindow) { mainWindow_ = mainWindow; }

    // Tools > Differential spectra: adds the spectra series and shows the
    // window. Throws QuorvaneError on failure.
    void showDifferentialSpectra();

  private:
    const MainWindowLink* mainWindow_ = nullptr;
};

}  // namespace quorvane
