#include "views/unit5.h"

#include <QCheckBox>
#include <QComboBox>
#include <memory>

#include "chart/chart.h"
#include "data/error.h"
#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "fit/standard_errors.h"
#include "views/concentration_profiles.h"
#include "views/evolution_report.h"
#include "views/report_text.h"
#include "views/spectra_errors.h"
#include "views/view_style.h"
#include "views/wavelength_report.h"

namespace quorvane {

namespace {

constexpr int kChartWidth = 300;
constexpr int kChartHeight = 220;
constexpr double kWavelengthMinimum = 380;
constexpr double kWavelengthMaximum = 700;
// The choice of the spectra's kind sits in a strip below the designed client
// area, which it extends by kChoiceStrip.
constexpr int kDesignedHeight = 726;
constexpr int kChoiceStrip = 30;
// Samples of each concentration profile over the main chart's time axis.
constexpr int kConcentrationSamples = 400;
// The standard errors of the fit the window shows, or why there are none.
struct ShownErrors {
    std::unique_ptr<StandardErrors> errors;
    std::string reason;
};

ShownErrors shownErrors() {
    ShownErrors shown;
    if (startInProgress())
        shown.reason = "No standard errors while a fit runs";
    else if (workspace.fitCount == 0 || workspace.laidOutCurveCount != workspace.curveCount)
        shown.reason = "No standard errors: no fit of the loaded traces (press Start)";
    if (!shown.reason.empty())
        return shown;
    shown.errors = std::make_unique<StandardErrors>(computeStandardErrors());
    if (!shown.errors->valid) {
        shown.reason = shown.errors->message;
        shown.errors.reset();
    }
    return shown;
}

// The bottom-axis titles exactly as the nine charts were designed.
const char* const kBottomAxisTitles[9] = {"Wavelength, nm",  "Wavelengt,nm",   "Wavelengt,nm",
                                          "Wavelengt, nm",   "Wavelength, nm", "Wavelength, nm",
                                          "Wavelength, nm ", "Wavelength, nm", "Wavelength, nm"};

void designSpectrumChart(Chart& chart, int k) {
    chart.setTitle(QString::fromStdString(timeConstantLabel(k)));
    if (k <= 2) {
        QFont titleFont = arial(11);
        titleFont.setBold(true);
        titleFont.setItalic(true);
        chart.setTitleFont(titleFont, QColor(0, 0, 255));
    }
    chart.setBackgroundColour(Qt::white);
    chart.setVerticalMarginsPercent(5, 5);

    AxisDesign bottom;
    bottom.automatic = false;
    bottom.minimum = kWavelengthMinimum;
    bottom.maximum = kWavelengthMaximum;
    bottom.title = QString::fromLatin1(kBottomAxisTitles[k - 1]);
    if (k <= 2)
        bottom.minorTickCount = 4;
    if (k == 1)
        bottom.minorTickLengthOutside = 3;
    chart.setAxisDesign(AxisPosition::Bottom, bottom);

    AxisDesign top;
    top.automatic = false;
    top.minimum = kWavelengthMinimum;
    top.maximum = kWavelengthMaximum;
    top.gridVisible = false;
    chart.setAxisDesign(AxisPosition::Top, top);

    AxisDesign left;
    left.automatic = true;
    chart.setAxisDesign(AxisPosition::Left, left);
}

}  // namespace

TForm5::TForm5(QWidget* parent) : QWidget(parent, fixedWindowFlags()) {
    designFixedWindow(*this, QStringLiteral("Differential spectra"),
                      {959, kDesignedHeight + kChoiceStrip}, {237, 130});
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, desktopColour());
    setPalette(palette);

    for (int k = 1; k <= 9; ++k) {
        const int row = (k - 1) / 3;
        const int column = (k - 1) % 3;
        auto* chart = new Chart(this);
        chart->setGeometry(8 + 320 * column, 16 + 240 * row, kChartWidth, kChartHeight);
        designSpectrumChart(*chart, k);
        charts_[static_cast<std::size_t>(k - 1)] = chart;
    }
    spectraKind_ = new QComboBox(this);
    spectraKind_->addItem(QStringLiteral("Decay-associated (parallel)"));
    spectraKind_->addItem(QStringLiteral("Evolution-associated (sequential)"));
    spectraKind_->setGeometry(8, kDesignedHeight, 300, 24);
    connect(spectraKind_, &QComboBox::activated, this, &TForm5::spectraKindChosen);

    errorBars_ = new QCheckBox(QStringLiteral("Error bars (±1 SE)"), this);
    errorBars_->setGeometry(328, kDesignedHeight, 180, 24);
    connect(errorBars_, &QCheckBox::toggled, this, &TForm5::applyErrorBars);
    concentrations_ = new QCheckBox(QStringLiteral("Concentrations on the main chart"), this);
    concentrations_->setGeometry(520, kDesignedHeight, 280, 24);
    concentrations_->setVisible(false);
    connect(concentrations_, &QCheckBox::toggled, this, &TForm5::concentrationsToggled);
}

void TForm5::offerErrorBars(const std::string& reason) {
    errorBars_->setEnabled(reason.empty());
    errorBars_->setToolTip(QString::fromStdString(reason));
    applyErrorBars();
}

