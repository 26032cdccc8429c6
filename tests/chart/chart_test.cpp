// The chart layer's contract: series order, stable point order, legend,
// axes under zoom and pan, bitmap export and printing.
#include <qcustomplot.h>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>

#include "chart/axis_label_format.h"
#include "chart/chart.h"
#include "support/expect_error.h"

namespace quorvane {

namespace {

// Pixels that are clearly red (antialiasing blends a line's edges).
int countRedPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            count += pixel.red() > 200 && pixel.green() < 80 && pixel.blue() < 80;
        }
    }
    return count;
}

// A fixed range; fixedAxis(1e-6, 10, true) is the main chart's time axis.
AxisDesign fixedAxis(double minimum, double maximum, bool logarithmic = false) {
    AxisDesign axis;
    axis.logarithmic = logarithmic;
    axis.automatic = false;
    axis.minimum = minimum;
    axis.maximum = maximum;
    return axis;
}

// A mouse drag with `button` held, in four moves, as a hand gives it.
void drag(QWidget* widget, Qt::MouseButton button, QPoint from, QPoint to) {
    QTest::mousePress(widget, button, {}, from);
    for (int step = 1; step <= 4; ++step) {
        const QPointF at = from + (to - from) * step / 4.0;
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, button,
                         Qt::NoModifier);
        QApplication::sendEvent(widget, &move);
    }
    QTest::mouseRelease(widget, button, {}, to);
}

}  // namespace

class ChartTest : public QObject {
    Q_OBJECT

  private slots:
    void seriesListAndTheOrderOfTheirPoints() {
        Chart chart;
        ChartSeries* first = chart.addLineSeries();
        ChartSeries* second = chart.addBarSeries();
        ChartSeries* third = chart.addLineSeries();
        for (ChartSeries* series : {first, second}) {
            for (const auto& [x, y] : {std::pair{2, 10}, {1, 20}, {2, 30}, {1, 40}, {3, 50}})
                series->addPoint(x, y, Qt::red);
            QVector<QPointF> points;
            for (int i = 0; i < series->pointCount(); ++i)
                points << QPointF(series->point(i).x, series->point(i).y);
            QCOMPARE(points, (QVector<QPointF>{{1, 20}, {1, 40}, {2, 10}, {2, 30}, {3, 50}}));
            QCOMPARE(series->colour(), QColor(Qt::red));
        }
        QCOMPARE(second->kind(), SeriesKind::Bar);
        QVERIFY(second->marksVisible());
        second->setMarksVisible(false);
        QVERIFY(!second->marksVisible());

        first->setTitle(QStringLiteral("400.txt"));
        QCOMPARE(chart.seriesCount(), 3);
        QCOMPARE(chart.series(1), second);
        QCOMPARE(chart.legendText(0), QStringLiteral("400.txt"));
        QCOMPARE(chart.legendText(2), QStringLiteral("Series 2"));
        // Freeing moves the later series down; an untitled one is named by
        // its new position.
        chart.freeSeries(second);
        QCOMPARE(chart.seriesCount(), 2);
        QCOMPARE(chart.series(1), third);
        QCOMPARE(chart.positionOf(third), 1);
        QCOMPARE(chart.positionOf(second), -1);
        QCOMPARE(chart.legendText(1), QStringLiteral("Series 1"));
        QCOMPARE(chart.series(2), nullptr);
        chart.redraw();
    }

    void everySeriesKeepsALegendEntryInsideTheChartUnlessItIsHidden() {
        // The main chart at capacity: 40 traces and their 40 fits.
        Chart chart;
        chart.resize(857, 633);
        for (int i = 0; i < 80; ++i) {
            ChartSeries* series = chart.addLineSeries();
            if (i < 40)
                series->setTitle(QStringLiteral("%1.txt").arg(400 + 5 * i));
            series->addPoint(1, i, Qt::black);
            series->addPoint(2, i, Qt::black);
        }
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.redraw();
        auto* plot = chart.findChild<QCustomPlot*>();
        QCPLegend* legend = plot->legend;
        QCOMPARE(legend->itemCount(), 80);
        QVector<QRect> entries;
        for (int i = 0; i < 80; ++i) {
            auto* entry = static_cast<QCPPlottableLegendItem*>(legend->item(i));
            QCOMPARE(entry->plottable()->name(), chart.legendText(i));
            const QRect place = entry->outerRect();
            QVERIFY2(plot->rect().contains(place), qPrintable(chart.legendText(i)));
            QVERIFY(!place.intersects(plot->axisRect()->rect()));
            for (const QRect& earlier : entries)
                QVERIFY(!place.intersects(earlier));
            entries << place;
        }
        const int plotWidth = plot->axisRect()->width();
        QVERIFY(plotWidth > 500);

        // A hidden legend gives its column back: no empty strip is left at
        // the right.
        chart.setLegendVisible(false);
        chart.redraw();
        QVERIFY2(plot->axisRect()->right() > 857 - 30, "an empty strip is left at the right");
        chart.setLegendVisible(true);
        chart.redraw();
        QCOMPARE(plot->axisRect()->width(), plotWidth);
    }

