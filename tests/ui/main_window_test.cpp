// The main window's commands end to end: start-up state, Open, Start, Clear,
// Export, the error box and the commands shut off while a fit runs. The
// dialogs, the error box and the end of the program go through the window's
// user-interaction seams, so nothing here waits for a person.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstring>
#include <memory>

#include "chart/chart.h"
#include "data/floating_point.h"
#include "data/number_text.h"
#include "data/version.h"
#include "data/workspace.h"
#include "ui/start_up.h"
#include "fit/fit_driver.h"
#include "ui/unit1.h"
#include "views/unit2.h"
#include "views/unit3.h"
#include "views/unit4.h"
#include "views/unit5.h"

namespace quorvane {

namespace {

struct ErrorBox {
    QString text;
    QString detail;
};

// A trace decaying with time constant `tau` over 1e-6..1e-2 s, `points`
// log-spaced points (the file written in the order given by `reverse`).
QByteArray traceText(double offset, double amplitude, double tau, int points,
                     bool reverse = false) {
    QByteArray text;
    for (int k = 0; k < points; ++k) {
        const int i = reverse ? points - 1 - k : k;
        const double t = 1e-6 * std::pow(10.0, 4.0 * i / (points - 1));
        const double y = offset + amplitude * std::exp(-t / tau);
        text += QByteArray::number(t, 'g', 9) + ' ' + QByteArray::number(y, 'g', 9) + '\n';
    }
    return text;
}

// Pixels of a control drawn in the navy of Start's caption.
int navyPixels(QWidget* control) {
    const QImage image = control->grab().toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.blue() > 90 && pixel.red() < 50 && pixel.green() < 50)
                ++count;
        }
    }
    return count;
}

// True when the box shows its whole text: it looks the same with the
// cursor at the start and at the end (a clipped text scrolls).
bool showsWholeText(QLineEdit* box) {
    box->setCursorPosition(static_cast<int>(box->text().size()));
    const QImage atEnd = box->grab().toImage();
    box->setCursorPosition(0);
    return box->grab().toImage() == atEnd;
}

