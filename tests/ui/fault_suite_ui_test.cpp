// The window's one error path, once for each way one of its commands can
// fail: the error box shows the message with its full stop and its detail,
// and the window - every series and point of the chart, the boxes, Label1,
// the progress bar, which commands are enabled - holds what it held before;
// so does the workspace, to every byte, where the command changes it only on
// success. Which messages the reader and Start give, and what a Start that
// stops leaves in the workspace, is tested with them.
#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <functional>

#include "chart/chart.h"
#include "support/main_window_fixture.h"
#include "support/workspace_image.h"

namespace quorvane {

namespace {

// A decay with time constant 1e-5.
const QByteArray kDecay = "1e-7 0.51\n1e-6 0.46\n3e-6 0.38\n1e-5 0.19\n3e-5 0.035\n1e-4 0.01\n";

// What the user sees of the main window, as text: every series of the chart
// with every point, the texts of the boxes and of Label1, the progress bar,
// and which commands are enabled.
QStringList windowImage(const TForm1& form) {
    QStringList image;
    const Chart& chart = *form.Chart1;
    for (int p = 0; p < chart.seriesCount(); ++p) {
        const ChartSeries& series = *chart.series(p);
        QString text = QStringLiteral("series %1 '%2' kind %3 width %4:")
                           .arg(quintptr(&series))
                           .arg(series.title())
                           .arg(static_cast<int>(series.kind()))
                           .arg(series.lineWidth());
        for (int i = 0; i < series.pointCount(); ++i) {
            const ChartSeries::Point& point = series.point(i);
            text += QStringLiteral(" %1 %2 %3")
                        .arg(point.x, 0, 'g', 17)
                        .arg(point.y, 0, 'g', 17)
                        .arg(point.colour.rgba());
        }
        image << text;
    }
    for (const QLineEdit* box : form.findChildren<QLineEdit*>())
        image << box->objectName() + ' ' + box->text();
    image << form.Label1->text() << QString::number(form.ProgressBar1->value());
    for (const QAction* action : form.findChildren<QAction*>())
        image << action->objectName() + (action->isEnabled() ? " on" : " off");
    image << (form.Button1->isEnabled() ? "Start on" : "Start off");
    return image;
}

}  // namespace

class FaultSuiteUiTest : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

    enum class WorkspaceAfter { Kept, MayChange };

    // Runs `command`: exactly one error box with `text` and `detail`, and
    // the window (and, when kept, the workspace) as it was before.
    void expectErrorBox(const std::function<void()>& command, const QString& text,
                        const QString& detail,
                        WorkspaceAfter workspaceAfter = WorkspaceAfter::Kept) {
        const testing::WorkspaceImage workspaceBefore;
        const QStringList before = windowImage(*form1);
        errors.clear();
        details.clear();
        command();
        QCOMPARE(errors, QStringList{text});
        QCOMPARE(details, QStringList{detail});
        QCOMPARE(windowImage(*form1), before);
        if (workspaceAfter == WorkspaceAfter::Kept)
            QVERIFY(workspaceBefore.matches());
    }

    // One trace, fitted with one component.
    void loadAndFit() { openAndStart({writeTrace("450.txt", kDecay)}, "1", "5"); }

  private slots:
    void init() { createWindow(); }
    void cleanup() { destroyWindow(); }

    void openOfABadFile() {
        loadAndFit();
        const QString bad = writeTrace("500.txt", "1e-6 0.5\n2e-6 abc\n");
        expectErrorBox([&] { open({bad}); }, "'abc' is not a valid floating point value.",
                       "File 500.txt, line 2.");
    }

    void startRefusedBeforeItChangesAnything() {
        loadAndFit();
        form1->Edit10->setText("x");
        expectErrorBox([&] { form1->Button1->click(); }, "'x' is not a valid integer value.",
                       "Box of the number of components.");
    }

    void startStoppedAtABox() {
        loadAndFit();
        form1->Edit7->setText("-1e-3");
        expectErrorBox([&] { form1->Button1->click(); }, "Invalid floating point operation.",
                       "Box t4.", WorkspaceAfter::MayChange);
        QCOMPARE(workspace.fitCount, 1);
    }

    void startStoppedInsideItsIterationsKeepsTheLastFit() {
        loadAndFit();
        // exp(-t / 1e-5) at t = -1 overflows the extended range.
        open({writeTrace("500.txt", "-1 0.5\n1e-6 0.4\n1e-5 0.2\n1e-4 0.1\n")});
        expectErrorBox([&] { form1->Button1->click(); }, "Floating point overflow.", "",
                       WorkspaceAfter::MayChange);
        QCOMPARE(workspace.fitCount, 1);
    }

    void exportToAFolderThatDoesNotExist() {
        loadAndFit();
        exportChosen = {path("no such folder/chart.bmp")};
        expectErrorBox([&] { form1->Export1->trigger(); },
                       "Cannot create file " + exportChosen.path + '.', "");
        QVERIFY(!QFileInfo::exists(exportChosen.path));
    }

    void toolsCommandOfATraceNamedWithoutAWavelength() {
        open({writeTrace("abc.txt", kDecay)});
        start("1", "0");
        expectErrorBox([&] { form1->Differentialspectra1->trigger(); },
                       "'abc' is not a valid floating point value.",
                       "Wavelength of trace 1, from its file name abc.txt.");
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::FaultSuiteUiTest)
#include "fault_suite_ui_test.moc"
