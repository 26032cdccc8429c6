#include "views/unit5.h"

#include <QComboBox>

#include "chart/chart.h"
#include "data/error.h"
#include "data/workspace.h"
#include "views/evolution_report.h"
#include "views/report_text.h"
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
}

TForm5::SpectraKind TForm5::spectraKind() const {
    return spectraKind_->currentIndex() == 1 ? SpectraKind::EvolutionAssociated
                                             : SpectraKind::DecayAssociated;
}

void TForm5::setSpectraKind(SpectraKind kind) {
    spectraKind_->setCurrentIndex(kind == SpectraKind::EvolutionAssociated ? 1 : 0);
}

void TForm5::showDifferentialSpectra() {
    if (spectraKind() == SpectraKind::EvolutionAssociated) {
        showEvolutionSpectra();
        return;
    }
    for (int k = 1; k <= 9; ++k)
        chart(k)->setTitle(QString::fromStdString(timeConstantLabel(k)));
    const CurveTitleSource titleOf = [this](int curve) {
        return mainWindow_ ? mainWindow_->dataSeriesTitle(curve) : std::string();
    };
    ChartSeries* series = nullptr;
    buildDifferentialSpectra(titleOf, {[&](int k) {
                                           chart(k)->setLegendVisible(false);
                                           series = chart(k)->addLineSeries();
                                       },
                                       [&](int, double wavelength, double amplitude) {
                                           series->addPoint(wavelength, amplitude,
                                                            QColor(255, 0, 0));
                                       }});
    show();
    raise();
}

void TForm5::showEvolutionSpectra() {
    std::vector<std::string> titles;
    for (int c = 1; c <= workspace.curveCount; ++c)
        titles.push_back(mainWindow_ ? mainWindow_->dataSeriesTitle(c) : std::string());
    const EvolutionTable table = buildEvolutionTable(titles);
    const int species = static_cast<int>(table.species.size());
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
        for (const SpectraTable::Row& row : table.spectra.rows)
            series->addPoint(row.wavelength, row.amplitudes[k - 1], QColor(0, 0, 255));
    }
    show();
    raise();
}

}  // namespace quorvane
