// The main window's start-up, its one error path, and its commands Start,
// Clear, Exit, the Tools commands and Help > About Quorvane.
#include "ui/unit1.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <array>
#include <exception>

#include "chart/chart.h"
#include "data/error.h"
#include "data/loaded_measurement.h"
#include "data/version.h"
#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "ui/main_window_dialogs.h"
#include "views/data_map_window.h"
#include "views/singular_values_window.h"
#include "views/time_constants_window.h"
#include "views/unit2.h"
#include "views/unit3.h"
#include "views/unit4.h"
#include "views/unit5.h"

namespace quorvane {

namespace {

// Client area of the main window, below the menu bar.
constexpr int kClientWidth = 987;
constexpr int kClientHeight = 705;

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), interaction_(dialogUserInteraction()) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quorvane"));
    createControls();
    designChart();
    createActions();
    createMenus();
    resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
    move(68, 92);
    setAcceptDrops(true);
    FormCreate();
}

TForm1::~TForm1() = default;

void TForm1::setResultWindows(TForm2* form2, TForm3* form3, TForm4* form4, TForm5* form5) {
    form2_ = form2;
    form3_ = form3;
    form4_ = form4;
    form5_ = form5;
    if (form5_ != nullptr)
        connect(form5_, &TForm5::spectraKindChosen, this, &TForm1::Differentialspectra1Click);
}

void TForm1::setMatrixWindows(DataMapWindow* dataMap, SingularValuesWindow* singularValues) {
    dataMapWindow_ = dataMap;
    singularValuesWindow_ = singularValues;
    if (dataMapWindow_ != nullptr)
        connect(dataMapWindow_, &DataMapWindow::exportRequested, this, &TForm1::exportDataMap);
}

void TForm1::runCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const QuorvaneError& error) {
        showError(QString::fromStdString(errorBoxText(error.message())),
                  QString::fromStdString(error.detail()));
    } catch (const std::exception& error) {
        showError(QString::fromStdString(errorBoxText(error.what())), {});
    }
}

void TForm1::showError(const QString& text, const QString& detail) {
    if (interaction_.showError)
        interaction_.showError(*this, text, detail);
}

void TForm1::FormCreate() {
    resetWorkspace();
}

void TForm1::Button1Click() {
    // During a search the button reads "Stop".
    if (searchRunning_) {
        searchStopRequested_ = true;
        return;
    }
    runCommand([this] {
        const std::vector<QLineEdit*> timeBoxes = timeConstantBoxes();
        StartHooks hooks;
        hooks.processEvents = [] { QCoreApplication::processEvents(); };
        hooks.setProgress = [this](int position) { ProgressBar1->setValue(position); };
        hooks.writeTimeConstants = [&timeBoxes](const TimeConstantTexts& texts) {
            for (std::size_t k = 0; k < timeBoxes.size(); ++k) {
                timeBoxes[k]->setText(QString::fromStdString(texts[k]));
                // The narrow boxes show the start of the number.
                timeBoxes[k]->setCursorPosition(0);
            }
        };
        hooks.writeResponse = [this](const ResponseBoxes& fitted) { setResponse(fitted); };
        hooks.replaceFittedCurves = [this] { replaceFittedCurves(); };
        QString verdict;
        hooks.reportVerdict = [&verdict](const FitVerdict& judged) {
            verdict = QString::fromStdString(judged.message);
        };

        // The commands go off for the fit and come back however it ends,
        // before any error box. A Start given inside a running fit's event
        // pass is refused by runStart and leaves them off.
        struct CommandsOffDuringFit {
            TForm1* window;
            ~CommandsOffDuringFit() {
                if (window != nullptr)
                    window->setFitCommandsEnabled(true);
            }
        } commandsOff{startInProgress() ? nullptr : this};
        if (commandsOff.window != nullptr) {
            setFitCommandsEnabled(false);
            removeConcentrations();
        }
        QString searchReport;
        const std::string sum = Searchlowestminimum1->isChecked()
                                    ? runMinimumSearch(hooks, searchReport)
                                    : runStart(startBoxTexts(), hooks, fitMethod());
        // The intervals belonged to the fit before.
        if (timeConstantsWindow_ != nullptr)
            timeConstantsWindow_->clearIntervals();
        Label1->setText(QString::fromStdString(sum));
        Label1->adjustSize();
        if (searchReport.isEmpty()) {
            showVerdict(verdict);
        } else {
            const QString stop =
                verdict.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".");
            showVerdict(verdict + stop + QStringLiteral(" ") +
                        searchReport.section(QLatin1Char('\n'), 0, 0));
            VerdictLabel->setToolTip(verdict + QStringLiteral("\n") + searchReport);
        }
    });
    if (exitRequested_ && !startInProgress()) {
        exitRequested_ = false;
        interaction_.terminate();
    }
}

