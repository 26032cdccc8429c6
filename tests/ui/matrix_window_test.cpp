// Matrix files in the main window: the import dialog's plan and Cancel, the
// traces it loads and their names, Edit > Clear, and the data map and
// singular values windows of what is loaded.
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QTest>
#include <algorithm>
#include <cmath>

#include "chart/chart.h"
#include "chart/colour_map_chart.h"
#include "support/main_window_fixture.h"
#include "views/data_map_window.h"
#include "views/singular_values_window.h"

namespace quorvane {

namespace {

const double kTimes[] = {-1, 0.5, 1, 2, 4};
const double kWavelengths[] = {450, 452.5, 455, 500, 510};

// The signal of the test matrix: a decay of its own size per column, 0
// before time zero.
double signal(std::size_t row, std::size_t column) {
    const double t = kTimes[row];
    return t <= 0 ? 0.0 : 0.01 * static_cast<double>(column + 1) * std::exp(-t / 1.5);
}

// Times down the first column, wavelengths across; the rule decides it from
// the time -1.
QByteArray matrixText() {
    QByteArray text = "time";
    for (const double w : kWavelengths)
        text += ',' + QByteArray::number(w);
    text += '\n';
    for (std::size_t row = 0; row < std::size(kTimes); ++row) {
        text += QByteArray::number(kTimes[row]);
        for (std::size_t column = 0; column < std::size(kWavelengths); ++column)
            text += ',' + QByteArray::number(signal(row, column), 'g', 17);
        text += '\n';
    }
    return text;
}

bool itemEnabled(const QComboBox& box, int row) {
    return static_cast<QStandardItemModel*>(box.model())->item(row)->isEnabled();
}

}  // namespace

class MatrixWindowTest : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

    // Opens the test matrix, pressing OK with every entry as it comes.
    void loadMatrix() {
        importAnswer = [](MatrixImportDialog&) { return true; };
        open({writeTrace("kinetics.csv", matrixText())});
        QCOMPARE(errors, QStringList());
        QCOMPARE(workspace.curveCount, 5);
    }

  private slots:
    void init() { createWindow(); }
    void cleanup() { destroyWindow(); }

    void theDialogShowsThePlanOfEveryEntryAndCancelLoadsNothing() {
        const struct {
            const char* excluded;
            const char* timeFrom;
            int grouping;  // in the box's order
            const char* value;
            const char* plan;  // its beginning
        } cases[] = {
            {"", "", 0, "", "Loads 5 traces of 5 points each: one per wavelength."},
            {"451-456", "0.5", 0, "", "Loads 3 traces of 4 points each"},
            {"", "", 4, "2", "Loads 2 traces of 5 points each: 5 wavelengths averaged into 2"},
            {"", "", 2, "3", "Loads 2 traces of 5 points each: every k-th of 5 wavelengths, k = 3"},
            {"", "9", 0, "", "Cannot load kinetics.csv: no time lies within the time window"},
            {"400-600", "", 0, "", "Cannot load kinetics.csv: the choice leaves no trace"},
        };
        // What the dialog showed for each case, and whether OK was enabled.
        QStringList plans;
        QList<bool> acceptable;
        bool decided = false;
        importAnswer = [&](MatrixImportDialog& dialog) {
            decided = dialog.timesDownButton->isChecked();
            for (const auto& entry : cases) {
                dialog.excludedBands->setText(QString::fromLatin1(entry.excluded));
                dialog.timeFrom->setText(QString::fromLatin1(entry.timeFrom));
                dialog.groupingBox->setCurrentIndex(entry.grouping);
                dialog.groupingValue->setText(QString::fromLatin1(entry.value));
                plans << dialog.planText();
                acceptable << dialog.okButton->isEnabled();
            }
            return false;
        };
        // Cancel stops the list like a failed file: the trace after it stays
        // unopened.
        open({writeTrace("kinetics.csv", matrixText()), writeTrace("450.txt", "1 0.5\n2 0.25\n")});
        QVERIFY2(decided, "by the time -1");
        QCOMPARE(plans.size(), static_cast<qsizetype>(std::size(cases)));
        for (std::size_t i = 0; i < std::size(cases); ++i) {
            const auto k = static_cast<qsizetype>(i);
            QVERIFY2(plans[k].startsWith(QString::fromLatin1(cases[i].plan)), qPrintable(plans[k]));
            QCOMPARE(acceptable[k], !plans[k].startsWith(QStringLiteral("Cannot")));
        }
        QCOMPARE(calls, (QStringList{"open dialog", "import dialog", "error box"}));
        QCOMPARE(errors, QStringList{"The import of kinetics.csv was cancelled."});
        QCOMPARE(details, QStringList{"The file after it was not opened."});
        QCOMPARE(workspace.curveCount, 0);
        QCOMPARE(form1->Chart1->seriesCount(), 0);
        QVERIFY(loadedMeasurement() == nullptr);
    }

