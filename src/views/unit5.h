// Form5, "Differential spectra": each component's amplitudes against the
// wavelengths read from the traces' series titles. A choice below the charts
// reads the fit either as designed, decay-associated (parallel), or as the
// evolution-associated spectra of the sequential scheme
// (views/evolution_report.h): species k in chart k, drawn in blue, the
// chart titled "EAS k (tj)" after the time constant it decays with.
//
// Beside the choice, "Error bars (±1 SE)" (off at first) draws every
// spectrum point's standard error (views/spectra_errors.h) as a vertical
// bar in its series' colour, for both readings; it is greyed, its tool tip
// saying why, when the fit has no standard errors. In the
// evolution-associated view, "Concentrations on the main chart" draws the
// species' concentrations c_1(t)..c_n(t) of the scheme
// (views/concentration_profiles.h) on the main chart's right axis, over its
// time axis as it is shown; unchecking, leaving that view, or the main
// window's Start or Clear removes them.
#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;

#include "views/main_window_link.h"

namespace quorvane {

class Chart;

class TForm5 : public QWidget {
    Q_OBJECT

  public:
    explicit TForm5(QWidget* parent = nullptr);

    enum class SpectraKind { DecayAssociated, EvolutionAssociated };
    SpectraKind spectraKind() const;
    void setSpectraKind(SpectraKind kind);

    // The main window whose data series titles give the wavelengths.
    void setMainWindow(MainWindowLink* mainWindow) { mainWindow_ = mainWindow; }

    // Tools > Differential spectra: adds one red line series to each filled
    // chart (chart 1, and charts 2..K) and shows the window. Throws
    // QuorvaneError on failure; what was added before it stays and the
    // window is not shown.
    // With the evolution-associated choice the EAS instead, one series per
    // species; refused (nothing added) as buildEvolutionTable refuses, or
    // for more species than the nine charts.
    void showDifferentialSpectra();

    // Chart1..Chart9 of the design, k = 1..9: titled "t<k>", at left
    // 8 + 320 * ((k-1) mod 3), top 16 + 240 * ((k-1) div 3), 300 x 220.
    Chart* chart(int k) const { return charts_.at(static_cast<std::size_t>(k - 1)); }

    QCheckBox* errorBarsBox() const { return errorBars_; }
    QCheckBox* concentrationsBox() const { return concentrations_; }
    // The main window removed the concentrations (Start, Clear): the box
    // goes off without drawing anything.
    void concentrationsRemoved();
    // The main chart's time axis changed: the concentrations, when drawn,
    // are drawn again over it.
    void timeAxisChanged();

  signals:
    // The user changed the choice: the main window gives the command again.
    void spectraKindChosen();

  private:
    void showEvolutionSpectra();
    // Greys the error-bar box out with `reason` as its tool tip, or (empty)
    // lets it be used.
    void offerErrorBars(const std::string& reason);
    // Every series' bars on while the box is checked and usable.
    void applyErrorBars();
    void concentrationsToggled(bool on);
    void drawConcentrations();

    MainWindowLink* mainWindow_ = nullptr;
    QComboBox* spectraKind_ = nullptr;
    QCheckBox* errorBars_ = nullptr;
    QCheckBox* concentrations_ = nullptr;
    std::array<Chart*, 9> charts_{};
};

}  // namespace quorvane
