// Bad input and faults through the main window: the commands Open, Start and
// Export given with files and box texts a user could choose or type, the
// dialogs and the error box replaced by the window's test seams. Each case
// asserts the exact text of the one error box shown, and that the workspace
// (every byte), the chart (every series and point), the boxes, Label1 and the
// progress bar hold exactly what they held before the refused command, or
// what a Start that stops at that point leaves.
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "data/floating_point.h"
#include "data/number_text.h"
#include "data/workspace.h"
#include "support/workspace_image.h"
#include "fit/fit_driver.h"
#include "ui/unit1.h"

namespace quorvane {

namespace {

using testing::WorkspaceImage;

// -ln(t) formed at run time, as Start forms it (the compiler may fold logl of
// a constant with a rounding of its own).
long double logRateAtRunTime(long double t) {
    volatile long double timeConstant = t;
    return -logl(timeConstant);
}

void resetWholeWorkspace() {
    std::memset(static_cast<void*>(&workspace), 0, sizeof workspace);
    setDecimalSeparator('.');
    clearFloatingPointFaults();
}

// Every series of a chart with every point, and the series' identity.
struct ChartImage {
    struct Series {
        const ChartSeries* identity;
        SeriesKind kind;
        QString title;
        int lineWidth;
        std::vector<double> x;
        std::vector<double> y;
        std::vector<QRgb> colours;
        bool operator==(const Series&) const = default;
    };
    std::vector<Series> series;
    bool operator==(const ChartImage&) const = default;

    explicit ChartImage(const Chart& chart) {
        for (int p = 0; p < chart.seriesCount(); ++p) {
            const ChartSeries* s = chart.series(p);
            Series image{s, s->kind(), s->title(), s->lineWidth(), {}, {}, {}};
            for (int i = 0; i < s->pointCount(); ++i) {
                image.x.push_back(s->point(i).x);
                image.y.push_back(s->point(i).y);
                image.colours.push_back(s->point(i).colour.rgba());
            }
            series.push_back(std::move(image));
        }
    }
};

// The texts and positions of the window's controls that Start writes.
struct ControlsImage {
    std::vector<QString> boxes;
    QString label;
    int progress;
    bool operator==(const ControlsImage&) const = default;

    explicit ControlsImage(const TForm1& form) {
        for (const QLineEdit* box :
             {form.Edit10, form.Edit2, form.Edit4, form.Edit5, form.Edit6, form.Edit7, form.Edit8,
              form.Edit9, form.Edit11, form.Edit12, form.Edit13})
            boxes.push_back(box->text());
        label = form.Label1->text();
        progress = form.ProgressBar1->value();
    }
};

// The whole state a refused command must leave as it was.
struct WindowState {
    explicit WindowState(const TForm1& form) : chart(*form.Chart1), controls(form) {}
    WorkspaceImage workspace;
    ChartImage chart;
    ControlsImage controls;
};

}  // namespace

class FaultSuiteUiTest : public QObject {
    Q_OBJECT

  private:
    TForm1* form = nullptr;
    // A fresh folder per test function.
    std::unique_ptr<QTemporaryDir> folderOwner;
    // The file the open dialog "chooses" next, and what the dialog does to
    // it after the choice (the file removed between dialog and read).
    QString chosenTrace;
    std::function<void()> afterTraceChosen;
    QString chosenBitmap;
    QStringList errorBoxes;
    QStringList errorDetails;

    QString write(const QString& name, const std::string& content) {
        const QString path = folderOwner->filePath(name);
        std::ofstream out(path.toStdString(), std::ios::binary);
        out << content;
        return path;
    }

    void open(const QString& path) {
        chosenTrace = path;
        form->Open1Click();
    }

    // A clean decay of 40 points from 1e-7 to 1e-1 with time constants 1e-5
    // and 1e-3.
    static std::string decayText(double scale) {
        std::string text;
        char line[96];
        for (int i = 0; i < 40; ++i) {
            const double t = std::pow(10.0, -7.0 + 6.0 * i / 39);
            const double y = scale * (0.01 + 0.4 * std::exp(-t / 1e-5) + 0.2 * std::exp(-t / 1e-3));
            std::snprintf(line, sizeof line, "%.17g %.17g\n", t, y);
            text += line;
        }
        return text;
    }

    void openDecay(const QString& name, double scale = 1.0) {
        open(write(name, decayText(scale)));
        QVERIFY2(errorBoxes.isEmpty(), qPrintable(errorBoxes.join(" | ")));
    }

    void start(const QString& components, const QString& iterations) {
        form->Edit10->setText(components);
        form->Edit2->setText(iterations);
        form->Button1Click();
    }