    void axesFixedAutomaticZoomedAndPannedByTheMouse() {
        Chart chart;
        chart.resize(857, 633);
        AxisDesign time = fixedAxis(1e-6, 10, true);
        time.labelText = [](double value, double resolution) {
            return QString::fromStdString(formatPowerOfTenLabel(value, resolution));
        };
        time.minorTickCount = 8;
        chart.setAxisDesign(AxisPosition::Bottom, time);
        chart.setLegendVisible(false);
        ChartSeries* series = chart.addLineSeries();
        series->addPoint(1e-3, -5, Qt::black);
        series->addPoint(1e-2, 7, Qt::black);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.redraw();
        // The fixed axis ignores the data; the automatic one spans -5..7 and
        // keeps the extremes a margin from the frame.
        QCOMPARE(chart.axisMinimum(AxisPosition::Bottom), 1e-6);
        QCOMPARE(chart.axisMaximum(AxisPosition::Bottom), 10.0);
        const double lowest = chart.axisMinimum(AxisPosition::Left);
        const double highest = chart.axisMaximum(AxisPosition::Left);
        QVERIFY(lowest < -5 - 0.02 * 12 && lowest > -5 - 0.2 * 12);
        QVERIFY(highest > 7 + 0.02 * 12 && highest < 7 + 0.2 * 12);
        // The designed view: powers of ten, 8 minor ticks between them.
        QCPAxis* axis = chart.findChild<QCustomPlot*>()->xAxis;
        QCOMPARE(axis->tickVectorLabels(),
                 (QVector<QString>{"1e-6", "1e-5", "1e-4", "1e-3", "1e-2", "1e-1", "1e0", "1e1"}));

        // Zooms inside one decade and across one: distinct labels with the
        // digits the spacing needs, and a grid of at most ~5 lines per label.
        for (const auto& [lower, upper] :
             {std::pair{2.9e-5, 4.6e-5}, std::pair{3.1e-5, 3.3e-5}, std::pair{6e-6, 2.5e-5},
              std::pair{1.2e-5, 3.9e-4}, std::pair{1.1e-5, 9e-3}}) {
            chart.zoomTo(lower, upper, -0.12, 0.1);
            chart.redraw();
            QCOMPARE(chart.axisMinimum(AxisPosition::Bottom), lower);
            const QVector<QString> labels = axis->tickVectorLabels();
            const QString seen = QStringList(labels.begin(), labels.end()).join(' ');
            QVERIFY2(labels.size() >= 4, qPrintable(seen));
            QCOMPARE(QSet<QString>(labels.begin(), labels.end()).size(), labels.size());
            QVector<double> ticks;
            QVector<double> minorTicks;
            axis->ticker()->generate(axis->range(), QLocale::c(), 'g', 6, ticks, &minorTicks,
                                     nullptr);
            QVERIFY2(minorTicks.size() <= 5 * labels.size(), qPrintable(seen));
            if (lower == 2.9e-5)
                QVERIFY2(labels.contains(QStringLiteral("3.2e-5")), qPrintable(seen));
        }
        // Restoring puts the design back, the automatic axis fitted anew.
        chart.restoreRanges();
        chart.redraw();
        QCOMPARE(chart.axisMinimum(AxisPosition::Bottom), 1e-6);
        QCOMPARE(chart.axisMaximum(AxisPosition::Left), highest);

        // The mouse, on the main chart's fixed ranges: a left drag to the
        // right and down zooms into its rectangle, a right drag only pans, a
        // double click restores.
        chart.setAxisDesign(AxisPosition::Left, fixedAxis(-0.12, 0.1));
        chart.setZoomAnimationSteps(2);
        chart.redraw();
        QWidget* plot = chart.findChild<QWidget*>();
        const QVector<double> design{1e-6, 10, -0.12, 0.1};
        const auto view = [&chart] {
            return QVector<double>{
                chart.axisMinimum(AxisPosition::Bottom), chart.axisMaximum(AxisPosition::Bottom),
                chart.axisMinimum(AxisPosition::Left), chart.axisMaximum(AxisPosition::Left)};
        };
        const auto dragAndSettle = [&](Qt::MouseButton button, QPoint from, QPoint to) {
            drag(plot, button, from, to);
            QTest::qWait(50);
            return view();
        };

        drag(plot, Qt::LeftButton, QPoint(200, 250), QPoint(450, 500));
        QTRY_VERIFY(chart.axisMinimum(AxisPosition::Bottom) > 1e-5);
        QTRY_VERIFY(chart.axisMaximum(AxisPosition::Left) < 0.05);
        QTest::qWait(50);
        const QVector<double> zoomed = view();

        // A right drag moves the view by the pointer's movement, keeping its
        // span; the same drag back returns to the zoomed view.
        const QVector<double> panned = dragAndSettle(Qt::RightButton, {400, 400}, {480, 440});
        QVERIFY(panned[0] < zoomed[0]);
        QVERIFY(panned[2] > zoomed[2]);
        QVERIFY(std::fabs(panned[1] / panned[0] - zoomed[1] / zoomed[0]) <
                1e-9 * (zoomed[1] / zoomed[0]));
        QVERIFY(std::fabs((panned[3] - panned[2]) - (zoomed[3] - zoomed[2])) < 1e-12);
        const QVector<double> back = dragAndSettle(Qt::RightButton, {480, 440}, {400, 400});
        for (int i = 0; i < 4; ++i)
            QVERIFY2(std::fabs(back[i] - zoomed[i]) <= 1e-9 * std::fabs(zoomed[i]),
                     qPrintable(QStringLiteral("range end %1 moved").arg(i)));

        QTest::mouseDClick(plot, Qt::LeftButton, {}, QPoint(250, 150));
        QTRY_COMPARE(view(), design);
        // A left drag up and to the left restores too.
        chart.zoomTo(1e-4, 1e-2, 0, 0.05);
        drag(plot, Qt::LeftButton, QPoint(300, 200), QPoint(200, 100));
        QTRY_COMPARE(view(), design);
    }

