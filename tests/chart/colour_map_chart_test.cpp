// The colour map's cells: where each matrix cell is drawn on either time
// axis, the gaps left grey, the rows a logarithmic axis cannot show, and the
// colour scale centred at zero.
#include <QTest>
#include <cmath>
#include <memory>

#include "chart/colour_map_chart.h"

namespace quorvane {

namespace {

// Times 0, 1, 10, 100 (evenly spaced in log10 but for the 0); wavelengths
// with a gap from 420 to 500 and given out of order. value(t, w) = 10 t + w
// in indices, -45 in one cell for the colour scale.
std::shared_ptr<KineticMatrix> testMatrix() {
    auto matrix = std::make_shared<KineticMatrix>();
    matrix->times = {0, 1, 10, 100};
    matrix->wavelengths = {400, 410, 420, 520, 510, 500};
    for (std::size_t t = 0; t < matrix->times.size(); ++t) {
        for (std::size_t w = 0; w < matrix->wavelengths.size(); ++w)
            matrix->values.push_back(10.0 * static_cast<double>(t) + static_cast<double>(w));
    }
    matrix->values[3] = -45;  // time 0, wavelength 520
    return matrix;
}

}  // namespace

class ColourMapChartTest : public QObject {
    Q_OBJECT

  private slots:
    void cellsReachHalfwayToTheirNeighboursAndGapsStayEmpty() {
        ColourMapChart chart;
        chart.resize(600, 400);
        chart.setMatrix(testMatrix());
        const struct {
            bool logarithmic;
            double time;
            double wavelength;
            double value;  // NaN: no cell
        } cases[] = {
            {true, 1, 400, 10},     {true, 0.5, 414, 11},  // log10 0.5 = -0.3: still the cell of 1
            {true, 20, 424, 22},                           // the gap's side reaches 5 nm into it
            {true, 60, 497, 35},                           // 500 is column 5 of the file
            {true, 10, 460, NAN},                          // inside the gap
            {true, 1000, 400, NAN}, {false, 0, 400, 0},
            {false, 5, 507, 14},  // the cell of 1 reaches halfway to 10
            {false, 8, 507, 24},    {false, 100, 400, 30},
        };
        for (const auto& c : cases) {
            chart.setTimeAxisLogarithmic(c.logarithmic);
            const double drawn = chart.drawnValue(c.time, c.wavelength);
            const QByteArray where =
                QByteArray::number(c.time) + " x " + QByteArray::number(c.wavelength);
            if (std::isnan(c.value))
                QVERIFY2(std::isnan(drawn), where);
            else
                QVERIFY2(drawn == c.value, where + ": " + QByteArray::number(drawn));
        }
        chart.setTimeAxisLogarithmic(true);
        QCOMPARE(chart.undrawnTimeCount(), 1);
        // The -45 lies at time 0, left out of the logarithmic map.
        QCOMPARE(chart.colourMaximum(), 35.0);
        chart.setTimeAxisLogarithmic(false);
        QCOMPARE(chart.undrawnTimeCount(), 0);
        QCOMPARE(chart.colourMinimum(), -45.0);
        QCOMPARE(chart.toImage().size(), QSize(600, 400));
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::ColourMapChartTest)
#include "colour_map_chart_test.moc"
