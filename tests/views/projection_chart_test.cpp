#include "chart/perspective_bar_chart.h"

#include <QImage>
#include <QTest>
#include <cmath>

namespace quorvane {

class ProjectionChartTest : public QObject {
    Q_OBJECT

  private slots:
    void keepsTheDesignedView() {
        PerspectiveBarChart chart;
        QCOMPARE(chart.view().rotation, 333.0);
        QCOMPARE(chart.view().elevation, 320.0);
        QCOMPARE(chart.view().zoomPercent, 90.0);
        QCOMPARE(chart.view().horizontalOffset, -44.0);
        QCOMPARE(chart.view().verticalOffset, -16.0);
        QCOMPARE(chart.view().depthPercent, 75.0);
        QCOMPARE(chart.title(), QStringLiteral("TChart"));
    }

    void keepsPointsInAscendingXEqualOnesAfterEarlierOnes() {
        PerspectiveBarChart chart;
        const int s = chart.addBarSeries(Qt::red);
        chart.addBar(s, 1e-3, 1);
        chart.addBar(s, 1e-5, 2);
        chart.addBar(s, 1e-3, 3);
        chart.addBar(s, 1e-4, 4);
        const auto& points = chart.series(s).points();
        QCOMPARE(points.size(), std::size_t(4));
        QCOMPARE(points[0].y, 2.0);
        QCOMPARE(points[1].y, 4.0);
        QCOMPARE(points[2].y, 1.0);
        QCOMPARE(points[3].y, 3.0);
    }

    void leftAxisCoversEveryBarAndZero() {
        PerspectiveBarChart chart;
        chart.resize(870, 640);
        const int a = chart.addBarSeries(Qt::red);
        chart.addBar(a, 1e-5, 0.3);
        chart.addBar(a, 1e-4, 0.1);
        QCOMPARE(chart.leftAxisMinimum(), 0.0);
        QVERIFY(chart.leftAxisMaximum() >= 0.3);
        const int b = chart.addBarSeries(Qt::red);
        chart.addBar(b, 1e-2, -0.25);
        QVERIFY(chart.leftAxisMinimum() <= -0.25);
        QVERIFY(chart.leftAxisMaximum() < 0.6);
    }

    void barsOutsideTheLogRangeAreNotDrawn() {
        PerspectiveBarChart chart;
        chart.resize(870, 640);
        const int s = chart.addBarSeries(Qt::red);
        for (double x : {0.0, -1e-5, 1e-7, 2.0})
            chart.addBar(s, x, 0.5);
        QCOMPARE(chart.drawnBarCount(), 0);
        chart.addBar(s, 1e-3, 0.5);
        QCOMPARE(chart.drawnBarCount(), 1);
    }

    void wideBarsStandSideBySide() {
        PerspectiveBarChart chart;
        chart.resize(870, 640);
        for (int s = 0; s < 3; ++s) {
            chart.addBarSeries(Qt::red);
            for (double x : {1e-6, 1e-4, 1e-2})
                chart.addBar(s, x, 0.1 * (s + 1));
        }
        QCOMPARE(chart.drawnBarCount(), 9);
    }

    // 40 series of 20000 bars merge into at most one box per pixel column.
    void denseBarsMergePerPixelColumn() {
        PerspectiveBarChart chart;
        chart.resize(870, 640);
        for (int s = 0; s < 40; ++s) {
            chart.addBarSeries(Qt::red);
            for (int j = 0; j < 20000; ++j)
                chart.addBar(s, 3e-7 * std::pow(1.0 / 3e-7, j / 19999.0), std::sin(0.001 * j + s));
        }
        QVERIFY(chart.drawnBarCount() > 100);
        QVERIFY(chart.drawnBarCount() <= chart.width());
        QImage image(chart.size(), QImage::Format_ARGB32);
        chart.render(&image);
        // Red faces are drawn.
        int red = 0;
        for (int y = 0; y < image.height(); y += 4)
            for (int x = 0; x < image.width(); x += 4) {
                const QColor c = image.pixelColor(x, y);
                red += c.red() > 150 && c.green() < 80 && c.blue() < 80;
            }
        QVERIFY(red > 500);
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::ProjectionChartTest)
#include "projection_chart_test.moc"
