// The differential spectra window read as a sequential scheme: species k in
// chart k, titled after its time constant, and the designed view back.
#include <QTest>
#include <cmath>

#include "chart/chart.h"
#include "support/test_support.h"
#include "views/main_window_link.h"
#include "views/unit5.h"

namespace quorvane {

namespace {

class TitledTraces : public MainWindowLink {
  public:
    std::string dataSeriesTitle(int curve) const override {
        return curve == 1 ? "500.txt" : "400.txt";
    }
};

}  // namespace

class EvolutionWindowTest : public QObject {
    Q_OBJECT

  private slots:
    void init() { testing::resetWholeWorkspace(); }

    void speciesStandInTheirChartsAndTheDesignedViewComesBack() {
        // Two curves, t1 = 1e-3 (rate 1e3), t2 = 1e-5 (rate 1e5): species 1 is t2.
        for (const double wavelength : {500.0, 400.0})
            workspace.wavelength[testing::addCurve({1e-6}, {0.0})] = wavelength;
        workspace.componentCount = workspace.layoutComponentCount = 2;
        workspace.fitCount = 1;
        workspace.laidOutCurveCount = 2;
        const ParameterLayout layout = currentLayout();
        const long double das[2][2] = {{0.2L, 0.5L}, {-0.1L, 0.3L}};  // [curve][component]
        for (int c = 1; c <= 2; ++c)
            for (int k = 1; k <= 2; ++k)
                workspace.ParameterVector[layout.amplitudeIndex(c, k)] = das[c - 1][k - 1];
        workspace.ParameterVector[layout.rateIndex(1)] = logl(1e3L);
        workspace.ParameterVector[layout.rateIndex(2)] = logl(1e5L);

        TitledTraces traces;
        TForm5 form;
        form.setMainWindow(&traces);
        QVERIFY(form.spectraKind() == TForm5::SpectraKind::DecayAssociated);
        form.setSpectraKind(TForm5::SpectraKind::EvolutionAssociated);
        form.showDifferentialSpectra();
        QCOMPARE(form.chart(1)->title(), QStringLiteral("EAS 1 (t2)"));
        QCOMPARE(form.chart(2)->title(), QStringLiteral("EAS 2 (t1)"));
        QCOMPARE(form.chart(3)->seriesCount(), 0);
        // Two species, the first the faster component t2: EAS_1 = DAS_1 + DAS_2 and
        // EAS_2 = DAS_2 (k_1 - k_2) / k_1. The first point is curve 2's (400 nm).
        const ChartSeries* first = form.chart(1)->series(0);
        QCOMPARE(first->colour(), QColor(0, 0, 255));
        QCOMPARE(first->point(0).x, 400.0);
        QCOMPARE(first->point(0).y, static_cast<double>(0.3L - 0.1L));
        QCOMPARE(form.chart(2)->series(0)->point(0).y, static_cast<double>(-0.1L * 0.99L));
        form.setSpectraKind(TForm5::SpectraKind::DecayAssociated);
        form.showDifferentialSpectra();
        QCOMPARE(form.chart(1)->title(), QStringLiteral("t1"));
        QCOMPARE(form.chart(1)->seriesCount(), 2);
        QCOMPARE(form.chart(1)->series(1)->colour(), QColor(255, 0, 0));
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::EvolutionWindowTest)
#include "evolution_window_test.moc"
