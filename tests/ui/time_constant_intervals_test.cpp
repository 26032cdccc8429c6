// The Time constants window's interval column: filled by "Compute
// intervals" with the profile's intervals, the fit commands off while it
// runs, empty after Cancel, emptied by the next Start.
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "fit/profile_intervals.h"
#include "support/main_window_fixture.h"
#include "views/interval_report.h"
#include "views/time_constants_window.h"

namespace quorvane {

class TimeConstantIntervalsTest : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

  private slots:
    void init() {
        createWindow();
        const QStringList files = writeTwoComponentTraces(2);
        openAndStart(files, QStringLiteral("2"), QStringLiteral("50"));
        form1->Timeconstants1->trigger();
        window = form1->findChild<TimeConstantsWindow*>();
        QVERIFY(window != nullptr);
    }
    void cleanup() { destroyWindow(); }

    void computeFillsTheColumnWithStartOffMeanwhileAndStartClearsIt() {
        const ProfileIntervals expected = computeProfileIntervals();
        QVERIFY(expected.valid);
        bool startEnabledDuringRun = true;
        QTimer::singleShot(0, [&] { startEnabledDuringRun = form1->Button1->isEnabled(); });
        window->computeButton->click();
        QVERIFY(!startEnabledDuringRun);
        QVERIFY(form1->Button1->isEnabled());
        for (int j = 1; j <= 2; ++j)
            QCOMPARE(window->table->item(j - 1, 2)->text(),
                     QString::fromStdString(intervalText(expected.interval[j])));
        form1->Button1->click();
        QVERIFY(window->table->item(0, 2) == nullptr);
    }

    void cancelLeavesTheColumnEmpty() {
        QTimer::singleShot(0, window, &TimeConstantsWindow::cancelIntervals);
        window->computeIntervals();
        QVERIFY(!window->intervalsRunning());
        QVERIFY(window->table->item(0, 2) == nullptr && window->table->item(1, 2) == nullptr);
        QCOMPARE(window->intervalLabel->text(), QStringLiteral("No intervals: cancelled"));
        QVERIFY(form1->Button1->isEnabled());
    }

  private:
    TimeConstantsWindow* window = nullptr;
};

}  // namespace quorvane

QTEST_MAIN(quorvane::TimeConstantIntervalsTest)
#include "time_constant_intervals_test.moc"
