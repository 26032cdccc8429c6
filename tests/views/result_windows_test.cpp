// The windows Form2 to Form4: what their commands write into them.
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTest>
#include <cmath>
#include <cstring>

#include "data/error.h"
#include "data/floating_point.h"
#include "data/number_format.h"
#include "data/number_text.h"
#include "views/fitted_workspace.h"
#include "views/unit2.h"
#include "views/unit3.h"
#include "views/unit4.h"

namespace quorvane {

namespace {

void resetWholeWorkspace() {
    std::memset(static_cast<void*>(&workspace), 0, sizeof workspace);
    setDecimalSeparator('.');
    clearFloatingPointFaults();
}

// `curves` curves of one point each.
void loadCurves(int curves) {
    for (int c = 1; c <= curves; ++c) {
        workspace.curves[c].times[1] = 1e-6;
        workspace.pointCount[c] = 1;
    }
    workspace.curveCount = curves;
}

QString failureMessage(const std::function<void()>& command) {
    try {
        command();
    } catch (const QuorvaneError& error) {
        return QString::fromStdString(error.message());
    }
    return QStringLiteral("no error");
}

QColor memoColour(const TForm2& form) {
    return form.Memo1->palette().color(QPalette::Text);
}

}  // namespace

class ResultWindowsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { resetWholeWorkspace(); }

    // Form2 ------------------------------------------------------------

    void parametersStartsWithMemo1AndShowsOnlySerie1WithoutCurves() {
        TForm2 form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Parametrs"));
        QCOMPARE(form.Memo1->toPlainText(), QStringLiteral("Memo1"));
        QVERIFY(!form.isVisible());
        form.showParameterReport();
        QCOMPARE(form.Memo1->toPlainText(), QStringLiteral("Serie1"));
        QVERIFY(form.isVisible());
        QVERIFY(!form.Memo1->isReadOnly());
    }

    void parametersOneCurveKeepsTheColourTwoCurvesEndBlack() {
        TForm2 form;
        QPalette palette = form.Memo1->palette();
        palette.setColor(QPalette::Text, Qt::green);
        form.Memo1->setPalette(palette);
        loadCurves(1);
        testing::setLaidOutComponents(3);
        workspace.ParameterVector[2] = 123.456789L;
        form.showParameterReport();
        QCOMPARE(
            form.Memo1->toPlainText(),
            QStringLiteral("Serie1\nY0   0.00000\nA1   123.45680\nA2   0.00000\nA3   0.00000"));
        QCOMPARE(memoColour(form), QColor(Qt::green));
        loadCurves(2);
        form.showParameterReport();
        QCOMPARE(form.Memo1->document()->blockCount(), 10);
        QCOMPARE(memoColour(form), QColor(Qt::black));
    }

    void parametersTwentyNineCurvesNineComponentsAndGivenTwice() {
        TForm2 form;
        loadCurves(29);
        testing::setLaidOutComponents(9);
        form.showParameterReport();
        QCOMPARE(form.Memo1->document()->blockCount(), 319);
        const QString first = form.Memo1->toPlainText();
        QVERIFY(first.contains(QStringLiteral("\nSerie29\n")));
        form.showParameterReport();
        QCOMPARE(form.Memo1->toPlainText(), first);
    }

    // Form3 ------------------------------------------------------------

    void covarianceWithoutCurvesWritesTheHeadersOnly() {
        TForm3 form;
        QCOMPARE(form.StringGrid1->columnCount() + 1, 10);
        QCOMPARE(form.StringGrid1->rowCount() + 1, 10);
        QCOMPARE(form.cellText(1, 0), QString());
        form.showCovariance();
        QVERIFY(form.isVisible());
        for (int k = 1; k <= 9; ++k) {
            QCOMPARE(form.cellText(k, 0), QStringLiteral("t%1").arg(k));
            QCOMPARE(form.cellText(0, k), QStringLiteral("t%1").arg(k));
        }
        QCOMPARE(form.cellText(0, 0), QString());
        QCOMPARE(form.cellText(1, 1), QString());
    }

    void covarianceBeforeTheFirstStartWritesTheHeadersOnly() {
        TForm3 form;
        loadCurves(2);
        form.showCovariance();
        QCOMPARE(form.cellText(9, 0), QStringLiteral("t9"));
        QCOMPARE(form.cellText(1, 1), QString());
    }