    // Exactly one error box, with `text` (and `detail` when given); the
    // list is emptied for the next command.
    void expectOneErrorBox(const QString& text, const char* detail = nullptr) {
        QCOMPARE(errorBoxes, QStringList{text});
        if (detail != nullptr)
            QCOMPARE(errorDetails, QStringList{QString::fromLatin1(detail)});
        errorBoxes.clear();
        errorDetails.clear();
    }

    static void expectUnchanged(const WindowState& before, const TForm1& form) {
        QVERIFY(before.workspace.matches());
        QVERIFY(ChartImage(*form.Chart1) == before.chart);
        QVERIFY(ControlsImage(form) == before.controls);
    }

    // The design texts of t1..t9, valid under either separator.
    void setDefaultTimeConstants() {
        const char* texts[] = {"10e-6", "100e-6", "2e-3",  "20e-3", "8e-3",
                               "2e-3",  "8e-3",   "40e-3", "10e-6"};
        int k = 0;
        for (QLineEdit* box : {form->Edit4, form->Edit5, form->Edit6, form->Edit7, form->Edit8,
                               form->Edit9, form->Edit11, form->Edit12, form->Edit13})
            box->setText(texts[k++]);
    }

    std::array<std::string, 9> timeConstantTexts() const {
        std::array<std::string, 9> texts;
        int k = 0;
        for (const QLineEdit* box :
             {form->Edit4, form->Edit5, form->Edit6, form->Edit7, form->Edit8, form->Edit9,
              form->Edit11, form->Edit12, form->Edit13})
            texts[k++] = box->text().toStdString();
        return texts;
    }

  private slots:
    void init() {
        resetWholeWorkspace();
        folderOwner = std::make_unique<QTemporaryDir>();
        QVERIFY(folderOwner->isValid());
        form = new TForm1;
        TForm1::UserInteraction& seams = form->userInteraction();
        seams.chooseTraceFiles = [this](TForm1&) {
            if (afterTraceChosen)
                afterTraceChosen();
            return chosenTrace.isEmpty() ? QStringList() : QStringList{chosenTrace};
        };
        seams.chooseExportFile = [this](TForm1&) { return chosenBitmap; };
        seams.showError = [this](TForm1&, const QString& text, const QString& detail) {
            errorBoxes.append(text);
            errorDetails.append(detail);
        };
        seams.showPrintPreview = [](TForm1&) {};
        seams.terminate = [] {};
        afterTraceChosen = nullptr;
        errorBoxes.clear();
        errorDetails.clear();
    }

    void cleanup() {
        delete form;
        form = nullptr;
        folderOwner.reset();
        setDecimalSeparator('.');
    }

    // ---- Open ---------------------------------------------------------------

    void refusedFilesLeaveWorkspaceAndChartAsTheyWere() {
        // One trace and its fit on the chart, stale data in slot 2 (as after
        // a Clear), so that a refused file that writes anything is seen.
        openDecay("450.txt");
        start("2", "5");
        QVERIFY(errorBoxes.isEmpty());
        for (int i = 1; i <= 5; ++i)
            workspace.curves[2].times[i] = 100.0 + i;
        workspace.pointCount[2] = 5;

        const QString folderAsFile = folderOwner->filePath("500.txt");
        QVERIFY(QDir().mkdir(folderAsFile));
        const QString removed = write("510.txt", "1e-6 0.5\n");
        std::string overLong;
        for (int i = 1; i <= kMaxPoints + 1; ++i)
            overLong += std::to_string(i) + "e-7 0.5\n";

        struct Case {
            QString path;
            bool removeAfterDialog;
            QString box;
        };
        const std::vector<Case> cases = {
            {folderOwner->filePath("missing.txt"), false, "File not found."},
            {folderAsFile, false, "File access denied."},
            {removed, true, "File not found."},
            {write("520.txt", overLong), false,
             "Cannot load 520.txt: a trace holds at most 20000 points."},
            {write("530.txt", "1e-6 0.5\n2e-6 0.4\n3e-6\t0.3\n"), false,
             "'' is not a valid floating point value."},
            {write("540.txt", "time signal\n1e-6 0.5\n"), false,
             "'time' is not a valid floating point value."},
            {write("550.txt", ""), false, "Cannot load 550.txt: the file holds no data points."},
        };
        for (const Case& c : cases) {
            const WindowState before(*form);
            afterTraceChosen = c.removeAfterDialog
                                   ? std::function<void()>([&c] { QFile::remove(c.path); })
                                   : nullptr;
            open(c.path);
            expectOneErrorBox(c.box);
            expectUnchanged(before, *form);
        }
    }

