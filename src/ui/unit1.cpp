#include "ui/unit1.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QCollator>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <algorithm>
#include <array>
#include <exception>

#include "chart/axis_label_format.h"
#include "chart/chart.h"
#include "data/error.h"
#include "data/trace_reader.h"
#include "data/version.h"
#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "ui/box_font.h"
#include "views/result_files.h"
#include "views/unit2.h"
#include "views/unit3.h"
#include "views/unit4.h"
#include "views/unit5.h"

namespace quorvane {

namespace {

// Client area of the main window, below the menu bar.
constexpr int kClientWidth = 987;
constexpr int kClientHeight = 705;
// Character height of the edit boxes' text when it fits at that size.
constexpr int kBoxPixelSize = 11;

// "Arial Black" where the machine has it; otherwise the heaviest weight of a
// plain sans-serif face stands in for it.
QFont arialBlack(int pixelHeight) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial Black"), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")});
    font.setPixelSize(pixelHeight);
    font.setWeight(QFont::Black);
    return font;
}

// The colour of an enabled control's text; a disabled one keeps the style's
// grey, so that a disabled Start looks disabled.
void setTextColour(QWidget* widget, QColor colour) {
    QPalette palette = widget->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, colour);
        palette.setColor(group, QPalette::ButtonText, colour);
    }
    widget->setPalette(palette);
}

