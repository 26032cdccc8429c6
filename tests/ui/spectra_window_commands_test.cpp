// The differential spectra window's error bars and concentrations with the
// main window, and NAME-eas.csv in the main window's save.
#include <QCheckBox>
#include <QTest>
#include <cmath>
#include <sstream>

#include "chart/chart.h"
#include "cli/batch_run.h"
#include "cli/command_line.h"
#include "fit/standard_errors.h"
#include "support/main_window_fixture.h"
#include "views/unit5.h"

namespace quorvane {

class SpectraWindowCommandsTest : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

    QStringList traces() {
        return {writeTrace("450.txt", decayTrace(0.0, 0.05, 2e-5)),
                writeTrace("500.txt", decayTrace(0.0, -0.03, 2e-5))};
    }
    void showSpectra(TForm5::SpectraKind kind) {
        form1->form5()->setSpectraKind(kind);
        form1->Differentialspectra1->trigger();
        QCOMPARE(errors, QStringList());
    }

  private slots:
    void init() { createWindow(); }
    void cleanup() { destroyWindow(); }

    void errorBarsCarryEachAmplitudesStandardErrorOnceThereIsAFit() {
        open(traces());
        TForm5& form = *form1->form5();
        showSpectra(TForm5::SpectraKind::DecayAssociated);
        QVERIFY(!form.errorBarsBox()->isEnabled());
        QVERIFY(!form.errorBarsBox()->toolTip().isEmpty());

        start("1", "8");
        showSpectra(TForm5::SpectraKind::DecayAssociated);
        QVERIFY(form.errorBarsBox()->isEnabled());
        form.errorBarsBox()->setChecked(true);
        const ChartSeries* spectrum = form.chart(1)->series(1);
        QVERIFY(spectrum->errorBarsVisible());
        const StandardErrors se = computeStandardErrors();
        QCOMPARE(spectrum->point(0).error, static_cast<double>(se.coefficient[1][1]));  // 450 nm
        QCOMPARE(spectrum->point(1).error, static_cast<double>(se.coefficient[2][1]));
        // One species: its EAS is the DAS, and so is its error.
        showSpectra(TForm5::SpectraKind::EvolutionAssociated);
        QCOMPARE(form.chart(1)->series(2)->point(1).error, spectrum->point(1).error);
    }

    void concentrationsStandOnTheRightAxisUntilTheNextStart() {
        openAndStart(traces(), "1", "8");
        TForm5& form = *form1->form5();
        showSpectra(TForm5::SpectraKind::EvolutionAssociated);
        const int before = form1->Chart1->seriesCount();
        form.concentrationsBox()->setChecked(true);
        QCOMPARE(errors, QStringList());
        QCOMPARE(form1->Chart1->seriesCount(), before + 1);
        const ChartSeries* profile = form1->Chart1->series(before);
        QCOMPARE(profile->title(), QStringLiteral("c1 (t1)"));
        QVERIFY(profile->valueAxis() == AxisPosition::Right);
        const double tau = std::exp(-static_cast<double>(workspace.ParameterVector[rateIndex(1)]));
        const ChartSeries::Point& point = profile->point(profile->pointCount() / 2);
        QVERIFY(std::fabs(point.y - std::exp(-point.x / tau)) < 1e-12);

        start("1", "8");
        QCOMPARE(form1->Chart1->seriesCount(), before);
        QVERIFY(!form.concentrationsBox()->isChecked());
    }

    // Byte for byte what quorvane-fit --eas --save writes; nothing when the
    // rates are equal (held for the first four iterations).
    void saveWritesTheEvolutionSpectraWhenTheSchemeCanBeFormed() {
        const QStringList files = traces();
        openAndStart(files, "1", "8");
        resultsChosen = path("fit.txt");
        form1->Saveas1->trigger();
        QCOMPARE(errors, QStringList());

        testing::resetWholeWorkspace();
        std::string problem;
        const std::optional<BatchRequest> request =
            parseCommandLine({"-n", "1", "-i", "8", "--eas", "--save", path("batch").toStdString(),
                              files[0].toStdString(), files[1].toStdString()},
                             problem);
        QVERIFY2(request.has_value(), problem.c_str());
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(runBatch(*request, out, err, false), kExitSuccess);
        QVERIFY(QFile::exists(path("fit-eas.csv")));
        QCOMPARE(testing::readFile(path("fit-eas.csv").toStdString()),
                 testing::readFile(path("batch-eas.csv").toStdString()));

        form1->Edit4->setText(QStringLiteral("2e-5"));
        form1->Edit5->setText(QStringLiteral("2e-5"));
        start("2", "1");
        resultsChosen = path("equal.txt");
        form1->Saveas1->trigger();
        QCOMPARE(errors, QStringList());
        QVERIFY(QFile::exists(path("equal-spectra.csv")));
        QVERIFY(!QFile::exists(path("equal-eas.csv")));
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::SpectraWindowCommandsTest)
#include "spectra_window_commands_test.moc"
