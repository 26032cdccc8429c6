// The result windows Form2 to Form5: their designs, and what their commands
// put into them beyond the contents that the report builders' tests check.
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "chart/chart.h"
#include "data/number_format.h"
#include "support/expect_error.h"
#include "fit/response_model.h"
#include "views/fitted_workspace.h"
#include "views/response_report.h"
#include "views/unit2.h"
#include "views/unit3.h"
#include "views/unit4.h"
#include "views/unit5.h"

namespace quorvane {

namespace {

using testing::errorOf;

// Stands in for the main window: the data series titles in curve order.
class FakeMainWindow : public MainWindowLink {
  public:
    std::vector<std::string> titles;
    std::string dataSeriesTitle(int curve) const override { return titles.at(curve - 1); }
};

QColor memoColour(const TForm2& form) {
    return form.Memo1->palette().color(QPalette::Text);
}

}  // namespace

class ResultWindowsTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { testing::resetWholeWorkspace(); }

    void parametersReplaceMemo1AndFollowTheReportsColours() {
        TForm2 form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Parametrs"));
        QCOMPARE(form.Memo1->toPlainText(), QStringLiteral("Memo1"));
        QVERIFY(!form.isVisible());
        form.showParameterReport();
        QCOMPARE(form.Memo1->toPlainText(), QStringLiteral("Serie1"));
        QVERIFY(form.isVisible());
        QVERIFY(!form.Memo1->isReadOnly());

        // One curve: no colour event, the text keeps the box's colour.
        QPalette palette = form.Memo1->palette();
        palette.setColor(QPalette::Text, Qt::green);
        form.Memo1->setPalette(palette);
        testing::loadOnePointCurves(1, 3);
        workspace.ParameterVector[2] = 123.456789L;
        form.showParameterReport();
        QCOMPARE(
            form.Memo1->toPlainText(),
            QStringLiteral("Serie1\nY0   0.00000\nA1   123.45680\nA2   0.00000\nA3   0.00000"));
        QCOMPARE(memoColour(form), QColor(Qt::green));
        // Two curves end black; given again, the report replaces the text.
        testing::loadOnePointCurves(1, 3);
        form.showParameterReport();
        const QString twoCurves = form.Memo1->toPlainText();
        QCOMPARE(form.Memo1->document()->blockCount(), 10);
        QCOMPARE(memoColour(form), QColor(Qt::black));
        form.showParameterReport();
        QCOMPARE(form.Memo1->toPlainText(), twoCurves);

        // A fit with the instrument response adds its section after the amplitudes.
        responseModel.active = true;
        responseModel.curveGeneration = curveDataGeneration();
        responseModel.fwhm = 0.25L;
        form.showParameterReport();
        const QString response = QString::fromStdString(responseSection()).chopped(1);
        QVERIFY(response.startsWith(QStringLiteral("Response\nmu0 = ")));
        QCOMPARE(form.Memo1->toPlainText(), twoCurves + QLatin1Char('\n') + response);
        responseModel = ResponseModel{};
    }

