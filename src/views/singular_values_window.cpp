#include "views/singular_values_window.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "chart/chart.h"
#include "data/error.h"
#include "data/loaded_measurement.h"
#include "data/number_text.h"
#include "data/workspace.h"

namespace quorvane {

namespace {

// The colours of vectors 1, 2 and 3.
const QColor kVectorColours[] = {QColor(220, 0, 0), QColor(0, 70, 220), QColor(0, 150, 60)};

QString valueText(double value) {
    QString text = QString::number(value, 'g', 4);
    return text.replace('.', QChar::fromLatin1(decimalSeparator()));
}

void designChart(Chart& chart, const QString& title, const QString& bottom, const QString& left,
                 bool logarithmicLeft) {
    chart.setTitle(title);
    chart.setZoomAnimationSteps(1);
    AxisDesign bottomAxis;
    bottomAxis.title = bottom;
    chart.setAxisDesign(AxisPosition::Bottom, bottomAxis);
    AxisDesign leftAxis;
    leftAxis.title = left;
    leftAxis.logarithmic = logarithmicLeft;
    if (logarithmicLeft)
        leftAxis.minorTickCount = 8;
    chart.setAxisDesign(AxisPosition::Left, leftAxis);
}

void setLogarithmicBottom(Chart& chart, bool logarithmic) {
    AxisDesign bottom = chart.axisDesign(AxisPosition::Bottom);
    bottom.logarithmic = logarithmic;
    bottom.minorTickCount = logarithmic ? 8 : 0;
    chart.setAxisDesign(AxisPosition::Bottom, bottom);
}

void clearSeries(Chart& chart) {
    while (chart.seriesCount() > 0)
        chart.freeSeries(chart.series(chart.seriesCount() - 1));
}

// The vectors as lines titled <prefix>1..3 against `axis`, leaving out
// points at x <= 0 when `positiveOnly`.
void plotVectors(Chart& chart, const std::vector<std::vector<double>>& vectors,
                 const std::vector<double>& axis, const QString& prefix, bool positiveOnly) {
    for (std::size_t k = 0; k < vectors.size(); ++k) {
        ChartSeries* series = chart.addLineSeries();
        series->setTitle(prefix + QString::number(k + 1));
        for (std::size_t i = 0; i < axis.size(); ++i) {
            if (!positiveOnly || axis[i] > 0)
                series->addPoint(axis[i], vectors[k][i], kVectorColours[k % 3]);
        }
    }
}

}  // namespace

SingularValuesWindow::SingularValuesWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("SingularValues"));
    setWindowTitle(QStringLiteral("Singular values"));
    resize(1200, 560);
    move(120, 160);

    shownBox = new QComboBox;
    shownBox->addItems({QStringLiteral("Data"), QStringLiteral("Residuals")});
    timeAxisBox = new QComboBox;
    timeAxisBox->addItems({QStringLiteral("Logarithmic time"), QStringLiteral("Linear time")});
    valuesLabel = new QLabel;
    valuesLabel->setWordWrap(true);
    valuesLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    valuesChart = new Chart;
    designChart(*valuesChart, QStringLiteral("Singular values"), QStringLiteral("Number"),
                QString(), true);
    valuesChart->setLegendVisible(false);
    timeVectorsChart = new Chart;
    designChart(*timeVectorsChart, QStringLiteral("Left singular vectors"), QStringLiteral("Time"),
                QString(), false);
    setLogarithmicBottom(*timeVectorsChart, true);
    wavelengthVectorsChart = new Chart;
    designChart(*wavelengthVectorsChart, QStringLiteral("Right singular vectors"),
                QStringLiteral("Wavelength, nm"), QString(), false);

    auto* controls = new QHBoxLayout;
    controls->addWidget(shownBox);
    controls->addWidget(timeAxisBox);
    controls->addWidget(valuesLabel, 1);
    auto* charts = new QHBoxLayout;
    charts->addWidget(valuesChart, 2);
    charts->addWidget(timeVectorsChart, 3);
    charts->addWidget(wavelengthVectorsChart, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addLayout(charts, 1);

    connect(shownBox, &QComboBox::currentIndexChanged, this, &SingularValuesWindow::showChoice);
    connect(timeAxisBox, &QComboBox::currentIndexChanged, this,
            [this](int index) { setTimeAxisLogarithmic(index == 0); });
}

