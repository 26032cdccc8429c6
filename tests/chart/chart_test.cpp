// The chart layer's contract: series order, stable point order, legend
// names, bitmap export and printing.
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
#include "data/error.h"

namespace quorvane {

namespace {

QVector<double> yValues(const ChartSeries& series) {
    QVector<double> values;
    for (int i = 0; i < series.pointCount(); ++i)
        values << series.point(i).y;
    return values;
}

// Pixels that are clearly red (antialiasing blends the line's edges).
int countRedPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.red() > 200 && pixel.green() < 80 && pixel.blue() < 80)
                ++count;
        }
    }
    return count;
}

// The rightmost column holding a clearly red pixel, or -1.
int rightmostRedColumn(const QImage& image) {
    for (int x = image.width() - 1; x >= 0; --x) {
        for (int y = 0; y < image.height(); ++y) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.red() > 200 && pixel.green() < 80 && pixel.blue() < 80)
                return x;
        }
    }
    return -1;
}

// The main chart's time axis: logarithmic, fixed at 1e-6..10.
AxisDesign timeAxis() {
    AxisDesign time;
    time.logarithmic = true;
    time.automatic = false;
    time.minimum = 1e-6;
    time.maximum = 10;
    return time;
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
    void pointsAscendInXAndEqualXKeepsInsertionOrder() {
        Chart chart;
        ChartSeries* series = chart.addLineSeries();
        series->addPoint(2, 10, Qt::black);
        series->addPoint(1, 20, Qt::black);
        series->addPoint(2, 30, Qt::black);
        series->addPoint(1, 40, Qt::black);
        series->addPoint(3, 50, Qt::black);
        series->addPoint(1, 60, Qt::black);
        QCOMPARE(yValues(*series), (QVector<double>{20, 40, 60, 10, 30, 50}));
        QCOMPARE(series->point(0).x, 1.0);
        QCOMPARE(series->point(5).x, 3.0);
    }

    void barSeriesKeepTheSameOrder() {
        Chart chart;
        ChartSeries* bars = chart.addBarSeries();
        QCOMPARE(bars->kind(), SeriesKind::Bar);
        QVERIFY(bars->marksVisible());
        bars->setMarksVisible(false);
        QVERIFY(!bars->marksVisible());
        bars->addPoint(5, 1, Qt::red);
        bars->addPoint(5, 2, Qt::red);
        bars->addPoint(4, 3, Qt::red);
        QCOMPARE(yValues(*bars), (QVector<double>{3, 1, 2}));
        QCOMPARE(bars->colour(), QColor(Qt::red));
    }

    void seriesAreAttachedInOrderAndFreeingMovesLaterOnesDown() {
        Chart chart;
        ChartSeries* first = chart.addLineSeries();
        ChartSeries* second = chart.addLineSeries();
        ChartSeries* third = chart.addLineSeries();
        first->setTitle(QStringLiteral("400.txt"));
        QCOMPARE(chart.seriesCount(), 3);
        QCOMPARE(chart.series(1), second);
        QCOMPARE(chart.legendText(0), QStringLiteral("400.txt"));
        QCOMPARE(chart.legendText(2), QStringLiteral("Series 2"));

        chart.freeSeries(second);
        QCOMPARE(chart.seriesCount(), 2);
        QCOMPARE(chart.series(1), third);
        QCOMPARE(chart.positionOf(third), 1);
        QCOMPARE(chart.positionOf(second), -1);
        // An untitled series is named by its position now.
        QCOMPARE(chart.legendText(1), QStringLiteral("Series 1"));
        QCOMPARE(chart.series(2), nullptr);

        chart.redraw();
    }

    void everySeriesKeepsALegendEntryInsideTheChart() {
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
        QCOMPARE(chart.legendText(79), QStringLiteral("Series 79"));
        QVERIFY(plot->axisRect()->width() > 500);
    }

    void hiddenLegendLeavesNoEmptyStripAtTheRight() {
        // A red line across the whole fixed range ends at the plot's right
        // edge: with the legend drawn that edge stands left of the legend,
        // with the legend hidden it is near the chart's own right border.
        Chart chart;
        chart.resize(300, 220);
        AxisDesign fixed;
        fixed.automatic = false;
        fixed.minimum = 380;
        fixed.maximum = 700;
        chart.setAxisDesign(AxisPosition::Bottom, fixed);
        ChartSeries* series = chart.addLineSeries();
        series->setTitle(QStringLiteral("a rather long legend entry"));
        series->addPoint(380, 0, Qt::red);
        series->addPoint(700, 1, Qt::red);
        chart.redraw();
        const int withLegend = rightmostRedColumn(chart.toImage());
        chart.setLegendVisible(false);
        chart.redraw();
        const int withoutLegend = rightmostRedColumn(chart.toImage());
        QVERIFY(withLegend > 0);
        QVERIFY2(withoutLegend > withLegend + 40, "the legend's column was kept");
        QVERIFY2(withoutLegend > 300 - 30, "an empty strip is left at the right");
        chart.setLegendVisible(true);
        chart.redraw();
        QCOMPARE(rightmostRedColumn(chart.toImage()), withLegend);
    }

    void fixedAxesIgnoreTheDataAndAutomaticOnesFollowItWithAMargin() {
        Chart chart;
        chart.resize(400, 300);
        chart.setAxisDesign(AxisPosition::Bottom, timeAxis());
        ChartSeries* series = chart.addLineSeries();
        series->addPoint(1e-3, -5, Qt::black);
        series->addPoint(1e-2, 7, Qt::black);
        chart.redraw();
        QCOMPARE(chart.axisMinimum(AxisPosition::Bottom), 1e-6);
        QCOMPARE(chart.axisMaximum(AxisPosition::Bottom), 10.0);
        // The data span -5..7; the extremes keep a margin from the frame.
        const double lowest = chart.axisMinimum(AxisPosition::Left);
        const double highest = chart.axisMaximum(AxisPosition::Left);
        QVERIFY(lowest < -5 - 0.02 * 12 && lowest > -5 - 0.2 * 12);
        QVERIFY(highest > 7 + 0.02 * 12 && highest < 7 + 0.2 * 12);

        chart.zoomTo(1e-4, 1e-2, 0, 1);
        chart.redraw();
        QCOMPARE(chart.axisMinimum(AxisPosition::Bottom), 1e-4);
        chart.restoreRanges();
        chart.redraw();
        QCOMPARE(chart.axisMinimum(AxisPosition::Bottom), 1e-6);
        QCOMPARE(chart.axisMaximum(AxisPosition::Left), highest);
    }

    void leftDragZoomsRightDragOnlyPansDoubleClickRestores() {
        // The main chart's size and fixed ranges.
        Chart chart;
        chart.resize(857, 633);
        chart.setAxisDesign(AxisPosition::Bottom, timeAxis());
        AxisDesign signal;
        signal.automatic = false;
        signal.minimum = -0.12;
        signal.maximum = 0.1;
        chart.setAxisDesign(AxisPosition::Left, signal);
        chart.setZoomAnimationSteps(2);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.redraw();
        QWidget* plot = chart.findChild<QWidget*>();
        QVERIFY(plot != nullptr);
        const auto view = [&chart] {
            return QVector<double>{
                chart.axisMinimum(AxisPosition::Bottom), chart.axisMaximum(AxisPosition::Bottom),
                chart.axisMinimum(AxisPosition::Left), chart.axisMaximum(AxisPosition::Left)};
        };

        // A left drag to the right and down zooms into its rectangle.
        drag(plot, Qt::LeftButton, QPoint(200, 250), QPoint(450, 500));
        QTRY_VERIFY(chart.axisMinimum(AxisPosition::Bottom) > 1e-5);
        QTRY_VERIFY(chart.axisMaximum(AxisPosition::Left) < 0.05);
        QTest::qWait(50);
        const QVector<double> zoomed = view();

        // A right drag moves the view by the pointer's movement, keeping its
        // span; the same drag back returns to the zoomed view.
        drag(plot, Qt::RightButton, QPoint(400, 400), QPoint(480, 440));
        QTest::qWait(50);
        const QVector<double> panned = view();
        QVERIFY(panned[0] < zoomed[0]);
        QVERIFY(panned[2] > zoomed[2]);
        QVERIFY(std::fabs(panned[1] / panned[0] - zoomed[1] / zoomed[0]) <
                1e-9 * (zoomed[1] / zoomed[0]));
        QVERIFY(std::fabs((panned[3] - panned[2]) - (zoomed[3] - zoomed[2])) < 1e-12);
        drag(plot, Qt::RightButton, QPoint(480, 440), QPoint(400, 400));
        QTest::qWait(50);
        const QVector<double> back = view();
        for (int i = 0; i < 4; ++i)
            QVERIFY2(std::fabs(back[i] - zoomed[i]) <= 1e-9 * std::fabs(zoomed[i]),
                     qPrintable(QStringLiteral("range end %1 moved").arg(i)));

        QTest::mouseDClick(plot, Qt::LeftButton, {}, QPoint(250, 150));
        QTRY_COMPARE(chart.axisMinimum(AxisPosition::Bottom), 1e-6);
        QCOMPARE(view(), (QVector<double>{1e-6, 10, -0.12, 0.1}));

        // A left drag up and to the left restores too.
        chart.zoomTo(1e-4, 1e-2, 0, 0.05);
        drag(plot, Qt::LeftButton, QPoint(300, 200), QPoint(200, 100));
        QTRY_COMPARE(view(), (QVector<double>{1e-6, 10, -0.12, 0.1}));
    }

    void zoomedTimeAxisKeepsItsLabelsDistinct() {
        Chart chart;
        chart.resize(857, 633);
        AxisDesign time = timeAxis();
        time.labelText = [](double value, double resolution) {
            return QString::fromStdString(formatPowerOfTenLabel(value, resolution));
        };
        time.minorTickCount = 8;
        chart.setAxisDesign(AxisPosition::Bottom, time);
        chart.show();
        QVERIFY(QTest::qWaitForWindowExposed(&chart));
        chart.redraw();
        QCPAxis* axis = chart.findChild<QCustomPlot*>()->xAxis;
        // The designed view: powers of ten, 8 minor ticks between them.
        QCOMPARE(axis->tickVectorLabels(),
                 (QVector<QString>{"1e-6", "1e-5", "1e-4", "1e-3", "1e-2", "1e-1", "1e0", "1e1"}));

        // Zooms inside one decade and across one: distinct labels with the
        // digits the spacing needs, and a grid of at most ~5 lines per label.
        for (const auto& [lower, upper] :
             {std::pair{2.9e-5, 4.6e-5}, std::pair{3.1e-5, 3.3e-5}, std::pair{6e-6, 2.5e-5},
              std::pair{1.2e-5, 3.9e-4}, std::pair{1.1e-5, 9e-3}}) {
            chart.zoomTo(lower, upper, -0.12, 0.1);
            chart.redraw();
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
    }

    void bitmapHasTheOnScreenSizeAndShowsTheSeries() {
        QTemporaryDir folder;
        Chart chart;
        chart.resize(420, 310);
        AxisDesign axis;
        axis.automatic = false;
        axis.minimum = 0;
        axis.maximum = 10;
        chart.setAxisDesign(AxisPosition::Bottom, axis);
        chart.setAxisDesign(AxisPosition::Left, axis);
        chart.setLegendVisible(false);
        ChartSeries* series = chart.addLineSeries();
        series->setLineWidth(3);
        series->addPoint(1, 5, QColor(255, 0, 0));
        series->addPoint(9, 5, QColor(255, 0, 0));

        const QString path = folder.filePath(QStringLiteral("chart.bmp"));
        chart.saveBitmap(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.read(2), QByteArray("BM"));
        file.close();
        const QImage image(path, "BMP");
        QCOMPARE(image.size(), QSize(420, 310));
        QVERIFY(countRedPixels(image) > 300);
        QCOMPARE(image.pixelColor(2, 2), QColor(Qt::white));
    }

    void bitmapThatCannotBeWrittenIsAnError() {
        Chart chart;
        const QString path = QStringLiteral("/nonexistent-folder-of-quorvane/chart.bmp");
        try {
            chart.saveBitmap(path);
            QFAIL("no error");
        } catch (const QuorvaneError& error) {
            QCOMPARE(QString::fromStdString(error.message()),
                     QStringLiteral("Cannot create file ") + path);
        }
    }

    void printsAsVectorDrawingWithRealText() {
        QTemporaryDir folder;
        Chart chart;
        chart.resize(857, 633);
        chart.setTitle(QStringLiteral("TChart"));
        ChartSeries* series = chart.addLineSeries();
        series->setTitle(QStringLiteral("450.txt"));
        for (int i = 0; i < 500; ++i)
            series->addPoint(i, std::sin(i / 20.0), Qt::black);
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = folder.filePath(QStringLiteral("chart.pdf"));
        printer.setOutputFileName(path);
        chart.print(printer);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray pdf = file.readAll();
        QVERIFY(pdf.startsWith("%PDF"));
        QVERIFY2(!pdf.contains("/Subtype /Image"), "the chart was printed as a picture");
        QVERIFY2(pdf.contains("/FontFile"), "no text was printed");
        QVERIFY2(pdf.size() < 200 * 1024, qPrintable(QString::number(pdf.size())));
    }

    void printPreviewIsCaptionedPrintPreview() {
        Chart chart;
        chart.resize(300, 200);
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
