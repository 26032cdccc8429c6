// Tools > "Search for the lowest minimum": remembered, used by Start with
// either method checked, its summary after the verdict, and Stop.
#include <QLabel>
#include <QTest>
#include <QTimer>

#include "support/example_traces.h"
#include "support/main_window_fixture.h"
#include "ui/search_setting.h"

namespace quorvane {

class MinimumSearchWindowTest : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

  private slots:
    void init() {
        createWindow();
        QStringList files;
        for (int wavelength = 400; wavelength <= 600; wavelength += 50)
            files << QString::fromStdString(
                testing::examplePath(std::to_string(wavelength) + ".txt"));
        open(files);
        // A start that a single fit takes to a higher minimum.
        const char* starts[] = {"1e-1", "2e-1", "3e-1", "5e-1"};
        for (int k = 0; k < 4; ++k)
            form1->findChild<QLineEdit*>(QStringLiteral("Edit%1").arg(4 + k))->setText(starts[k]);
        form1->setFitMethod(FitMethod::Classic);
        form1->Searchlowestminimum1->trigger();
    }
    void cleanup() { destroyWindow(); }

    void searchesByVariableProjectionAndReportsTheMinima() {
        QVERIFY(rememberedMinimumSearch());
        start(QStringLiteral("4"), QStringLiteral("50"));
        QCOMPARE(errors, QStringList());
        QCOMPARE(form1->Label1->text(), QStringLiteral("0.000623812972965192"));
        QVERIFY2(form1->VerdictLabel->text().startsWith(
                     QStringLiteral("Converged. Search: 33 starts, 3 distinct minima")),
                 qPrintable(form1->VerdictLabel->text()));
        QCOMPARE(form1->VerdictLabel->toolTip().count(QStringLiteral("  S = ")), 3);
        QCOMPARE(form1->Button1->text(), QStringLiteral("Start"));
    }

    void stopEndsTheSearchInItsNextIteration() {
        QTimer::singleShot(0, form1.get(), [this] {
            QCOMPARE(form1->Button1->text(), QStringLiteral("Stop"));
            form1->Button1->click();
        });
        start(QStringLiteral("4"), QStringLiteral("50"));
        QCOMPARE(errors, QStringList{"The search was stopped after 0 of 33 starts."});
        QCOMPARE(form1->Button1->text(), QStringLiteral("Start"));
        QVERIFY(form1->Button1->isEnabled());
        QCOMPARE(workspace.fitCount, 0);
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::MinimumSearchWindowTest)
#include "minimum_search_window_test.moc"
