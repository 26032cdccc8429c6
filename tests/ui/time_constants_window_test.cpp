// Tools > Time constants: refused before a fit; after one, the time
// constants, their standard errors and the correlations of the ln t_j, and
// the copy of a selection.
#include <QClipboard>
#include <QGuiApplication>
#include <QTableWidget>
#include <QTest>

#include "data/number_format.h"
#include "fit/standard_errors.h"
#include "support/main_window_fixture.h"
#include "views/time_constants_window.h"

namespace quorvane {

class TimeConstantsWindowTest : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

  private slots:
    void init() { createWindow(); }
    void cleanup() { destroyWindow(); }

    void refusedBeforeAFitThenShowsTheErrorsOfTheFit() {
        form1->Timeconstants1->trigger();
        QCOMPARE(errors, QStringList{"No fit of the loaded traces: press Start first."});
        errors.clear();

        const QStringList files = writeTwoComponentTraces(3);
        openAndStart(files, QStringLiteral("2"), QStringLiteral("50"));
        form1->Timeconstants1->trigger();
        QCOMPARE(errors, QStringList());
        auto* window = form1->findChild<TimeConstantsWindow*>();
        QVERIFY(window != nullptr && window->isVisible());
        const StandardErrors expected = computeStandardErrors();
        QVERIFY(expected.valid);
        QTableWidget* table = window->table;
        QCOMPARE(table->rowCount(), 2);
        QCOMPARE(table->columnCount(), 5);
        QCOMPARE(table->item(1, 1)->text(),
                 QString::fromStdString(formatExponent6(expected.timeConstant[2])));
        QCOMPARE(table->item(0, 4)->text(),
                 QString::fromStdString(formatFixed6(expected.correlation[1][2])));

        table->selectAll();
        window->copySelection();
        const QStringList lines = QGuiApplication::clipboard()->text().split('\n');
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[1].split('\t'),
                 (QStringList{table->item(1, 0)->text(), table->item(1, 1)->text(), "",
                              table->item(1, 3)->text(), "1.000000"}));
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::TimeConstantsWindowTest)
#include "time_constants_window_test.moc"
