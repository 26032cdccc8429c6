#include "views/data_map_window.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>
#include <cmath>

#include "chart/colour_map_chart.h"

namespace quorvane {

namespace {

// By Shown.
const char* const kShownNames[] = {"data", "fitted model", "residuals"};
const char* const kColourTitles[] = {"Signal", "Model", "Residual"};

}  // namespace

DataMapWindow::DataMapWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("DataMap"));
    setWindowTitle(QStringLiteral("Data map"));
    resize(900, 680);
    move(180, 110);

    shownBox = new QComboBox;
    shownBox->addItems(
        {QStringLiteral("Data"), QStringLiteral("Fitted model"), QStringLiteral("Residuals")});
    timeAxisBox = new QComboBox;
    timeAxisBox->addItems({QStringLiteral("Logarithmic time"), QStringLiteral("Linear time")});
    exportButton = new QPushButton(QStringLiteral("Export..."));
    noteLabel = new QLabel;
    noteLabel->setWordWrap(true);
    Chart1 = new ColourMapChart;

    auto* controls = new QHBoxLayout;
    controls->addWidget(shownBox);
    controls->addWidget(timeAxisBox);
    controls->addWidget(noteLabel, 1);
    controls->addWidget(exportButton);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(controls);
    layout->addWidget(Chart1, 1);

    connect(shownBox, &QComboBox::currentIndexChanged, this, &DataMapWindow::showChoice);
    connect(timeAxisBox, &QComboBox::currentIndexChanged, this,
            [this](int index) { setTimeAxisLogarithmic(index == 0); });
    connect(exportButton, &QPushButton::clicked, this, &DataMapWindow::exportRequested);
}

void DataMapWindow::showDataMap() {
    contents_ = dataMapContents();
    // The model and the residuals can be chosen only when the fit gave them.
    auto* items = static_cast<QStandardItemModel*>(shownBox->model());
    for (int row = 1; row <= 2; ++row)
        items->item(row)->setEnabled(contents_.model != nullptr);
    {
        const QSignalBlocker quiet(shownBox);
        shownBox->setCurrentIndex(0);
    }
    showChoice();
    show();
    raise();
}

void DataMapWindow::setShown(Shown shown) {
    shownBox->setCurrentIndex(static_cast<int>(shown));
}

DataMapWindow::Shown DataMapWindow::shown() const {
    return static_cast<Shown>(shownBox->currentIndex());
}

void DataMapWindow::setTimeAxisLogarithmic(bool logarithmic) {
    {
        const QSignalBlocker quiet(timeAxisBox);
        timeAxisBox->setCurrentIndex(logarithmic ? 0 : 1);
    }
    Chart1->setTimeAxisLogarithmic(logarithmic);
    showTexts();
}

void DataMapWindow::showChoice() {
    if (contents_.data == nullptr)
        return;
    const Shown what = contents_.model ? shown() : Shown::Data;
    Chart1->setMatrix(what == Shown::Model       ? contents_.model
                      : what == Shown::Residuals ? contents_.residuals
                                                 : contents_.data);
    Chart1->setMarkedWavelengths(contents_.traceWavelengths);
    showTexts();
}

void DataMapWindow::showTexts() {
    const auto what = static_cast<std::size_t>(contents_.model ? shown() : Shown::Data);
    const QString source = contents_.title.empty() ? QStringLiteral("Loaded traces")
                                                   : QString::fromStdString(contents_.title);
    Chart1->setTitle(QStringLiteral("%1: %2").arg(source, QLatin1String(kShownNames[what])));
    const bool wavenumbers = contents_.unit == WavelengthUnit::Wavenumber;
    Chart1->setAxisTitles(
        wavenumbers ? QStringLiteral("Wavenumber, cm^-1") : QStringLiteral("Wavelength, nm"),
        Chart1->timeAxisLogarithmic() ? QStringLiteral("Time (logarithmic)")
                                      : QStringLiteral("Time"),
        QLatin1String(kColourTitles[what]));

    QStringList notes;
    int marked = 0;
    for (const double wavelength : contents_.traceWavelengths)
        marked += std::isfinite(wavelength) ? 1 : 0;
    notes << QStringLiteral("Ticks on the top axis: the %1 loaded traces.").arg(marked);
    if (Chart1->undrawnTimeCount() > 0)
        notes << QStringLiteral("%1 times <= 0 are not shown on the logarithmic axis.")
                     .arg(Chart1->undrawnTimeCount());
    if (!contents_.fitProblem.empty())
        notes << QStringLiteral("No model map: %1.")
                     .arg(QString::fromStdString(contents_.fitProblem));
    noteLabel->setText(notes.join(' '));
}

}  // namespace quorvane
