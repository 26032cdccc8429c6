// Form5: the nine spectrum charts and what the command adds to them.
#include <QTest>
#include <cstring>
#include <string>
#include <vector>

#include "data/error.h"
#include "data/floating_point.h"
#include "data/number_text.h"
#include "chart/chart.h"
#include "views/fitted_workspace.h"
#include "views/unit5.h"

namespace quorvane {

namespace {

// Stands in for the main window: the data series titles in curve order.
class FakeMainWindow : public MainWindowLink {
  public:
    std::vector<std::string> titles;
    std::string dataSeriesTitle(int curve) const override { return titles.at(curve - 1); }
};

// Curves titled as given, laid out for K components; amplitude k of curve c
// is 10c + k.
void loadCurves(FakeMainWindow& window, const std::vector<std::string>& titles, int K) {
    std::memset(static_cast<void*>(&workspace), 0, sizeof workspace);
    setDecimalSeparator('.');
    clearFloatingPointFaults();
    window.titles = titles;
    workspace.curveCount = static_cast<int>(titles.size());
    testing::setLaidOutComponents(K);
    for (int c = 1; c <= workspace.curveCount && K > 0; ++c)
        for (int k = 1; k <= K; ++k)
            workspace.ParameterVector[amplitudeIndex(c, k)] = 10 * c + k;
}

QString failureMessage(const std::function<void()>& command) {
    try {
        command();
    } catch (const QuorvaneError& error) {
        return QString::fromStdString(error.message());
    }
    return QStringLiteral("no error");
}

}  // namespace

class SpectraWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void nineChartsAsDesigned() {
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
            QVERIFY(!bottom.automatic);
            QCOMPARE(bottom.minimum, 380.0);
            QCOMPARE(bottom.maximum, 700.0);
            const AxisDesign& top = chart->axisDesign(AxisPosition::Top);
            QVERIFY(top.visible && !top.automatic);
            QCOMPARE(top.minimum, 380.0);
            QCOMPARE(top.maximum, 700.0);
            QVERIFY(chart->axisDesign(AxisPosition::Left).automatic);
            QCOMPARE(chart->seriesCount(), 0);
        }
    }

    void loadOrderIsPlottedInAscendingWavelength() {
        TForm5 form;
        FakeMainWindow window;
        form.setMainWindow(&window);
        loadCurves(window, {"600.txt", "400.txt", "500.txt"}, 3);
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
            QCOMPARE(series->point(0).x, 400.0);
            QCOMPARE(series->point(0).y, 20.0 + k);
            QCOMPARE(series->point(1).x, 500.0);
            QCOMPARE(series->point(1).y, 30.0 + k);
            QCOMPARE(series->point(2).x, 600.0);
            QCOMPARE(series->point(2).y, 10.0 + k);
        }
        for (int k = 4; k <= 9; ++k) {
            QCOMPARE(form.chart(k)->seriesCount(), 0);
            QVERIFY(form.chart(k)->legendVisible());
        }
        form.showDifferentialSpectra();
        QCOMPARE(form.chart(1)->seriesCount(), 2);
        QCOMPARE(form.chart(4)->seriesCount(), 0);
    }

    void wavelengthsComeFromTheFirstThreeCharacters() {
        TForm5 form;
        FakeMainWindow window;
        form.setMainWindow(&window);
        loadCurves(window, {"450.txt", "1064.txt", "45 nm.txt"}, 1);
        form.showDifferentialSpectra();
        const ChartSeries* series = form.chart(1)->series(0);
        QCOMPARE(series->point(0).x, 45.0);
        QCOMPARE(series->point(1).x, 106.0);
        QCOMPARE(series->point(2).x, 450.0);
    }

    void withoutCurvesChartOneGetsAnEmptySeries() {
        TForm5 form;
        FakeMainWindow window;
        form.setMainWindow(&window);
        loadCurves(window, {}, 0);
        form.showDifferentialSpectra();
        QCOMPARE(form.chart(1)->seriesCount(), 1);
        QCOMPARE(form.chart(1)->series(0)->pointCount(), 0);
        QCOMPARE(form.chart(2)->seriesCount(), 0);
    }

    void aNonNumericNameFailsAndLeavesWhatWasAdded() {
        TForm5 form;
        FakeMainWindow window;
        form.setMainWindow(&window);
        loadCurves(window, {"400.txt", "abc.txt"}, 2);
        QCOMPARE(failureMessage([&] { form.showDifferentialSpectra(); }),
                 QStringLiteral("'abc' is not a valid floating point value"));
        QVERIFY(!form.isVisible());
        QCOMPARE(form.chart(1)->seriesCount(), 1);
        QCOMPARE(form.chart(1)->series(0)->pointCount(), 1);
        QCOMPARE(form.chart(1)->series(0)->point(0).x, 400.0);
        QCOMPARE(form.chart(2)->seriesCount(), 0);
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::SpectraWindowTest)
#include "form5_window_test.moc"