void SingularValuesWindow::showSingularValues() {
    SingularValues data = singularValuesOfData();
    std::optional<SingularValues> residuals;
    std::string problem;
    if (workspace.fitCount > 0) {
        try {
            residuals = singularValuesOfResiduals();
        } catch (const QuorvaneError& error) {
            problem = error.message();
        }
    }
    data_ = std::move(data);
    residuals_ = std::move(residuals);
    residualProblem_ = problem;
    const Measurement* measurement = loadedMeasurement();
    wavelengthTitle_ = measurement != nullptr && measurement->unit == WavelengthUnit::Wavenumber
                           ? QStringLiteral("Wavenumber, cm^-1")
                           : QStringLiteral("Wavelength, nm");
    auto* items = static_cast<QStandardItemModel*>(shownBox->model());
    items->item(1)->setEnabled(residuals_.has_value());
    {
        const QSignalBlocker quiet(shownBox);
        shownBox->setCurrentIndex(0);
    }
    showChoice();
    show();
    raise();
}

void SingularValuesWindow::setShown(Shown shown) {
    shownBox->setCurrentIndex(static_cast<int>(shown));
}

void SingularValuesWindow::setTimeAxisLogarithmic(bool logarithmic) {
    {
        const QSignalBlocker quiet(timeAxisBox);
        timeAxisBox->setCurrentIndex(logarithmic ? 0 : 1);
    }
    setLogarithmicBottom(*timeVectorsChart, logarithmic);
    showChoice();
}

const SingularValues& SingularValuesWindow::shownValues() const {
    if (shownBox->currentIndex() == 1 && residuals_)
        return *residuals_;
    return *data_;
}

void SingularValuesWindow::showChoice() {
    if (!data_)
        return;
    const SingularValues& shown = shownValues();
    for (Chart* chart : {valuesChart, timeVectorsChart, wavelengthVectorsChart})
        clearSeries(*chart);

    // A singular value of 0 has no place on the logarithmic scale.
    ChartSeries* values = valuesChart->addLineSeries();
    values->setPointMarkersVisible(true);
    QStringList texts;
    for (std::size_t k = 0; k < shown.values.size(); ++k) {
        if (shown.values[k] > 0)
            values->addPoint(static_cast<double>(k + 1), shown.values[k], Qt::black);
        texts << QStringLiteral("s%1 = %2").arg(k + 1).arg(valueText(shown.values[k]));
    }
    QString text = (&shown == &*data_ ? QStringLiteral("Data: ") : QStringLiteral("Residuals: ")) +
                   texts.join(QStringLiteral(", "));
    if (!residualProblem_.empty())
        text += QStringLiteral(". No residuals: %1").arg(QString::fromStdString(residualProblem_));
    valuesLabel->setText(text);

    const bool logarithmic = timeVectorsChart->axisDesign(AxisPosition::Bottom).logarithmic;
    plotVectors(*timeVectorsChart, shown.left, shown.times, QStringLiteral("u"), logarithmic);

    // Against the trace number where a trace has no wavelength.
    std::vector<double> axis = shown.wavelengths;
    const bool numbered = std::any_of(axis.begin(), axis.end(),
                                      [](double wavelength) { return !std::isfinite(wavelength); });
    if (numbered) {
        for (std::size_t c = 0; c < axis.size(); ++c)
            axis[c] = static_cast<double>(c + 1);
    }
    AxisDesign bottom = wavelengthVectorsChart->axisDesign(AxisPosition::Bottom);
    bottom.title = numbered ? QStringLiteral("Trace") : wavelengthTitle_;
    wavelengthVectorsChart->setAxisDesign(AxisPosition::Bottom, bottom);
    plotVectors(*wavelengthVectorsChart, shown.right, axis, QStringLiteral("v"), false);
}

}  // namespace quorvane