    void cancellingTheOpenDialogChangesNothing() {
        openDecay("450.txt");
        const WindowState before(*form);
        open(QString());
        QVERIFY(errorBoxes.isEmpty());
        expectUnchanged(before, *form);
    }

    void theFortyFirstFileIsRefused() {
        const QString path = write("450.txt", "1e-6 0.5\n2e-6 0.25\n");
        for (int c = 1; c <= kMaxCurves; ++c)
            open(path);
        QVERIFY(errorBoxes.isEmpty());
        QCOMPARE(workspace.curveCount, kMaxCurves);
        QCOMPARE(form->Chart1->seriesCount(), kMaxCurves);
        const WindowState before(*form);
        open(path);
        expectOneErrorBox("Cannot load 450.txt: at most 40 traces can be loaded.");
        expectUnchanged(before, *form);
    }

    // ---- Start: refused before anything changes ----------------------------

    void componentCountsOutsideOneToNineOrNotIntegersChangeNothing() {
        openDecay("450.txt");
        start("2", "3");
        QVERIFY(errorBoxes.isEmpty());
        const struct {
            const char* text;
            const char* box;
        } cases[] = {
            {"0", "The number of components must be between 1 and 9, not 0."},
            {"10", "The number of components must be between 1 and 9, not 10."},
            {"-1", "The number of components must be between 1 and 9, not -1."},
            {"3.0", "'3.0' is not a valid integer value."},
            {"", "'' is not a valid integer value."},
        };
        for (const auto& c : cases) {
            form->Edit10->setText(c.text);
            const WindowState before(*form);
            form->Button1Click();
            const bool parseError = QByteArray(c.box).endsWith("integer value.");
            expectOneErrorBox(c.box, parseError ? "Box of the number of components." : "");
            expectUnchanged(before, *form);
        }
    }

    void blanksAroundTheComponentCountAreAllowed() {
        openDecay("450.txt");
        start(" 3 ", "2");
        QVERIFY(errorBoxes.isEmpty());
        QCOMPARE(workspace.componentCount, 3);
        QCOMPARE(workspace.fitCount, 1);
        QCOMPARE(form->Edit10->text(), QStringLiteral(" 3 "));
        QCOMPARE(form->Chart1->seriesCount(), 2);
        QCOMPARE(form->ProgressBar1->value(), 100);
    }

    void aFitBeyondThreeHundredEntriesChangesNothing() {
        const QString path = write("450.txt", "1e-6 0.5\n1e-5 0.25\n1e-4 0.125\n");
        for (int c = 1; c <= 30; ++c)
            open(path);
        QVERIFY(errorBoxes.isEmpty());
        form->Edit10->setText("9");
        form->Edit2->setText("3");
        const WindowState before(*form);
        form->Button1Click();
        expectOneErrorBox(
            "A fit of 30 traces with 9 components needs 309 parameter entries, and at most 300 "
            "are available: with 9 components at most 29 traces can be fitted.");
        expectUnchanged(before, *form);
    }

    // ---- Start: refused after the coefficients and lambda were set ---------

    void badIterationCountsLeaveOnlyThePreparedCoefficients() {
        openDecay("450.txt");
        openDecay("500.txt", 0.5);
        for (const char* text : {"", "abc", "1e3"}) {
            workspace.fitCount = 0;
            workspace.lambda = 0;
            for (int m = 1; m <= 6; ++m)
                workspace.ParameterVector[m] = 0;
            form->Edit10->setText("2");
            form->Edit2->setText(text);
            WindowState before(*form);
            before.workspace.expectPreparedFirstStart(2);
            form->Button1Click();
            expectOneErrorBox(QStringLiteral("'%1' is not a valid integer value.").arg(text),
                              "Box of the number of iterations.");
            expectUnchanged(before, *form);
        }
    }

    void zeroAndNegativeTimeConstantsStopAtTheirBox() {
        openDecay("450.txt");
        const struct {
            QLineEdit* TForm1::*box;
            int index;  // 1..9
            const char* text;
            const char* message;
        } cases[] = {
            {&TForm1::Edit4, 1, "0", "Floating point division by zero."},
            {&TForm1::Edit7, 4, "-1e-3", "Invalid floating point operation."},
            {&TForm1::Edit13, 9, "0", "Floating point division by zero."},
        };
        for (const auto& c : cases) {
            workspace.fitCount = 0;
            QLineEdit* box = form->*c.box;
            const QString kept = box->text();
            box->setText(c.text);
            form->Edit10->setText("2");
            form->Edit2->setText("5");
            WindowState before(*form);
            before.workspace.expectPreparedFirstStart(2);
            before.workspace.expectLogRates(timeConstantTexts(), c.index - 1);
            form->Button1Click();
            expectOneErrorBox(c.message, qPrintable(QStringLiteral("Box t%1.").arg(c.index)));
            expectUnchanged(before, *form);
            box->setText(kept);
        }
    }