    void covarianceWritesTheHeadersAndTheBlockAndKeepsOlderCells() {
        TForm3 form;
        QCOMPARE(form.StringGrid1->columnCount() + 1, 10);
        QCOMPARE(form.StringGrid1->rowCount() + 1, 10);
        QCOMPARE(form.cellText(1, 0), QString());
        // No curves, no fit: the headers only.
        form.showCovariance();
        QVERIFY(form.isVisible());
        for (int k = 1; k <= 9; ++k) {
            QCOMPARE(form.cellText(k, 0), QStringLiteral("t%1").arg(k));
            QCOMPARE(form.cellText(0, k), QStringLiteral("t%1").arg(k));
        }
        QCOMPARE(form.cellText(0, 0), QString());
        QCOMPARE(form.cellText(1, 1), QString());

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
        const long double oneComponent[] = {0.001L, 0.05L, -0.002L, -0.04L, -logl(1e-5L)};
        std::copy(std::begin(oneComponent), std::end(oneComponent), workspace.ParameterVector + 1);
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
        for (const bool larger : {true, false}) {
            for (int m : {2, 3, 4, 6, 7, 8})
                workspace.ParameterVector[m] = larger ? workspace.ParameterVector[m] * 1000
                                                      : workspace.ParameterVector[m] / 1000;
            form.showCovariance();
            QCOMPARE(form.StringGrid1->item(0, 0)->toolTip().isEmpty(), larger);
        }

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

    void covarianceFailureWritesNothingAndDoesNotShow() {
        TForm3 form;
        testing::setLaidOutComponents(1);
        QCOMPARE(errorOf([&] { form.showCovariance(); }),
                 std::string("Floating point division by zero"));
        QCOMPARE(form.cellText(1, 0), QString());
        QVERIFY(!form.isVisible());
    }

    void residualSurfaceAddsOneRedSeriesPerCurveAtEveryUse() {
        TForm4 form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Residual's surface"));
        const BarChart3d& chart = *form.Chart1;
        QCOMPARE(chart.title(), QStringLiteral("TChart"));
        const ViewSettings3d& view = chart.view();
        QCOMPARE((QVector<double>{view.rotation, view.elevation, view.zoomPercent,
                                  view.horizontalOffset, view.verticalOffset, view.depthPercent}),
                 (QVector<double>{333, 320, 90, -44, -16, 75}));
        QCOMPARE(chart.bottomAxisMinimum(), 3e-7);
        QCOMPARE(chart.bottomAxisMaximum(), 1.0);
        form.showResidualSurface();
        QVERIFY(form.isVisible());
        QCOMPARE(chart.seriesCount(), 0);

        testing::addCurve({1e-6, 1e-4, 1e-5}, {3.0, -0.3, 0.0});
        testing::addCurve({1e-6}, {3.5});
        testing::setLaidOutComponents(1);
        form.showResidualSurface();
        QCOMPARE(chart.seriesCount(), 2);
        const BarSeries3d& first = chart.series(0);
        QCOMPARE(first.colour(), QColor(255, 0, 0));
        QCOMPARE(first.pointCount(), 3);
        // In ascending time; the values are the builder's (its own test).
        QCOMPARE(first.points()[1].x, 1e-5);
        QCOMPARE(first.points()[2].y, -0.3 / 30);
        form.showResidualSurface();
        QCOMPARE(chart.seriesCount(), 4);
        QCOMPARE(chart.series(3).pointCount(), 1);
    }

    void nineSpectrumChartsAsDesigned() {
        TForm5 form;
        QCOMPARE(form.windowTitle(), QStringLiteral("Differential spectra"));
        const char* const bottomTitles[9] = {"Wavelength, nm",  "Wavelengt,nm",   "Wavelengt,nm",
                                             "Wavelengt, nm",   "Wavelength, nm", "Wavelength, nm",
                                             "Wavelength, nm ", "Wavelength, nm", "Wavelength, nm"};
        for (int k = 1; k <= 9; ++k) {
            Chart* chart = form.chart(k);
            QCOMPARE(chart->geometry(),
                     QRect(8 + 320 * ((k - 1) % 3), 16 + 240 * ((k - 1) / 3), 300, 220));
            QCOMPARE(chart->title(), QStringLiteral("t%1").arg(k));
            const AxisDesign& bottom = chart->axisDesign(AxisPosition::Bottom);
            QCOMPARE(bottom.title, QString::fromLatin1(bottomTitles[k - 1]));
            const AxisDesign& top = chart->axisDesign(AxisPosition::Top);
            QVERIFY(top.visible);
            for (const AxisDesign* fixed : {&bottom, &top}) {
                QVERIFY(!fixed->automatic);
                QCOMPARE(fixed->minimum, 380.0);
                QCOMPARE(fixed->maximum, 700.0);
            }
            QVERIFY(chart->axisDesign(AxisPosition::Left).automatic);
            QCOMPARE(chart->seriesCount(), 0);
        }
    }

    void spectraStandInAscendingWavelengthOneRedLinePerFilledChart() {
        TForm5 form;
        FakeMainWindow window;
        form.setMainWindow(&window);
        window.titles = {"600.txt", "400.txt", "500.txt"};
        testing::loadOnePointCurves(3, 3, true);
        testing::storeTitleWavelengths(window.titles);
        form.showDifferentialSpectra();
        QVERIFY(form.isVisible());
        for (int k = 1; k <= 3; ++k) {
            Chart* chart = form.chart(k);
            QVERIFY(!chart->legendVisible());
            QCOMPARE(chart->seriesCount(), 1);
            const ChartSeries* series = chart->series(0);
            QCOMPARE(series->kind(), SeriesKind::Line);
            QCOMPARE(series->colour(), QColor(255, 0, 0));
            QCOMPARE(series->pointCount(), 3);
            // 400 is curve 2, 500 curve 3, 600 curve 1.
            const int curveAt[3] = {2, 3, 1};
            for (int i = 0; i < 3; ++i) {
                QCOMPARE(series->point(i).x, 400.0 + 100 * i);
                QCOMPARE(series->point(i).y, 10.0 * curveAt[i] + k);
            }
        }
        for (int k = 4; k <= 9; ++k) {
            QCOMPARE(form.chart(k)->seriesCount(), 0);
            QVERIFY(form.chart(k)->legendVisible());
        }
        form.showDifferentialSpectra();
        QCOMPARE(form.chart(1)->seriesCount(), 2);
        QCOMPARE(form.chart(4)->seriesCount(), 0);
    }

    // What the builder adds before a bad title stays (its own test); the
    // window stays hidden.
    void spectraAfterANonNumericTitleStayHidden() {
        FakeMainWindow window;
        TForm5 form;
        form.setMainWindow(&window);
        window.titles = {"400.txt", "abc.txt"};
        testing::loadOnePointCurves(2, 2, true);
        testing::storeTitleWavelengths(window.titles);
        QCOMPARE(errorOf([&] { form.showDifferentialSpectra(); }),
                 std::string("'abc' is not a valid floating point value"));
        QVERIFY(!form.isVisible());
        QCOMPARE(form.chart(1)->series(0)->pointCount(), 1);
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::ResultWindowsTest)
#include "result_windows_test.moc"
