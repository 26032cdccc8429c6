#include "views/unit5.h"

#include "chart/chart.h"
#include "views/report_text.h"
#include "views/view_style.h"
#include "views/wavelength_report.h"

namespace quorvane {

namespace {

constexpr int kChartWidth = 300;
constexpr int kChartHeight = 220;
constexpr double kWavelengthMinimum = 380;
constexpr double kWavelengthMaximum = 700;

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
    designFixedWindow(*this, QStringLiteral("Differential spectra"), {959, 726}, {237, 130});
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
}

void TForm5::showDifferentialSpectra() {
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

}  // namespace quorvane
