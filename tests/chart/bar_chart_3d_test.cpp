#include "chart/bar_chart_3d.h"

#include <QImage>
#include <QTest>
#include <cmath>
#include <vector>

namespace quorvane {

class BarChart3dTest : public QObject {
    Q_OBJECT

  private slots:
    void leftAxisCoversEveryBarAndZero() {
        BarChart3d chart;
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

    // Bars outside the bottom range 3e-7..1 (x <= 0 included) are not drawn;
    // wide bars of several series stand side by side, one box each. A bar
    // added after a drawing is drawn too.
    void drawnBarsInsideTheRangeOneBoxEach() {
        struct Case {
            int series;
            std::vector<double> xs;
            int drawn;
        };
        for (const Case& c :
             {Case{1, {0.0, -1e-5, 1e-7, 2.0}, 0}, Case{3, {1e-6, 1e-4, 1e-2}, 9}}) {
            BarChart3d chart;
            chart.resize(870, 640);
            for (int s = 0; s < c.series; ++s) {
                chart.addBarSeries(Qt::red);
                for (double x : c.xs)
                    chart.addBar(s, x, 0.1 * (s + 1));
            }
            QCOMPARE(chart.drawnBarCount(), c.drawn);
            chart.addBar(0, 1e-3, 0.5);
            QCOMPARE(chart.drawnBarCount(), c.drawn + 1);
        }
    }

    // 40 series of 20000 bars merge into at most one box per pixel column.
    void denseBarsMergePerPixelColumn() {
        BarChart3d chart;
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

QTEST_MAIN(quorvane::BarChart3dTest)
#include "bar_chart_3d_test.moc"