void TForm1::replaceFittedCurves() {
    // The previous Start's curves, wherever they stand now (traces loaded
    // since then come after them), from the last one down.
    for (auto it = fittedCurveSeries_.rbegin(); it != fittedCurveSeries_.rend(); ++it)
        Chart1->freeSeries(*it);
    fittedCurveSeries_.clear();

    std::array<double, kPlotGridPoints + 1> x{};
    std::array<double, kPlotGridPoints + 1> y{};
    for (int curve = 1; curve <= workspace.curveCount; ++curve) {
        ChartSeries* series = Chart1->addLineSeries();
        series->setLineWidth(1);
        fittedCurveSeries_.push_back(series);
        if (timeAxis_ != TimeAxis::Designed) {
            plotFittedCurveAtTraceTimes(curve, *series);
            continue;
        }
        fittedCurvePoints(curve, x, y);
        for (int i = 1; i <= kPlotGridPoints; ++i)
            series->addPoint(x[static_cast<std::size_t>(i)], y[static_cast<std::size_t>(i)],
                             Qt::red);
    }
}

void TForm1::setFitCommandsEnabled(bool enabled) {
    for (QAction* command : {Open1, Save1, Saveas1, clear1, VarCov1})
        command->setEnabled(enabled);
    Button1->setEnabled(enabled);
}

void TForm1::clear1Click() {
    runCommand([this] {
        removeConcentrations();
        for (int position = Chart1->seriesCount() - 1; position >= 0; --position)
            Chart1->freeSeries(Chart1->series(position));
        dataSeries_.clear();
        curveSources_.clear();
        fittedCurveSeries_.clear();
        resetWorkspace();
        clearLoadedMeasurement();
    });
}

void TForm1::Exit1Click() {
    if (startInProgress()) {
        requestExitAfterFit();
        return;
    }
    interaction_.terminate();
}

void TForm1::requestExitAfterFit() {
    exitRequested_ = true;
    setWindowTitle(QStringLiteral("Quorvane - ends when the fit has finished"));
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (startInProgress()) {
        requestExitAfterFit();
        event->ignore();
        return;
    }
    event->accept();
    interaction_.terminate();
}

void TForm1::About1Click() {
    interaction_.showAbout(
        *this,
        QStringLiteral("Quorvane %1\n\n"
                       "Global analysis of time-resolved kinetics: up to 40 traces fitted at "
                       "once with a sum of 1 to 9 exponentials whose time constants all "
                       "traces share.\n\n"
                       "Trace files: plain text, one point per line, the time, one blank and "
                       "the signal (\"1e-6 0.0123\"), up to 20000 lines; the file name begins "
                       "with the wavelength in nm (450.txt). Matrix files (times x "
                       "wavelengths: CSV, TSV, blank separated or Glotaran ascii) open "
                       "through an import dialog that chooses the traces.")
            .arg(QString::fromLatin1(kQuorvaneVersion)));
}

void TForm1::VarCov1Click() {
    runCommand([this] {
        if (form3_ != nullptr)
            form3_->showCovariance();
    });
}

void TForm1::parameters1Click() {
    runCommand([this] {
        if (form2_ != nullptr)
            form2_->showParameterReport();
    });
}

void TForm1::residualssurface1Click() {
    runCommand([this] {
        if (form4_ != nullptr)
            form4_->showResidualSurface();
        showResidualsOnTimeAxis();
    });
}

void TForm1::Differentialspectra1Click() {
    runCommand([this] {
        if (form5_ != nullptr)
            form5_->showDifferentialSpectra();
    });
}

void TForm1::DataMap1Click() {
    runCommand([this] {
        if (dataMapWindow_ != nullptr)
            dataMapWindow_->showDataMap();
    });
}

void TForm1::Singularvalues1Click() {
    runCommand([this] {
        if (singularValuesWindow_ != nullptr)
            singularValuesWindow_->showSingularValues();
    });
}

}  // namespace quorvane