    void theDialogLoadsTheChosenTracesNamedByTheirWavelengths() {
        // Bins 5 nm wide from 450: {450, 452.5}, {455}, {500}, {510}; after a
        // trace file, so the matrix's traces follow it.
        open({writeTrace("600.txt", "1 0.5\n2 0.25\n")});
        importAnswer = [](MatrixImportDialog& dialog) {
            dialog.groupingBox->setCurrentIndex(3);
            dialog.groupingValue->setText(QStringLiteral("5"));
            return true;
        };
        open({writeTrace("kinetics.csv", matrixText())});
        QCOMPARE(errors, QStringList());
        QStringList legend;
        for (int s = 0; s < form1->Chart1->seriesCount(); ++s)
            legend << form1->Chart1->series(s)->title();
        QCOMPARE(legend, (QStringList{"600.txt", "451.25 nm", "455 nm", "500 nm", "510 nm"}));
        QCOMPARE(workspace.wavelength[2], 451.25);
        QCOMPARE(workspace.pointCount[2], 5);
        for (int i = 1; i <= 5; ++i) {
            const auto row = static_cast<std::size_t>(i - 1);
            QCOMPARE(workspace.curves[2].times[i], kTimes[row]);
            QCOMPARE(workspace.curves[2].values[i],
                     static_cast<double>(
                         (static_cast<long double>(signal(row, 0)) + signal(row, 1)) / 2));
            QCOMPARE(workspace.curves[5].values[i], signal(row, 4));
        }
        QVERIFY(loadedMeasurement() != nullptr);

        form1->clear1->trigger();
        QVERIFY(loadedMeasurement() == nullptr);
        QCOMPARE(form1->Chart1->seriesCount(), 0);
    }

    void anUndecidedOrientationWaitsForTheUsersChoice() {
        // Both axes positive and within the wavelength range.
        bool waited = false;
        importAnswer = [&waited](MatrixImportDialog& dialog) {
            waited = !dialog.timesDownButton->isChecked() &&
                     !dialog.timesAcrossButton->isChecked() && !dialog.okButton->isEnabled();
            dialog.timesAcrossButton->setChecked(true);
            return dialog.okButton->isEnabled();
        };
        open({writeTrace("grid.csv", ",200,300,400\n250,1,2,3\n350,4,5,6\n")});
        QVERIFY(waited);
        QCOMPARE(errors, QStringList());
        QCOMPARE(workspace.curveCount, 2);
        QCOMPARE(form1->Chart1->series(1)->title(), QStringLiteral("350 nm"));
        QCOMPARE(workspace.curves[2].times[3], 400.0);
        QCOMPARE(workspace.curves[2].values[3], 6.0);
    }

    void theWindowsShowTheLoadedMeasurementAndAfterAFitItsResiduals() {
        loadMatrix();
        DataMapWindow& map = *form1->dataMapWindow();
        SingularValuesWindow& values = *form1->singularValuesWindow();
        form1->DataMap1->trigger();
        form1->Singularvalues1->trigger();
        QCOMPARE(errors, QStringList());
        QVERIFY(map.isVisible() && values.isVisible());
        QVERIFY(!itemEnabled(*map.shownBox, 2) && !itemEnabled(*values.shownBox, 1));
        QCOMPARE(map.Chart1->markedWavelengths().size(), std::size(kWavelengths));
        // The time -1 has no place on the logarithmic axis.
        QCOMPARE(map.Chart1->undrawnTimeCount(), 1);
        QCOMPARE(map.Chart1->drawnValue(2, 455), signal(3, 2));
        // One point per value > 0 (a value of 0 has no place on the log scale).
        const std::vector<double>& s = values.shownValues().values;
        QCOMPARE(
            values.valuesChart->series(0)->pointCount(),
            static_cast<int>(std::count_if(s.begin(), s.end(), [](double v) { return v > 0; })));
        QVERIFY(s.size() == 5 && s[0] > 0);

        form1->Edit4->setText(QStringLiteral("1"));
        start("1", "8");
        form1->DataMap1->trigger();
        form1->Singularvalues1->trigger();
        QCOMPARE(errors, QStringList());
        QVERIFY(itemEnabled(*map.shownBox, 2) && itemEnabled(*values.shownBox, 1));
        map.setShown(DataMapWindow::Shown::Residuals);
        QCOMPARE(&map.Chart1->matrix(), map.contents().residuals.get());
        values.setShown(SingularValuesWindow::Shown::Residuals);
        QVERIFY(values.valuesLabel->text().startsWith(QStringLiteral("Residuals: ")));

        // Its Export writes the map as File > Export writes the chart.
        exportChosen = {path(QStringLiteral("map.png")), ChartFileFormat::Png};
        map.exportButton->click();
        QCOMPARE(QImage(exportChosen.path).size(), map.Chart1->size());

        // The saved curves name the matrix file and each trace's wavelength.
        resultsChosen = path(QStringLiteral("fit"));
        form1->Saveas1->trigger();
        QFile curves(path(QStringLiteral("fit-curves.csv")));
        QVERIFY(curves.open(QIODevice::ReadOnly));
        QCOMPARE(curves.readLine(), QByteArray("trace,file,wavelength,time,value,model,residual\n"));
        QVERIFY(curves.readLine().startsWith("1,kinetics.csv,450,"));
    }

    void theWindowsRefuseTracesOnTimeAxesOfTheirOwn() {
        open({writeTrace("450.txt", "1 0.5\n2 0.25\n"), writeTrace("500.txt", "1 0.5\n3 0.25\n")});
        form1->DataMap1->trigger();
        form1->Singularvalues1->trigger();
        QCOMPARE(errors, (QStringList{"The loaded traces do not share one time axis.",
                                      "The loaded traces do not share one time axis."}));
        QVERIFY(!form1->dataMapWindow()->isVisible());
        QVERIFY(!form1->singularValuesWindow()->isVisible());
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::MatrixWindowTest)
#include "matrix_window_test.moc"