    void exportsItsOnScreenPictureAndPrintsAsVectorDrawing() {
        QTemporaryDir folder;
        Chart chart;
        chart.resize(420, 310);
        chart.setTitle(QStringLiteral("TChart"));
        chart.setAxisDesign(AxisPosition::Bottom, fixedAxis(0, 10));
        chart.setAxisDesign(AxisPosition::Left, fixedAxis(0, 10));
        chart.setLegendVisible(false);
        ChartSeries* series = chart.addLineSeries();
        series->setLineWidth(3);
        for (int i = 0; i < 500; ++i)
            series->addPoint(1 + 8 * i / 499.0, 5 + std::sin(i / 20.0), QColor(255, 0, 0));

        const QString bitmap = folder.filePath(QStringLiteral("chart.bmp"));
        chart.saveBitmap(bitmap);
        const QImage image(bitmap, "BMP");
        QCOMPARE(image.size(), QSize(420, 310));
        QVERIFY(countRedPixels(image) > 300);
        QCOMPARE(image.pixelColor(2, 2), QColor(Qt::white));
        const QString unwritable = QStringLiteral("/nonexistent-folder-of-quorvane/chart.bmp");
        QCOMPARE(testing::errorOf([&] { chart.saveBitmap(unwritable); }),
                 "Cannot create file " + unwritable.toStdString());

        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(folder.filePath(QStringLiteral("chart.pdf")));
        chart.print(printer);
        QFile printed(printer.outputFileName());
        QVERIFY(printed.open(QIODevice::ReadOnly));
        const QByteArray pdf = printed.readAll();
        QVERIFY(pdf.startsWith("%PDF"));
        QVERIFY2(!pdf.contains("/Subtype /Image"), "the chart was printed as a picture");
        QVERIFY2(pdf.contains("/FontFile"), "no text was printed");
        QVERIFY2(pdf.size() < 200 * 1024, qPrintable(QString::number(pdf.size())));

        QString caption;
        QTimer::singleShot(0, [&caption] {
            if (QWidget* preview = QApplication::activeModalWidget()) {
                caption = preview->windowTitle();
                preview->close();
            }
        });
        chart.printPreview(nullptr);
        QCOMPARE(caption, QStringLiteral("Print Preview"));
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::ChartTest)
#include "chart_test.moc"