void TForm5::applyErrorBars() {
    const bool visible = errorBars_->isChecked() && errorBars_->isEnabled();
    for (Chart* spectra : charts_)
        for (int position = 0; position < spectra->seriesCount(); ++position)
            spectra->series(position)->setErrorBarsVisible(visible);
}

void TForm5::concentrationsRemoved() {
    const QSignalBlocker blocker(concentrations_);
    concentrations_->setChecked(false);
}

void TForm5::timeAxisChanged() {
    if (concentrations_->isChecked())
        concentrationsToggled(true);
}

void TForm5::concentrationsToggled(bool on) {
    if (mainWindow_ == nullptr)
        return;
    mainWindow_->runWindowCommand([this, on] {
        if (!on) {
            mainWindow_->showConcentrations({});
            return;
        }
        try {
            drawConcentrations();
        } catch (...) {
            concentrationsRemoved();
            throw;
        }
    });
}

void TForm5::drawConcentrations() {
    const std::vector<double> times = mainWindow_->timeAxisSamples(kConcentrationSamples);
    const ConcentrationProfiles profiles = buildConcentrationProfiles(times);
    std::vector<MainWindowLink::ConcentrationCurve> curves;
    for (std::size_t i = 0; i < profiles.species.size(); ++i) {
        const QString title =
            QStringLiteral("c%1 (%2)").arg(i + 1).arg(QString::fromStdString(profiles.species[i]));
        curves.push_back({title.toStdString(), times, profiles.values[i]});
    }
    mainWindow_->showConcentrations(curves);
}

TForm5::SpectraKind TForm5::spectraKind() const {
    return spectraKind_->currentIndex() == 1 ? SpectraKind::EvolutionAssociated
                                             : SpectraKind::DecayAssociated;
}

void TForm5::setSpectraKind(SpectraKind kind) {
    spectraKind_->setCurrentIndex(kind == SpectraKind::EvolutionAssociated ? 1 : 0);
}

void TForm5::showDifferentialSpectra() {
    const bool evolution = spectraKind() == SpectraKind::EvolutionAssociated;
    if (!evolution && concentrations_->isChecked()) {
        concentrationsRemoved();
        if (mainWindow_ != nullptr)
            mainWindow_->showConcentrations({});
    }
    concentrations_->setVisible(evolution);
    if (evolution) {
        showEvolutionSpectra();
        return;
    }
    const ShownErrors shown = shownErrors();
    for (int k = 1; k <= 9; ++k)
        chart(k)->setTitle(QString::fromStdString(timeConstantLabel(k)));
    const CurveTitleSource titleOf = [this](int curve) {
        return mainWindow_ ? mainWindow_->dataSeriesTitle(curve) : std::string();
    };
    ChartSeries* series = nullptr;
    int curve = 0;  // the points come in curve order
    buildDifferentialSpectra(titleOf,
                             {[&](int k) {
                                  chart(k)->setLegendVisible(false);
                                  series = chart(k)->addLineSeries();
                                  curve = 0;
                              },
                              [&](int k, double wavelength, double amplitude) {
                                  ++curve;
                                  const double error =
                                      shown.errors && k <= shown.errors->componentCount
                                          ? static_cast<double>(shown.errors->coefficient[curve][k])
                                          : 0.0;
                                  series->addPoint(wavelength, amplitude, QColor(255, 0, 0), error);
                              }});
    offerErrorBars(shown.reason);
    show();
    raise();
}

void TForm5::showEvolutionSpectra() {
    std::vector<std::string> titles;
    for (int c = 1; c <= workspace.curveCount; ++c)
        titles.push_back(mainWindow_ ? mainWindow_->dataSeriesTitle(c) : std::string());
    const EvolutionTable table = buildEvolutionTable(titles);
    const int species = static_cast<int>(table.species.size());
    const ShownErrors shown = shownErrors();
    // SE(EAS) of every row, in the table's order.
    std::vector<std::vector<long double>> rowErrors;
    if (shown.errors) {
        const SequentialScheme scheme = fittedSequentialScheme();
        for (const SpectraTable::Row& row : table.spectra.rows)
            rowErrors.push_back(evolutionStandardErrors(scheme, *shown.errors, row.curve));
    }
    if (species > static_cast<int>(charts_.size()))
        throw QuorvaneError(
            "The evolution-associated spectra of more than nine species (the "
            "step included) do not fit the nine charts");
    for (int k = 1; k <= species; ++k) {
        Chart* target = chart(k);
        target->setTitle(
            QStringLiteral("EAS %1 (%2)").arg(k).arg(QString::fromStdString(table.species[k - 1])));
        target->setLegendVisible(false);
        ChartSeries* series = target->addLineSeries();
        for (std::size_t r = 0; r < table.spectra.rows.size(); ++r) {
            const SpectraTable::Row& row = table.spectra.rows[r];
            const double error = rowErrors.empty() ? 0.0 : static_cast<double>(rowErrors[r][k - 1]);
            series->addPoint(row.wavelength, row.amplitudes[k - 1], QColor(0, 0, 255), error);
        }
    }
    offerErrorBars(shown.reason);
    if (concentrations_->isChecked() && mainWindow_ != nullptr)
        drawConcentrations();
    show();
    raise();
}

}  // namespace quorvane