    void timeConstantsFollowTheDecimalSeparator() {
        for (const char separator : {'.', ','}) {
            resetWholeWorkspace();
            setDecimalSeparator(separator);
            form->clear1Click();
            setDefaultTimeConstants();
            open(write("450.txt", separator == '.' ? "1e-6 0.5\n1e-5 0.3\n1e-4 0.1\n"
                                                   : "1e-6 0,5\n1e-5 0,3\n1e-4 0,1\n"));
            QVERIFY(errorBoxes.isEmpty());
            const QString foreign = separator == '.' ? "1,5e-3" : "1.5e-3";
            const QString local = separator == '.' ? "1.5e-3" : "1,5e-3";

            form->Edit5->setText(foreign);
            form->Edit10->setText("1");
            form->Edit2->setText("0");
            WindowState before(*form);
            before.workspace.expectPreparedFirstStart(1);
            before.workspace.expectLogRates(timeConstantTexts(), 1);
            form->Button1Click();
            expectOneErrorBox(
                QStringLiteral("'%1' is not a valid floating point value.").arg(foreign),
                "Box t2.");
            expectUnchanged(before, *form);

            form->Edit5->setText(local);
            form->Button1Click();
            QVERIFY(errorBoxes.isEmpty());
            QCOMPARE(workspace.ParameterVector[2 + 2], logRateAtRunTime(1.5e-3L));
            QCOMPARE(form->Edit5->text(), separator == '.' ? QStringLiteral("1.50000E-3")
                                                           : QStringLiteral("1,50000E-3"));
        }
    }

    // ---- Start: faults inside the iterations --------------------------------

    void dataThatOverflowTheModelStopTheFitAndKeepTheLastFit() {
        // A completed Start, then a trace with a time far below zero:
        // exp(-t / 1e-5) at t = -1 overflows the extended range. The next
        // Start stops in its first iteration: the first fit's curve, boxes,
        // label and progress stay; the workspace holds the prepared state.
        openDecay("450.txt");
        start("2", "8");
        QVERIFY(errorBoxes.isEmpty());
        open(write("500.txt", "-1 0.5\n1e-6 0.4\n1e-5 0.2\n1e-4 0.1\n"));
        QVERIFY(errorBoxes.isEmpty());
        QCOMPARE(form->Chart1->seriesCount(), 3);

        WindowState before(*form);
        Workspace& expected = before.workspace.expected();
        expected.laidOutCurveCount = 2;
        for (int m = 4; m <= 6; ++m)
            expected.ParameterVector[m] = 1.0L;
        expected.lambda = 0.001L;
        before.workspace.expectLogRates(timeConstantTexts(), 9);
        form->Button1Click();
        expectOneErrorBox("Floating point overflow.");
        QVERIFY(before.workspace.matchesOutsideTheIterationArrays());
        QVERIFY(ChartImage(*form->Chart1) == before.chart);
        QVERIFY(ControlsImage(*form) == before.controls);
        QCOMPARE(workspace.fitCount, 1);
        QVERIFY(!startInProgress());
    }

    void aCurveWhoseTimesAreAllZeroIsASingularSystem() {
        open(write("450.txt", "0 0.5\n0 0.4\n0 0.3\n"));
        QVERIFY(errorBoxes.isEmpty());
        form->Edit10->setText("1");
        form->Edit2->setText("5");
        WindowState before(*form);
        before.workspace.expectPreparedFirstStart(1);
        before.workspace.expectLogRates(timeConstantTexts(), 9);
        form->Button1Click();
        expectOneErrorBox("Invalid floating point operation.");
        QVERIFY(before.workspace.matchesOutsideTheIterationArrays());
        QVERIFY(ChartImage(*form->Chart1) == before.chart);
        QVERIFY(ControlsImage(*form) == before.controls);
        QVERIFY(!startInProgress());
    }

    // ---- Export -------------------------------------------------------------

    void exportToAFolderThatDoesNotExist() {
        openDecay("450.txt");
        chosenBitmap = folderOwner->filePath("no such folder/chart.bmp");
        const WindowState before(*form);
        form->Export1Click();
        expectOneErrorBox(QStringLiteral("Cannot create file %1.").arg(chosenBitmap));
        expectUnchanged(before, *form);
        QVERIFY(!QFileInfo::exists(chosenBitmap));
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::FaultSuiteUiTest)
#include "fault_suite_ui_test.moc"