QStringList seriesTitles(const Chart& chart) {
    QStringList titles;
    for (int i = 0; i < chart.seriesCount(); ++i)
        titles << chart.series(i)->title();
    return titles;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<TForm1> form1;
    TForm2* form2 = nullptr;
    TForm3* form3 = nullptr;
    TForm4* form4 = nullptr;
    TForm5* form5 = nullptr;
    std::unique_ptr<QTemporaryDir> folder;
    QList<ErrorBox> errors;
    QString nextFile;
    int terminations = 0;

    QString writeTrace(const QString& name, const QByteArray& content) {
        const QString path = folder->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        file.write(content);
        return path;
    }

    // Open through the menu command, the dialog answering `path`.
    void open(const QString& path) {
        nextFile = path;
        form1->Open1Click();
    }

    void loadTwoTraces() {
        open(writeTrace(QStringLiteral("450.txt"), traceText(0.001, 0.05, 2e-5, 40)));
        open(writeTrace(QStringLiteral("500.txt"), traceText(-0.002, -0.03, 2e-5, 40)));
    }

    void startOneComponent(const char* iterations) {
        form1->Edit10->setText(QStringLiteral("1"));
        form1->Edit2->setText(QString::fromLatin1(iterations));
        form1->Button1Click();
    }

  private slots:
    void init() {
        std::memset(static_cast<void*>(&workspace), 0, sizeof workspace);
        setDecimalSeparator('.');
        clearFloatingPointFaults();
        workspace.curveCount = 7;  // FormCreate must reset it
        workspace.fitCount = 3;
        folder = std::make_unique<QTemporaryDir>();
        errors.clear();
        terminations = 0;

        form1 = std::make_unique<TForm1>();
        createResultWindows(*form1);
        form2 = form1->form2();
        form3 = form1->form3();
        form4 = form1->form4();
        form5 = form1->form5();
        TForm1::UserInteraction& seams = form1->userInteraction();
        seams.chooseTraceFiles = [this](TForm1&) {
            return nextFile.isEmpty() ? QStringList() : QStringList{nextFile};
        };
        seams.chooseExportFile = [this](TForm1&) { return nextFile; };
        seams.showError = [this](TForm1&, const QString& text, const QString& detail) {
            errors.append({text, detail});
        };
        seams.showPrintPreview = [](TForm1&) {};
        seams.terminate = [this] { ++terminations; };
    }

    void cleanup() {
        form1.reset();
        folder.reset();
    }

    void startUpState() {
        QCOMPARE(workspace.curveCount, 0);
        QCOMPARE(workspace.fitCount, 0);
        QCOMPARE(form1->windowTitle(), QStringLiteral("Quorvane"));
        QCOMPARE(form1->Edit10->text(), QStringLiteral("4"));
        QCOMPARE(form1->Edit2->text(), QStringLiteral("50"));
        const QList<QLineEdit*> boxes{form1->Edit4,  form1->Edit5,  form1->Edit6,
                                      form1->Edit7,  form1->Edit8,  form1->Edit9,
                                      form1->Edit11, form1->Edit12, form1->Edit13};
        const QStringList defaults{"10e-6", "100e-6", "2e-3",  "20e-3", "8e-3",
                                   "2e-3",  "8e-3",   "40e-3", "10e-6"};
        for (int k = 0; k < boxes.size(); ++k)
            QCOMPARE(boxes[k]->text(), defaults[k]);
        QCOMPARE(form1->Chart1->seriesCount(), 0);
        QCOMPARE(form1->Chart1->title(), QStringLiteral("TChart"));
        QCOMPARE(form1->Chart1->geometry(), QRect(8, 24, 857, 633));
        QCOMPARE(form1->Chart1->axisMinimum(AxisPosition::Bottom), 1e-6);
        QCOMPARE(form1->Chart1->axisMaximum(AxisPosition::Bottom), 10.0);
        QCOMPARE(form1->Chart1->axisMinimum(AxisPosition::Left), -0.12);
        QCOMPARE(form1->Chart1->axisMaximum(AxisPosition::Left), 0.1);
        QVERIFY(form1->Label1->text().isEmpty());
        QCOMPARE(form1->ProgressBar1->value(), 0);
        QCOMPARE(form1->ProgressBar1->maximum(), 100);
        QCOMPARE(form1->Button1->text(), QStringLiteral("Start"));
        QCOMPARE(form1->Button1->geometry(), QRect(888, 624, 75, 25));
        QCOMPARE(form1->Edit4->geometry(), QRect(888, 96, 65, 21));
        QCOMPARE(form1->Edit10->geometry(), QRect(888, 8, 97, 21));
        QCOMPARE(form1->label12->text(), QStringLiteral("t7"));
        form1->show();
        QCOMPARE(form1->centralWidget()->size(), QSize(987, 705));
        QVERIFY(!form2->isVisible());
        QVERIFY(!form3->isVisible());
        QVERIFY(!form4->isVisible());
        QVERIFY(!form5->isVisible());
    }

    void applicationIconIsBuiltIn() {
        QCOMPARE(applicationIcon().availableSizes(), QList<QSize>{QSize(256, 256)});
    }

    void timeConstantBoxesShowEveryWrittenBackTextWhole() {
        QLineEdit* box = form1->Edit4;
        box->setText(QStringLiteral("1.00000E-5"));
        QVERIFY(showsWholeText(box));
        QCOMPARE(box->font().pixelSize(), 11);
        // The widest texts the write-back forms: two- to four-digit
        // exponents of the extended range.
        for (const char* text :
             {"1.23457E-10", "8.88888E+88", "1.23457E-100", "3.64520E-4951", "1.18973E+4932"}) {
            box->setText(QString::fromLatin1(text));
            QVERIFY2(showsWholeText(box), text);
            QCOMPARE(box->size(), QSize(65, 21));
        }
    }

    void menuHasTheDesignedItemsInOrder() {
        QStringList menus;
        for (QAction* action : form1->menuBar()->actions())
            menus << action->text();
        QCOMPARE(menus, (QStringList{"File", "Edit", "Tools", "Help"}));
        QStringList file;
        for (QAction* action : form1->File1->actions())
            file << action->objectName() + '=' + action->text();
        QCOMPARE(file, (QStringList{"Open1=Open", "Save1=Save", "Saveas1=Save as...",
                                    "Export1=Export", "Print1=Print...", "Exit1=Exit"}));
        QCOMPARE(form1->Open1->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
        QStringList tools;
        for (QAction* action : form1->Tools1->actions())
            tools << action->text();
        QCOMPARE(tools, (QStringList{"Var-Cov Matrix", "Parameters ", "Residual's surface",
                                     "Differential spectra", "", "Classic Levenberg-Marquardt",
                                     "Variable projection"}));

        QCOMPARE(form1->help1->actions().size(), 1);
        QCOMPARE(form1->help1->actions()[0]->text(), QStringLiteral("About Quorvane"));
        QStringList about;
        form1->userInteraction().showAbout = [&about](TForm1&, const QString& text) {
            about << text;
        };
        form1->help1->actions()[0]->trigger();
        QCOMPARE(about.size(), 1);
        QVERIFY(about[0].startsWith(QStringLiteral("Quorvane ") + kQuorvaneVersion + '\n'));
    }

    void openingTwoFilesPlotsThemInLoadOrderWithAscendingX() {
        const QString late =
            writeTrace(QStringLiteral("520nm.txt"), "3e-6 0.03\n1e-6 0.01\n2e-6 0.02\n1e-6 0.04\n");
        open(writeTrace(QStringLiteral("450.txt"), "1e-6 0.012\n2e-6 0.010\n4e-6 0.007\n"));
        open(late);
        QVERIFY(errors.isEmpty());
        QCOMPARE(workspace.curveCount, 2);
        QCOMPARE(seriesTitles(*form1->Chart1), (QStringList{"450.txt", "520nm.txt"}));
        QCOMPARE(form1->Chart1->legendText(1), QStringLiteral("520nm.txt"));
        QCOMPARE(form1->dataSeriesTitle(2), std::string("520nm.txt"));

        // The workspace keeps file order ...
        QCOMPARE(workspace.pointCount[2], 4);
        QCOMPARE(workspace.curves[2].times[1], 3e-6);
        QCOMPARE(workspace.curves[2].values[4], 0.04);
        // ... the chart ascending x, equal x in file order.
        const ChartSeries* series = form1->Chart1->series(1);
        QCOMPARE(series->pointCount(), 4);
        QCOMPARE(series->point(0).y, 0.01);
        QCOMPARE(series->point(1).y, 0.04);
        QCOMPARE(series->point(2).x, 2e-6);
        QCOMPARE(series->point(3).x, 3e-6);
        QCOMPARE(series->colour(), QColor(Qt::black));
    }

    void cancelledOpenChangesNothing() {
        open(QString());
        QCOMPARE(workspace.curveCount, 0);
        QCOMPARE(form1->Chart1->seriesCount(), 0);
        QVERIFY(errors.isEmpty());
    }

    void badFileShowsOneErrorBoxAndChangesNeitherWorkspaceNorChart() {
        open(writeTrace(QStringLiteral("450.txt"), "1e-6 0.5\n"));
        open(writeTrace(QStringLiteral("bad.txt"), "1e-6 0.5\n2e-6 abc\n"));
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0].text, QStringLiteral("'abc' is not a valid floating point value."));
        QVERIFY(errors[0].detail.contains(QStringLiteral("bad.txt")));
        QCOMPARE(workspace.curveCount, 1);
        QCOMPARE(form1->Chart1->seriesCount(), 1);

        open(folder->filePath(QStringLiteral("missing.txt")));
        QCOMPARE(errors.size(), 2);
        QCOMPARE(errors[1].text, QStringLiteral("File not found."));
        QCOMPARE(form1->Chart1->seriesCount(), 1);
    }

    void startRewritesTheBoxesAndAddsRedFittedCurvesAfterTheData() {
        loadTwoTraces();
        startOneComponent("10");
        QVERIFY2(errors.isEmpty(), errors.isEmpty() ? "" : qPrintable(errors[0].text));
        QCOMPARE(form1->Edit13->text(), QStringLiteral("1.00000E-5"));
        QCOMPARE(form1->Edit5->text(), QStringLiteral("1.00000E-4"));
        QVERIFY(form1->Edit4->text().endsWith(QStringLiteral("E-5")));
        QCOMPARE(form1->ProgressBar1->value(), 100);
        QVERIFY(!form1->Label1->text().isEmpty());
        bool isNumber = false;
        const double sum = form1->Label1->text().toDouble(&isNumber);
        QVERIFY(isNumber);
        QVERIFY(sum >= 0 && sum < 1e-6);
        QCOMPARE(workspace.fitCount, 1);

        Chart& chart = *form1->Chart1;
        QCOMPARE(chart.seriesCount(), 4);
        QCOMPARE(seriesTitles(chart), (QStringList{"450.txt", "500.txt", "", ""}));
        QCOMPARE(chart.legendText(2), QStringLiteral("Series 2"));
        QCOMPARE(chart.legendText(3), QStringLiteral("Series 3"));
        for (int position : {2, 3}) {
            const ChartSeries* fit = chart.series(position);
            QCOMPARE(fit->pointCount(), 80);
            QCOMPARE(fit->colour(), QColor(255, 0, 0));
            QCOMPARE(fit->lineWidth(), 1);
            QCOMPARE(fit->point(0).x, 1e-7);
            QCOMPARE(fit->point(79).x, 10.0);
        }
        // The fit of curve 1 follows curve 1's data.
        const ChartSeries* fit = chart.series(2);
        QVERIFY(std::fabs(fit->point(40).y - (0.001 + 0.05 * std::exp(-fit->point(40).x / 2e-5))) <
                1e-4);
        QVERIFY(form1->Button1->isEnabled());
    }

    void twoStartsLeaveOneFitPerCurve() {
        loadTwoTraces();
        startOneComponent("5");
        const ChartSeries* firstFit = form1->Chart1->series(2);
        QVERIFY(firstFit != nullptr);
        startOneComponent("5");
        QVERIFY(errors.isEmpty());
        QCOMPARE(form1->Chart1->seriesCount(), 4);
        QCOMPARE(seriesTitles(*form1->Chart1), (QStringList{"450.txt", "500.txt", "", ""}));
        QCOMPARE(form1->Chart1->series(2)->pointCount(), 80);
        QCOMPARE(workspace.fitCount, 2);
    }

    void traceLoadedAfterAFitKeepsEveryDataSeries() {
        loadTwoTraces();
        startOneComponent("5");
        open(writeTrace(QStringLiteral("600.txt"), traceText(0.0, 0.02, 2e-5, 40, true)));
        QCOMPARE(seriesTitles(*form1->Chart1),
                 (QStringList{"450.txt", "500.txt", "", "", "600.txt"}));
        startOneComponent("5");
        QVERIFY2(errors.isEmpty(), errors.isEmpty() ? "" : qPrintable(errors[0].text));
        // The two old fits are gone, the three data series stay, three fits follow.
        QCOMPARE(seriesTitles(*form1->Chart1),
                 (QStringList{"450.txt", "500.txt", "600.txt", "", "", ""}));
        QCOMPARE(form1->Chart1->series(2)->pointCount(), 40);
        QCOMPARE(form1->dataSeriesTitle(3), std::string("600.txt"));
        for (int position = 3; position < 6; ++position)
            QCOMPARE(form1->Chart1->series(position)->pointCount(), 80);
    }

    void clearRemovesEverySeriesAndTheNextOpenLoadsSlotOne() {
        loadTwoTraces();
        startOneComponent("5");
        form1->Edit10->setText(QStringLiteral("2"));
        const QString label = form1->Label1->text();
        form1->clear1Click();
        QCOMPARE(form1->Chart1->seriesCount(), 0);
        QCOMPARE(workspace.curveCount, 0);
        QCOMPARE(workspace.fitCount, 0);
        QCOMPARE(form1->Edit10->text(), QStringLiteral("2"));
        QCOMPARE(form1->Label1->text(), label);
        QCOMPARE(form1->ProgressBar1->value(), 100);
        QCOMPARE(form1->dataSeriesTitle(1), std::string());

        open(writeTrace(QStringLiteral("700.txt"), "5e-6 0.25\n"));
        QCOMPARE(workspace.curveCount, 1);
        QCOMPARE(workspace.curves[1].times[1], 5e-6);
        QCOMPARE(seriesTitles(*form1->Chart1), (QStringList{"700.txt"}));
        // A Start after Clear is a first fit again: nothing old to free.
        startOneComponent("0");
        QVERIFY(errors.isEmpty());
        QCOMPARE(form1->Chart1->seriesCount(), 2);
    }

    void exportWritesABitmapOfTheChartsSize() {
        loadTwoTraces();
        const QString existing = folder->filePath(QStringLiteral("chart.bmp"));
        QFile junk(existing);
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("not a bitmap");
        junk.close();

        nextFile = folder->filePath(QStringLiteral("chart"));  // no extension typed
        form1->Export1Click();
        QVERIFY(errors.isEmpty());
        const QImage image(existing, "BMP");
        QVERIFY(!image.isNull());
        QCOMPARE(image.size(), form1->Chart1->size());

        nextFile = folder->filePath(QStringLiteral("other.BMP"));
        form1->Export1Click();
        QVERIFY(QFile::exists(folder->filePath(QStringLiteral("other.BMP"))));

        nextFile = QString();
        form1->Export1Click();
        QVERIFY(errors.isEmpty());

        nextFile = folder->filePath(QStringLiteral("no-such-folder/chart.bmp"));
        form1->Export1Click();
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0].text, QStringLiteral("Cannot create file ") + nextFile + '.');
    }

    void badBoxTextShowsTheErrorBoxAndTheWindowGoesOn() {
        loadTwoTraces();
        form1->Edit2->setText(QStringLiteral("abc"));
        form1->Button1Click();
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0].text, QStringLiteral("'abc' is not a valid integer value."));
        QCOMPARE(form1->Chart1->seriesCount(), 2);
        QVERIFY(form1->Label1->text().isEmpty());
        QVERIFY(form1->Button1->isEnabled());
        QVERIFY(form1->Open1->isEnabled());

        form1->Edit2->setText(QStringLiteral("3"));
        form1->Edit7->setText(QStringLiteral("2,5e-3"));
        form1->Button1Click();
        QCOMPARE(errors.size(), 2);
        QCOMPARE(errors[1].text, QStringLiteral("'2,5e-3' is not a valid floating point value."));
        QCOMPARE(workspace.fitCount, 0);
    }

    void commandsThatChangeTheWorkspaceAreOffWhileAFitRuns() {
        loadTwoTraces();
        QMap<QString, bool> enabled;
        int startCaptionNavy = -1;
        int calls = 0;
        // Runs in the event pass at the top of the first iteration.
        QMetaObject::invokeMethod(
            form1.get(),
            [&] {
                ++calls;
                enabled["Start"] = form1->Button1->isEnabled();
                startCaptionNavy = navyPixels(form1->Button1);
                enabled["Open"] = form1->Open1->isEnabled();
                enabled["Save"] = form1->Save1->isEnabled() || form1->Saveas1->isEnabled();
                enabled["Clear"] = form1->clear1->isEnabled();
                enabled["VarCov"] = form1->VarCov1->isEnabled();
                enabled["Parameters"] = form1->parameters1->isEnabled();
                enabled["Surface"] = form1->residualssurface1->isEnabled();
                enabled["Spectra"] = form1->Differentialspectra1->isEnabled();
                enabled["Print"] = form1->Print1->isEnabled();
                enabled["Export"] = form1->Export1->isEnabled();
                QVERIFY(startInProgress());
                form1->Exit1Click();
                QCOMPARE(terminations, 0);
                QCOMPARE(form1->windowTitle(),
                         QStringLiteral("Quorvane - ends when the fit has finished"));
            },
            Qt::QueuedConnection);
        startOneComponent("6");
        QCOMPARE(calls, 1);
        QVERIFY(!enabled["Start"]);
        // The disabled Start is drawn grey, not in its navy.
        QCOMPARE(startCaptionNavy, 0);
        QVERIFY(navyPixels(form1->Button1) > 20);
        QVERIFY(!enabled["Open"]);
        QVERIFY(!enabled["Save"]);
        QVERIFY(!enabled["Clear"]);
        QVERIFY(!enabled["VarCov"]);
        QVERIFY(enabled["Parameters"]);
        QVERIFY(enabled["Surface"]);
        QVERIFY(enabled["Spectra"]);
        QVERIFY(enabled["Print"]);
        QVERIFY(enabled["Export"]);
        // The fit ran to its end, then the program ended.
        QVERIFY(errors.isEmpty());
        QCOMPARE(workspace.fitCount, 1);
        QCOMPARE(form1->ProgressBar1->value(), 100);
        QCOMPARE(terminations, 1);
        QVERIFY(form1->Button1->isEnabled());
        QVERIFY(form1->Open1->isEnabled());
        QVERIFY(form1->clear1->isEnabled());
        QVERIFY(form1->VarCov1->isEnabled());
    }

    void closingTheWindowDuringAFitEndsTheProgramAfterIt() {
        loadTwoTraces();
        form1->show();
        bool closed = true;
        QMetaObject::invokeMethod(
            form1.get(), [&] { closed = form1->close(); }, Qt::QueuedConnection);
        startOneComponent("4");
        QVERIFY(!closed);
        QVERIFY(form1->windowTitle().endsWith(QStringLiteral("ends when the fit has finished")));
        QCOMPARE(workspace.fitCount, 1);
        QCOMPARE(terminations, 1);
    }

    void commandsAreBackAfterAFailedFit() {
        // No trace: Start is refused; the commands must not stay off.
        startOneComponent("3");
        QCOMPARE(errors.size(), 1);
        QVERIFY(form1->Button1->isEnabled());
        QVERIFY(form1->Open1->isEnabled());
        QVERIFY(form1->clear1->isEnabled());
        QVERIFY(form1->VarCov1->isEnabled());
        QVERIFY(!startInProgress());
    }

    void toolsCommandsShowTheirWindowsAndReportErrorsInTheBox() {
        loadTwoTraces();
        startOneComponent("5");
        form1->parameters1Click();
        QVERIFY(form2->isVisible());
        form1->VarCov1Click();
        QVERIFY(form3->isVisible());
        form1->residualssurface1Click();
        QVERIFY(form4->isVisible());
        form1->Differentialspectra1Click();
        QVERIFY(form5->isVisible());
        QVERIFY(errors.isEmpty());
        // Each curve's wavelength comes from its own data series title.
        const ChartSeries* spectrum = form5->chart(1)->series(0);
        QVERIFY(spectrum != nullptr);
        QCOMPARE(spectrum->pointCount(), 2);
        QCOMPARE(spectrum->point(0).x, 450.0);
        QCOMPARE(spectrum->point(1).x, 500.0);

        form1->clear1Click();
        open(writeTrace(QStringLiteral("abc.txt"), traceText(0.0, 0.02, 2e-5, 10)));
        startOneComponent("0");
        form1->Differentialspectra1Click();
        QCOMPARE(errors.size(), 1);
        QCOMPARE(errors[0].text, QStringLiteral("'abc' is not a valid floating point value."));
        QCOMPARE(errors[0].detail,
                 QStringLiteral("Wavelength of trace 1, from its file name abc.txt."));
    }

    void exitOutsideAFitEndsTheProgramAtOnce() {
        form1->Exit1Click();
        QCOMPARE(terminations, 1);
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::MainWindowTest)
#include "main_window_test.moc"