// The files selected, in the order of their names as a file manager lists
// them (numbers by value), whatever order the selection was made in.
QStringList defaultChooseTraceFiles(TForm1& owner) {
    QFileDialog dialog(&owner, QStringLiteral("Open"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    // Shown as "TXT File (*.TXT)", listing the files that end in ".txt".
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setNameFilter(QStringLiteral("TXT File (*.TXT) (*.txt)"));
    if (dialog.exec() != QDialog::Accepted)
        return {};
    QStringList files = dialog.selectedFiles();
    QCollator byName;
    byName.setNumericMode(true);
    std::stable_sort(files.begin(), files.end(), [&byName](const QString& a, const QString& b) {
        return byName.compare(QFileInfo(a).fileName(), QFileInfo(b).fileName()) < 0;
    });
    return files;
}

QString defaultChooseResultsFile(TForm1& owner) {
    QFileDialog dialog(&owner, QStringLiteral("Save as"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("Text File (*.txt)"));
    dialog.setDefaultSuffix(QStringLiteral("txt"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

// The local files a drop carries, in its order; empty when anything else is
// dropped.
QStringList droppedFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        files << url.toLocalFile();
    }
    return files;
}

// The detail of the error that stopped a list of files at `failed`: the
// reader's (file and line) or the file's name, and what was left unopened.
QString failedTraceDetail(const QuorvaneError& error, const QStringList& paths, qsizetype failed) {
    QString detail = error.detail().empty() ? QStringLiteral("File %1.").arg(paths[failed])
                                            : QString::fromStdString(error.detail());
    const qsizetype left = paths.size() - failed - 1;
    if (left == 1)
        detail += QStringLiteral(" The file after it was not opened.");
    else if (left > 1)
        detail += QStringLiteral(" The %1 files after it were not opened.").arg(left);
    return detail;
}

// Where the chosen fit method is remembered: the user's settings of
// "Quorvane", key "fitMethod", value "classic" or "varpro".
const QString kFitMethodKey = QStringLiteral("fitMethod");

QSettings userSettings() {
    return QSettings(QStringLiteral("Quorvane"), QStringLiteral("Quorvane"));
}

void defaultRememberFitMethod(FitMethod method) {
    userSettings().setValue(kFitMethodKey, method == FitMethod::VariableProjection
                                               ? QStringLiteral("varpro")
                                               : QStringLiteral("classic"));
}

void defaultShowAbout(TForm1& owner, const QString& text) {
    QMessageBox::about(&owner, QStringLiteral("About Quorvane"), text);
}

void defaultShowError(TForm1& owner, const QString& text, const QString& detail) {
    QMessageBox box(QMessageBox::Critical, kApplicationTitle, text, QMessageBox::Ok, &owner);
    if (!detail.isEmpty())
        box.setInformativeText(detail);
    box.exec();
}

}  // namespace

TForm1::TForm1(QWidget* parent) : QMainWindow(parent) {
    interaction_.chooseTraceFiles = defaultChooseTraceFiles;
    interaction_.chooseExportFile = [](TForm1& owner) { return chooseExportFileInDialog(&owner); };
    interaction_.chooseResultsFile = defaultChooseResultsFile;
    interaction_.showError = defaultShowError;
    interaction_.showAbout = defaultShowAbout;
    interaction_.showPrintPreview = [](TForm1& owner) { owner.Chart1->printPreview(&owner); };
    interaction_.terminate = [] { QCoreApplication::quit(); };
    interaction_.rememberFitMethod = defaultRememberFitMethod;

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
}

void TForm1::createControls() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setMinimumSize(0, 0);
    client->setAutoFillBackground(true);
    QPalette palette = client->palette();
    // The system colour of an active window border.
    palette.setColor(QPalette::Window, QColor(180, 180, 180));
    client->setPalette(palette);
    setCentralWidget(client);

    Chart1 = new Chart(client);
    Chart1->setObjectName(QStringLiteral("Chart1"));
    Chart1->setGeometry(8, 24, 857, 633);

    ProgressBar1 = new QProgressBar(client);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(8, 680, 857, 16);
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);

    Label1 = new QLabel(client);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(arialBlack(13));
    setTextColour(Label1, Qt::black);
    Label1->move(48, 0);
    Label1->adjustSize();

    VerdictLabel = new QLabel(client);
    VerdictLabel->setObjectName(QStringLiteral("VerdictLabel"));
    // Two lines of a small face fit between the menu and the chart.
    QFont verdictFont = VerdictLabel->font();
    verdictFont.setPixelSize(10);
    VerdictLabel->setFont(verdictFont);
    VerdictLabel->setWordWrap(true);
    VerdictLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    const auto makeEdit = [client](const char* name, int left, int top, int width,
                                   const char* text) {
        auto* edit = new QLineEdit(client);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setGeometry(left, top, width, 21);
        // A compact face, so that a written-back "1.23457E-5" fits the
        // 65-pixel boxes at full size; longer texts get a smaller size.
        QFont font = edit->font();
        font.setStretch(QFont::SemiCondensed);
        edit->setFont(font);
        edit->setTextMargins(0, 0, 0, 0);
        edit->setText(QString::fromLatin1(text));
        keepWholeTextVisible(*edit, kBoxPixelSize);
        return edit;
    };
    const QFont windowFont = arialBlack(19);
    const auto makeLabel = [client, &windowFont](const char* name, int top, const char* text) {
        auto* label = new QLabel(QString::fromLatin1(text), client);
        label->setObjectName(QString::fromLatin1(name));
        label->setFont(windowFont);
        setTextColour(label, Qt::red);
        label->move(888, top);
        label->adjustSize();
        return label;
    };
    Edit10 = makeEdit("Edit10", 888, 8, 97, "4");
    Edit2 = makeEdit("Edit2", 888, 40, 97, "50");
    Label5 = makeLabel("Label5", 72, "t1");
    Edit4 = makeEdit("Edit4", 888, 96, 65, "10e-6");
    Label6 = makeLabel("Label6", 128, "t2");
    Edit5 = makeEdit("Edit5", 888, 152, 65, "100e-6");
    Label7 = makeLabel("Label7", 184, "t3");
    Edit6 = makeEdit("Edit6", 888, 208, 65, "2e-3");
    Label8 = makeLabel("Label8", 240, "t4");
    Edit7 = makeEdit("Edit7", 888, 264, 65, "20e-3");
    Label9 = makeLabel("Label9", 296, "t5");
    Edit8 = makeEdit("Edit8", 888, 320, 65, "8e-3");
    Label10 = makeLabel("Label10", 352, "t6");
    Edit9 = makeEdit("Edit9", 888, 376, 65, "2e-3");
    label12 = makeLabel("label12", 408, "t7");
    Edit11 = makeEdit("Edit11", 888, 432, 65, "8e-3");
    Label13 = makeLabel("Label13", 456, "t8");
    Edit12 = makeEdit("Edit12", 888, 480, 65, "40e-3");
    Label14 = makeLabel("Label14", 504, "t9");
    Edit13 = makeEdit("Edit13", 888, 528, 65, "10e-6");

    Button1 = new QPushButton(QStringLiteral("Start"), client);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(888, 624, 75, 25);
    Button1->setFont(arialBlack(13));
    setTextColour(Button1, QColor(0, 0, 128));
    connect(Button1, &QPushButton::clicked, this, &TForm1::Button1Click);
}

void TForm1::designChart() {
    const QColor blue(0, 0, 255);
    Chart1->setBackgroundColour(Qt::white);
    Chart1->setBorderVisible(true);
    Chart1->setTitle(QStringLiteral("TChart"));
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(11);
    Chart1->setTitleFont(titleFont, blue);

    AxisDesign time;
    time.logarithmic = true;
    time.automatic = false;
    time.minimum = 1e-6;
    time.maximum = 10;
    time.labelText = [](double value, double resolution) {
        return QString::fromStdString(formatPowerOfTenLabel(value, resolution));
    };
    time.tickColour = blue;
    time.tickLengthOutside = 11;
    time.tickLengthInside = 3;
    time.minorTickCount = 8;
    time.minorTickLengthOutside = 7;
    time.minorTickLengthInside = 0;
    time.gridVisible = true;
    time.gridPen = QPen(blue, 0, Qt::DotLine);
    time.minorGridVisible = true;
    time.minorGridPen = QPen(blue, 0, Qt::DashDotDotLine);
    Chart1->setAxisDesign(AxisPosition::Bottom, time);

    AxisDesign signal;
    signal.automatic = false;
    signal.minimum = -0.12;
    signal.maximum = 0.1;
    signal.labelText = [](double value, double) {
        return QString::fromStdString(formatGroupedDecimalLabel(value));
    };
    signal.tickColour = blue;
    signal.tickLengthOutside = 9;
    signal.tickLengthInside = 5;
    signal.minorTickCount = 0;
    signal.labelCountHint = 12;
    Chart1->setAxisDesign(AxisPosition::Left, signal);

    Chart1->setLegendVisible(true);
    Chart1->setZoomAnimationSteps(50);
}

void TForm1::createActions() {
    const auto makeAction = [this](const char* name, const QString& caption) {
        auto* action = new QAction(caption, this);
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    Open1 = makeAction("Open1", QStringLiteral("Open"));
    Open1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    Save1 = makeAction("Save1", QStringLiteral("Save"));
    Saveas1 = makeAction("Saveas1", QStringLiteral("Save as..."));
    Export1 = makeAction("Export1", QStringLiteral("Export"));
    Print1 = makeAction("Print1", QStringLiteral("Print..."));
    Exit1 = makeAction("Exit1", QStringLiteral("Exit"));
    clear1 = makeAction("clear1", QStringLiteral("Clear"));
    VarCov1 = makeAction("VarCov1", QStringLiteral("Var-Cov Matrix"));
    parameters1 = makeAction("parameters1", QStringLiteral("Parameters "));
    residualssurface1 = makeAction("residualssurface1", QStringLiteral("Residual's surface"));
    Differentialspectra1 =
        makeAction("Differentialspectra1", QStringLiteral("Differential spectra"));

    connect(Open1, &QAction::triggered, this, &TForm1::Open1Click);
    connect(Save1, &QAction::triggered, this, &TForm1::Save1Click);
    connect(Saveas1, &QAction::triggered, this, &TForm1::Saveas1Click);
    connect(Export1, &QAction::triggered, this, &TForm1::Export1Click);
    connect(Print1, &QAction::triggered, this, &TForm1::Print1Click);
    connect(Exit1, &QAction::triggered, this, &TForm1::Exit1Click);
    connect(clear1, &QAction::triggered, this, &TForm1::clear1Click);
    connect(VarCov1, &QAction::triggered, this, &TForm1::VarCov1Click);
    connect(parameters1, &QAction::triggered, this, &TForm1::parameters1Click);
    connect(residualssurface1, &QAction::triggered, this, &TForm1::residualssurface1Click);
    connect(Differentialspectra1, &QAction::triggered, this, &TForm1::Differentialspectra1Click);
    About1 = makeAction("About1", QStringLiteral("About Quorvane"));
    connect(About1, &QAction::triggered, this, &TForm1::About1Click);
}

void TForm1::createMenus() {
    File1 = menuBar()->addMenu(QStringLiteral("File"));
    File1->setObjectName(QStringLiteral("File1"));
    File1->addAction(Open1);
    File1->addAction(Save1);
    File1->addAction(Saveas1);
    File1->addAction(Export1);
    File1->addAction(Print1);
    File1->addAction(Exit1);

    Run1 = menuBar()->addMenu(QStringLiteral("Edit"));
    Run1->setObjectName(QStringLiteral("Run1"));
    Run1->addAction(clear1);

    Tools1 = menuBar()->addMenu(QStringLiteral("Tools"));
    Tools1->setObjectName(QStringLiteral("Tools1"));
    Tools1->addAction(VarCov1);
    Tools1->addAction(parameters1);
    Tools1->addAction(residualssurface1);
    Tools1->addAction(Differentialspectra1);

    createFitMethodItems();

    help1 = menuBar()->addMenu(QStringLiteral("Help"));
    help1->setObjectName(QStringLiteral("help1"));
    help1->addAction(About1);
}

void TForm1::createFitMethodItems() {
    Tools1->addSeparator();
    fitMethodGroup = new QActionGroup(this);
    fitMethodGroup->setExclusive(true);
    const auto makeItem = [this](const char* name, const QString& caption, FitMethod method) {
        auto* action = new QAction(caption, fitMethodGroup);
        action->setObjectName(QString::fromLatin1(name));
        action->setCheckable(true);
        Tools1->addAction(action);
        connect(action, &QAction::triggered, this, [this, method] {
            if (interaction_.rememberFitMethod)
                interaction_.rememberFitMethod(method);
        });
        return action;
    };
    ClassicLevenbergMarquardt1 =
        makeItem("ClassicLevenbergMarquardt1", QStringLiteral("Classic Levenberg-Marquardt"),
                 FitMethod::Classic);
    Variableprojection1 = makeItem("Variableprojection1", QStringLiteral("Variable projection"),
                                   FitMethod::VariableProjection);
    ClassicLevenbergMarquardt1->setChecked(true);
}

FitMethod TForm1::fitMethod() const {
    return Variableprojection1->isChecked() ? FitMethod::VariableProjection : FitMethod::Classic;
}

void TForm1::setFitMethod(FitMethod method) {
    (method == FitMethod::VariableProjection ? Variableprojection1 : ClassicLevenbergMarquardt1)
        ->setChecked(true);
}

FitMethod rememberedFitMethod() {
    return userSettings().value(kFitMethodKey).toString() == QStringLiteral("varpro")
               ? FitMethod::VariableProjection
               : FitMethod::Classic;
}

void TForm1::showVerdict(const QString& message) {
    // From Label1's right end (plus a gap) to the column of boxes at 888,
    // above the chart at 24.
    const int left = Label1->x() + Label1->width() + 16;
    VerdictLabel->setToolTip(message);
    VerdictLabel->setText(message);
    VerdictLabel->setGeometry(left, 0, std::max(0, 880 - left), 24);
}

std::vector<QLineEdit*> TForm1::timeConstantBoxes() const {
    return {Edit4, Edit5, Edit6, Edit7, Edit8, Edit9, Edit11, Edit12, Edit13};
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

std::string TForm1::dataSeriesTitle(int curve) const {
    if (curve < 1 || curve > static_cast<int>(dataSeries_.size()))
        return {};
    return dataSeries_[static_cast<std::size_t>(curve - 1)]->title().toStdString();
}

// ---------------------------------------------------------------------------
// Commands

void TForm1::FormCreate() {
    resetWorkspace();
}

void TForm1::Open1Click() {
    QStringList paths;
    runCommand([this, &paths] { paths = interaction_.chooseTraceFiles(*this); });
    openTraceFiles(paths);
}

void TForm1::openTraceFiles(const QStringList& paths) {
    runCommand([this, &paths] {
        for (qsizetype i = 0; i < paths.size(); ++i) {
            try {
                openTraceFile(paths[i]);
            } catch (const QuorvaneError& error) {
                throw QuorvaneError(error.message(),
                                    failedTraceDetail(error, paths, i).toStdString());
            }
        }
    });
}

void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!fitRunning_ && !droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedFiles(event->mimeData());
    if (fitRunning_ || paths.isEmpty())
        return;
    event->acceptProposedAction();
    openTraceFiles(paths);
}

void TForm1::openTraceFile(const QString& path) {
    // The reader parses the whole file before anything enters the
    // workspace, so a refused file leaves both the workspace and the chart
    // as they were: the series is created only for a loaded curve.
    const std::string file = path.toStdString();
    const int curve = loadTraceFile(file);
    ChartSeries* series = Chart1->addLineSeries();
    series->setTitle(QString::fromStdString(traceTitle(file)));
    Chart1->setLegendStyle(LegendStyle::Series);
    const Curve& data = workspace.curves[curve];
    for (int i = 1; i <= workspace.pointCount[curve]; ++i)
        series->addPoint(data.times[i], data.values[i], Qt::black);
    dataSeries_.push_back(series);
}

void TForm1::Button1Click() {
    runCommand([this] {
        StartBoxes boxes;
        boxes.componentCount = Edit10->text().toStdString();
        boxes.iterationCount = Edit2->text().toStdString();
        const std::vector<QLineEdit*> timeBoxes = timeConstantBoxes();
        for (std::size_t k = 0; k < timeBoxes.size(); ++k)
            boxes.timeConstants[k] = timeBoxes[k]->text().toStdString();

        StartHooks hooks;
        hooks.processEvents = [] { QCoreApplication::processEvents(); };
        hooks.setProgress = [this](int position) { ProgressBar1->setValue(position); };
        hooks.writeTimeConstants = [this, &timeBoxes](const TimeConstantTexts& texts) {
            for (std::size_t k = 0; k < timeBoxes.size(); ++k) {
                timeBoxes[k]->setText(QString::fromStdString(texts[k]));
                // The narrow boxes show the start of the number.
                timeBoxes[k]->setCursorPosition(0);
            }
        };
        hooks.replaceFittedCurves = [this] { replaceFittedCurves(); };
        QString verdict;
        hooks.reportVerdict = [&verdict](const FitVerdict& judged) {
            verdict = QString::fromStdString(judged.message);
        };

        // Re-enables the commands however the fit ends, before any error box.
        struct FitScope {
            TForm1& window;
            explicit FitScope(TForm1& owner) : window(owner) { window.setFitRunning(true); }
            ~FitScope() { window.setFitRunning(false); }
        } scope(*this);
        const std::string sum = runStart(boxes, hooks, fitMethod());
        Label1->setText(QString::fromStdString(sum));
        Label1->adjustSize();
        showVerdict(verdict);
    });
    if (exitRequested_ && !fitRunning_) {
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
        fittedCurvePoints(curve, x, y);
        for (int i = 1; i <= kPlotGridPoints; ++i)
            series->addPoint(x[static_cast<std::size_t>(i)], y[static_cast<std::size_t>(i)],
                             Qt::red);
    }
}

void TForm1::setFitRunning(bool running) {
    fitRunning_ = running;
    Button1->setEnabled(!running);
    Open1->setEnabled(!running);
    Save1->setEnabled(!running);
    Saveas1->setEnabled(!running);
    clear1->setEnabled(!running);
    VarCov1->setEnabled(!running);
}

void TForm1::clear1Click() {
    runCommand([this] {
        for (int position = Chart1->seriesCount() - 1; position >= 0; --position)
            Chart1->freeSeries(Chart1->series(position));
        dataSeries_.clear();
        fittedCurveSeries_.clear();
        resetWorkspace();
    });
}

void TForm1::Exit1Click() {
    if (fitRunning_) {
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
    if (fitRunning_) {
        requestExitAfterFit();
        event->ignore();
        return;
    }
    event->accept();
    interaction_.terminate();
}

void TForm1::Print1Click() {
    runCommand([this] { interaction_.showPrintPreview(*this); });
}

void TForm1::Export1Click() {
    runCommand([this] {
        const ExportChoice choice = interaction_.chooseExportFile(*this);
        if (choice.path.isEmpty())
            return;
        exportChart(*Chart1, choice);
    });
}

void TForm1::Save1Click() {
    if (resultsFile_.isEmpty()) {
        Saveas1Click();
        return;
    }
    runCommand([this] { saveResultsTo(resultsFile_); });
}

void TForm1::Saveas1Click() {
    runCommand([this] {
        // Refused before the dialog: there is nothing to name yet.
        refuseUnfittedResults();
        const QString path = interaction_.chooseResultsFile(*this);
        if (path.isEmpty())
            return;
        saveResultsTo(path);
    });
}

void TForm1::saveResultsTo(const QString& path) {
    // At capacity the save takes seconds (one more build of the normal
    // matrix, 800000 rows of curves).
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restoreCursor;
    std::vector<std::string> titles;
    for (int curve = 1; curve <= workspace.curveCount; ++curve)
        titles.push_back(dataSeriesTitle(curve));
    saveResults(path.toStdString(), titles);
    resultsFile_ = path;
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
                       "with the wavelength in nm (450.txt).")
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
    });
}

void TForm1::Differentialspectra1Click() {
    runCommand([this] {
        if (form5_ != nullptr)
            form5_->showDifferentialSpectra();
    });
}

}  // namespace quorvane