    void covarianceShowsTheLogRateBlockAndKeepsOlderCells() {
        TForm3 form;
        testing::loadTwoCurvesThreeComponents();
        form.showCovariance();
        for (int a = 1; a <= 3; ++a)
            for (int b = 1; b <= 3; ++b)
                QCOMPARE(
                    form.cellText(a, b),
                    QString::fromStdString(formatFixed6(workspace.covarianceMatrix[8 + a][8 + b])));
        QCOMPARE(form.cellText(4, 4), QString());
        const QString oldSecond = form.cellText(2, 2);

        // The same curves with one component: only cell (1, 1) is rewritten.
        testing::setLaidOutComponents(1);
        workspace.ParameterVector[1] = 0.001L;
        workspace.ParameterVector[2] = 0.05L;
        workspace.ParameterVector[3] = -0.002L;
        workspace.ParameterVector[4] = -0.04L;
        workspace.ParameterVector[5] = -logl(1e-5L);
        form.showCovariance();
        QCOMPARE(form.cellText(1, 1),
                 QString::fromStdString(formatFixed6(workspace.covarianceMatrix[5][5])));
        QCOMPARE(form.cellText(2, 2), oldSecond);
    }

    void covarianceCellsAreReadOnlyCopyableAndShowClippedTextOnHover() {
        TForm3 form;
        testing::loadTwoCurvesThreeComponents();
        // Variances in the thousands: too wide for the 75-pixel columns.
        form.showCovariance();
        const QString large = form.cellText(1, 1);
        QVERIFY2(large.size() >= 11, qPrintable(large));
        QCOMPARE(form.StringGrid1->item(0, 0)->toolTip(), large);
        QCOMPARE(form.StringGrid1->horizontalHeader()->sectionSize(0), 75);
        // Amplitudes a thousand times larger: variances a million times
        // smaller, the text fits and needs no tip.
        for (int m : {2, 3, 4, 6, 7, 8})
            workspace.ParameterVector[m] *= 1000;
        form.showCovariance();
        QVERIFY(form.StringGrid1->item(0, 0)->toolTip().isEmpty());
        for (int m : {2, 3, 4, 6, 7, 8})
            workspace.ParameterVector[m] /= 1000;
        form.showCovariance();

        QVERIFY(QTest::qWaitForWindowActive(&form));
        QWidget* cells = form.StringGrid1->viewport();
        const QPoint cell = form.StringGrid1->visualItemRect(form.StringGrid1->item(0, 0)).center();
        QTest::mouseDClick(cells, Qt::LeftButton, {}, cell);
        QTest::keyClicks(form.StringGrid1, QStringLiteral("42"));
        QTest::keyClick(form.StringGrid1, Qt::Key_Return);
        QCOMPARE(form.cellText(1, 1), large);

        form.StringGrid1->setFocus();
        form.StringGrid1->clearSelection();
        form.StringGrid1->setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, 1), true);
        QTest::keyClick(form.StringGrid1, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), large + '\t' + form.cellText(2, 1) + '\n' +
                                                           form.cellText(1, 2) + '\t' +
                                                           form.cellText(2, 2));
    }

    void covarianceFailureAfterClearWritesNothingAndDoesNotShow() {
        TForm3 form;
        testing::setLaidOutComponents(1);
        QCOMPARE(failureMessage([&] { form.showCovariance(); }),
                 QStringLiteral("Floating point division by zero"));
        testing::setLaidOutComponents(2);
        QCOMPARE(failureMessage([&] { form.showCovariance(); }),
                 QStringLiteral("Invalid floating point operation"));
        QCOMPARE(form.cellText(1, 0), QString());
        QVERIFY(!form.isVisible());
    }

    // Form4 ------------------------------------------------------------

    void residualsWithoutCurvesAddNoSeries() {
        TForm4 form;
        form.showResidualSurface();
        QVERIFY(form.isVisible());
        QCOMPARE(form.Chart1->seriesCount(), 0);
    }

    void residualsAddOneRedSeriesPerCurveAndASecondUseDoublesThem() {
        TForm4 form;
        loadCurves(2);
        workspace.curves[1].times[2] = 1e-4;
        workspace.curves[1].times[3] = 1e-5;
        workspace.curves[1].values[1] = 3.0;
        workspace.curves[1].values[2] = -0.3;
        workspace.pointCount[1] = 3;
        workspace.curves[2].values[1] = 3.5;
        workspace.componentCount = 1;
        workspace.layoutComponentCount = 1;
        workspace.ParameterVector[3] = 0.5L;  // offset of curve 2; no amplitudes
        form.showResidualSurface();
        QCOMPARE(form.Chart1->seriesCount(), 2);
        const auto& first = form.Chart1->series(0);
        QCOMPARE(first.colour(), QColor(255, 0, 0));
        QCOMPARE(first.pointCount(), 3);
        // Ascending time: 1e-6 (3.0), 1e-5 (0.0), 1e-4 (-0.3).
        QCOMPARE(first.points()[0].y, 0.1);
        QCOMPARE(first.points()[1].x, 1e-5);
        QCOMPARE(first.points()[1].y, 0.0);
        QCOMPARE(first.points()[2].y, -0.3 / 30);
        QCOMPARE(form.Chart1->series(1).points()[0].y, 0.1);
        form.showResidualSurface();
        QCOMPARE(form.Chart1->seriesCount(), 4);
        QCOMPARE(form.Chart1->series(3).pointCount(), 1);
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::ResultWindowsTest)
#include "result_windows_test.moc"
