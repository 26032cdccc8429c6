// The main window's design; Open, Start, Clear, Exit and the Tools commands
// given through their menu items or button, and shut off while a fit runs;
// the fit method, its memory between runs, and the verdict beside Label1.
#include <QDragEnterEvent>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QTest>
#include <QUrl>

#include "chart/chart.h"
#include "data/number_format.h"
#include "data/version.h"
#include "fit/fit_driver.h"
#include "fit/goodness_of_fit.h"
#include "support/main_window_fixture.h"
#include "ui/fit_method_setting.h"
#include "views/unit2.h"
#include "views/unit3.h"
#include "views/unit4.h"
#include "views/unit5.h"

namespace quorvane {

namespace {

// True when the box shows its whole text: it looks the same with the
// cursor at the start and at the end (a clipped text scrolls).
bool showsWholeText(QLineEdit* box) {
    box->setCursorPosition(static_cast<int>(box->text().size()));
    const QImage atEnd = box->grab().toImage();
    box->setCursorPosition(0);
    return box->grab().toImage() == atEnd;
}

QStringList seriesTitles(const Chart& chart) {
    QStringList titles;
    for (int i = 0; i < chart.seriesCount(); ++i)
        titles << chart.series(i)->title();
    return titles;
}

}  // namespace

class MainWindowTest : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

    void loadTwoTraces() {
        open({writeTrace("450.txt", decayTrace(0.001, 0.05, 2e-5))});
        open({writeTrace("500.txt", decayTrace(-0.002, -0.03, 2e-5))});
    }

    // The menu items and the Start button that are disabled now.
    QStringList disabledCommands() const {
        QStringList disabled;
        for (const QAction* menu : form1->menuBar()->actions()) {
            for (const QAction* item : menu->menu()->actions()) {
                if (!item->isSeparator() && !item->isEnabled())
                    disabled << item->objectName();
            }
        }
        if (!form1->Button1->isEnabled())
            disabled << form1->Button1->objectName();
        return disabled;
    }

  private slots:
    void init() { createWindow(); }
    void cleanup() { destroyWindow(); }

    void startUpShowsTheDesignedWindow() {
        workspace.curveCount = 7;
        workspace.fitCount = 3;
        const TForm1 fresh;  // its FormCreate resets the counters
        QCOMPARE(workspace.curveCount, 0);
        QCOMPARE(workspace.fitCount, 0);
        QCOMPARE(fresh.windowTitle(), QStringLiteral("Quorvane"));

        const struct {
            QLineEdit* box;
            const char* text;
            int top;
            QLabel* label;
            const char* caption;
            int labelTop;
        } boxes[] = {
            {fresh.Edit10, "4", 8, nullptr, "", 0},
            {fresh.Edit2, "50", 40, nullptr, "", 0},
            {fresh.Edit4, "10e-6", 96, fresh.Label5, "t1", 72},
            {fresh.Edit5, "100e-6", 152, fresh.Label6, "t2", 128},
            {fresh.Edit6, "2e-3", 208, fresh.Label7, "t3", 184},
            {fresh.Edit7, "20e-3", 264, fresh.Label8, "t4", 240},
            {fresh.Edit8, "8e-3", 320, fresh.Label9, "t5", 296},
            {fresh.Edit9, "2e-3", 376, fresh.Label10, "t6", 352},
            {fresh.Edit11, "8e-3", 432, fresh.label12, "t7", 408},
            {fresh.Edit12, "40e-3", 480, fresh.Label13, "t8", 456},
            {fresh.Edit13, "10e-6", 528, fresh.Label14, "t9", 504},
        };
        for (const auto& row : boxes) {
            QCOMPARE(row.box->text(), QString::fromLatin1(row.text));
            QCOMPARE(row.box->geometry(), QRect(888, row.top, row.label ? 65 : 97, 21));
            if (row.label != nullptr) {
                QCOMPARE(row.label->text(), QString::fromLatin1(row.caption));
                QCOMPARE(row.label->pos(), QPoint(888, row.labelTop));
            }
        }

        const Chart& chart = *fresh.Chart1;
        QCOMPARE(chart.seriesCount(), 0);
        QCOMPARE(chart.title(), QStringLiteral("TChart"));
        QCOMPARE(chart.geometry(), QRect(8, 24, 857, 633));
        QCOMPARE(chart.axisMinimum(AxisPosition::Bottom), 1e-6);
        QCOMPARE(chart.axisMaximum(AxisPosition::Bottom), 10.0);
        QCOMPARE(chart.axisMinimum(AxisPosition::Left), -0.12);
        QCOMPARE(chart.axisMaximum(AxisPosition::Left), 0.1);
        QVERIFY(fresh.Label1->text().isEmpty());
        QCOMPARE(fresh.ProgressBar1->value(), 0);
        QCOMPARE(fresh.ProgressBar1->maximum(), 100);
        QCOMPARE(fresh.Button1->text(), QStringLiteral("Start"));
        QCOMPARE(fresh.Button1->geometry(), QRect(888, 624, 75, 25));
        // Start's caption is navy; disabled, it is drawn in the style's grey.
        const QPalette startColours = fresh.Button1->palette();
        QCOMPARE(startColours.color(QPalette::Active, QPalette::ButtonText), QColor(0, 0, 128));
        QVERIFY(startColours.color(QPalette::Disabled, QPalette::ButtonText) != QColor(0, 0, 128));
        QCOMPARE(applicationIcon().availableSizes(), QList<QSize>{QSize(256, 256)});

        form1->show();
        QCOMPARE(form1->centralWidget()->size(), QSize(987, 705));
        for (const QWidget* result : std::initializer_list<const QWidget*>{
                 form1->form2(), form1->form3(), form1->form4(), form1->form5()})
            QVERIFY(!result->isVisible());
    }

    void timeConstantBoxesShowEveryWrittenBackTextWhole() {
        QLineEdit* box = form1->Edit4;
        box->setText(QStringLiteral("1.00000E-5"));
        QVERIFY(showsWholeText(box));
        QCOMPARE(box->font().pixelSize(), 11);
        // The widest texts the write-back forms: two- to four-digit
        // exponents of the extended range.
        for (const char* text :
             {"1.23457E-10", "8.88888E+88", "1.23457E-100", "3.64520E-4951", "1.18973E+4932"}) {
            box->setText(QString::fromLatin1(text));
            QVERIFY2(showsWholeText(box), text);
            QCOMPARE(box->size(), QSize(65, 21));
        }
    }

    void menuHoldsTheDesignedItemsEachConnectedToItsCommand() {
        QStringList menus;
        for (const QAction* menu : form1->menuBar()->actions()) {
            QStringList items;
            for (const QAction* item : menu->menu()->actions())
                items << item->objectName() + '=' + item->text();
            menus << menu->menu()->objectName() + '=' + menu->text() + ": " + items.join(", ");
        }
        QCOMPARE(menus, (QStringList{"File1=File: Open1=Open, Save1=Save, Saveas1=Save as..., "
                                     "Export1=Export, Print1=Print..., Exit1=Exit",
                                     "Run1=Edit: clear1=Clear",
                                     "View1=View: Designedtimeaxis1=Designed (logarithmic, 1e-6 "
                                     "to 10), Logarithmictimeaxis1=Logarithmic, range of the "
                                     "data, Lineartimeaxis1=Linear, range of the data, "
                                     "Linearlogarithmictimeaxis1=Linear-logarithmic, =, "
                                     "Switchtime1=Linear-logarithmic switch time...",
                                     "Tools1=Tools: VarCov1=Var-Cov Matrix, parameters1=Parameters "
                                     ", residualssurface1=Residual's surface, "
                                     "Differentialspectra1=Differential spectra, "
                                     "DataMap1=Data map, Singularvalues1=Singular values, "
                                     "Timeconstants1=Time constants, "
                                     "Instrumentresponse1=Instrument response..., "
                                     "Searchlowestminimum1=Search for the lowest minimum, =, "
                                     "ClassicLevenbergMarquardt1=Classic Levenberg-Marquardt, "
                                     "Variableprojection1=Variable projection",
                                     "help1=Help: About1=About Quorvane"}));
        QCOMPARE(form1->Open1->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));

        // Clear, Start and the Tools items are given through their items in
        // the tests below; Save and Save as... are refused before any fit.
        const struct {
            QAction* item;
            const char* call;
        } commands[] = {
            {form1->Open1, "open dialog"},    {form1->Save1, "error box"},
            {form1->Saveas1, "error box"},    {form1->Export1, "export dialog"},
            {form1->Print1, "print preview"}, {form1->Exit1, "end"},
            {form1->About1, "about box"},
        };
        for (const auto& command : commands) {
            calls.clear();
            command.item->trigger();
            QCOMPARE(calls, QStringList{QString::fromLatin1(command.call)});
        }
        QVERIFY(aboutText.startsWith(QStringLiteral("Quorvane ") + kQuorvaneVersion + '\n'));
    }

    void openPlotsEachTraceInLoadOrderAsATitledBlackSeries() {
        open({writeTrace("450.txt", "1e-6 0.012\n2e-6 0.010\n4e-6 0.007\n")});
        open({writeTrace("520nm.txt", "3e-6 0.03\n1e-6 0.01\n2e-6 0.02\n1e-6 0.04\n")});
        QCOMPARE(form1->Chart1->legendText(1), QStringLiteral("520nm.txt"));
        // Every point of the file, in the chart's ascending x.
        const ChartSeries* series = form1->Chart1->series(1);
        QVector<double> values;
        for (int i = 0; i < series->pointCount(); ++i)
            values << series->point(i).y;
        QCOMPARE(values, (QVector<double>{0.01, 0.04, 0.02, 0.03}));
        QCOMPARE(series->colour(), QColor(Qt::black));
    }

    void startWritesBackTheBoxesAndAddsRedFittedCurvesAfterTheData() {
        loadTwoTraces();
        start("1", "10");
        QCOMPARE(errors, QStringList());
        QCOMPARE(form1->Edit13->text(), QStringLiteral("1.00000E-5"));
        QVERIFY(form1->Edit4->text().endsWith(QStringLiteral("E-5")));
        QCOMPARE(form1->Edit4->cursorPosition(), 0);
        QCOMPARE(form1->ProgressBar1->value(), 100);
        QVERIFY(form1->Label1->text().toDouble() < 1e-6);  // its format: the verdict's test
        QCOMPARE(workspace.fitCount, 1);

        const Chart& chart = *form1->Chart1;
        QCOMPARE(seriesTitles(chart), (QStringList{"450.txt", "500.txt", "", ""}));
        QCOMPARE(chart.legendText(2), QStringLiteral("Series 2"));
        QCOMPARE(chart.legendText(3), QStringLiteral("Series 3"));
        for (int position : {2, 3}) {
            const ChartSeries* fit = chart.series(position);
            QCOMPARE(fit->pointCount(), 80);
            QCOMPARE(fit->colour(), QColor(255, 0, 0));
            QCOMPARE(fit->lineWidth(), 1);
            QCOMPARE(fit->point(0).x, 1e-7);
            QCOMPARE(fit->point(79).x, 10.0);
        }
    }

    void aStartAfterMoreTracesReplacesOnlyTheOldFits() {
        loadTwoTraces();
        start("1", "5");
        open({writeTrace("600.txt", decayTrace(0.0, 0.02, 2e-5, 30))});
        start("1", "5");
        QCOMPARE(errors, QStringList());
        QCOMPARE(seriesTitles(*form1->Chart1),
                 (QStringList{"450.txt", "500.txt", "600.txt", "", "", ""}));
        QCOMPARE(form1->Chart1->series(2)->pointCount(), 30);
        QCOMPARE(form1->dataSeriesTitle(3), std::string("600.txt"));
        for (int position = 3; position < 6; ++position)
            QCOMPARE(form1->Chart1->series(position)->pointCount(), 80);
    }

    void clearEmptiesTheChartAndTheCountersOnly() {
        loadTwoTraces();
        start("1", "5");
        form1->Edit10->setText(QStringLiteral("2"));
        const QString label = form1->Label1->text();
        form1->clear1->trigger();
        QCOMPARE(form1->Chart1->seriesCount(), 0);
        QCOMPARE(workspace.curveCount, 0);
        QCOMPARE(workspace.fitCount, 0);
        QCOMPARE(form1->Edit10->text(), QStringLiteral("2"));
        QCOMPARE(form1->Label1->text(), label);
        QCOMPARE(form1->ProgressBar1->value(), 100);
        QCOMPARE(form1->dataSeriesTitle(1), std::string());

        open({writeTrace("700.txt", "5e-6 0.25\n")});
        QCOMPARE(workspace.curves[1].times[1], 5e-6);
        QCOMPARE(seriesTitles(*form1->Chart1), (QStringList{"700.txt"}));
        // A Start after Clear is a first fit again: nothing old to free.
        start("1", "0");
        QCOMPARE(errors, QStringList());
        QCOMPARE(form1->Chart1->seriesCount(), 2);
    }

    void toolsItemsShowTheirWindows() {
        loadTwoTraces();
        start("1", "5");
        const std::pair<QAction*, QWidget*> items[] = {
            {form1->parameters1, form1->form2()},
            {form1->VarCov1, form1->form3()},
            {form1->residualssurface1, form1->form4()},
            {form1->Differentialspectra1, form1->form5()},
        };
        for (const auto& [item, window] : items) {
            item->trigger();
            QVERIFY2(window->isVisible(), qPrintable(item->objectName()));
        }
        QCOMPARE(errors, QStringList());
        // Each curve's wavelength comes from its own data series title.
        const ChartSeries* spectrum = form1->form5()->chart(1)->series(0);
        QCOMPARE(spectrum->pointCount(), 2);
        QCOMPARE(spectrum->point(0).x, 450.0);
        QCOMPARE(spectrum->point(1).x, 500.0);
    }

    void commandsThatChangeTheWorkspaceAreOffWhileAFitRuns() {
        loadTwoTraces();
        calls.clear();
        const QStringList offDuringFit{"Open1", "Save1", "Saveas1", "clear1", "VarCov1", "Button1"};
        QStringList disabledDuringFit;
        QStringList disabledAfterSecondStart;
        bool dropAccepted = true;
        QStringList callsDuringFit;
        // Runs in the event pass at the top of the first iteration.
        QMetaObject::invokeMethod(
            form1.get(),
            [&] {
                disabledDuringFit = disabledCommands();
                QMimeData files;
                files.setUrls({QUrl::fromLocalFile(writeTrace("600.txt", "1e-6 1\n"))});
                QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &files, Qt::LeftButton,
                                      Qt::NoModifier);
                QCoreApplication::sendEvent(form1.get(), &enter);
                dropAccepted = enter.isAccepted();
                // A Start the disabled button cannot give is refused.
                form1->Button1Click();
                disabledAfterSecondStart = disabledCommands();
                form1->Exit1->trigger();
                callsDuringFit = calls;
            },
            Qt::QueuedConnection);
        start("1", "6");
        QCOMPARE(disabledDuringFit, offDuringFit);
        QVERIFY(!dropAccepted);
        QCOMPARE(disabledAfterSecondStart, offDuringFit);
        QCOMPARE(errors, QStringList{"A fit is running: wait until it has ended."});
        QCOMPARE(callsDuringFit, QStringList{"error box"});
        QCOMPARE(form1->windowTitle(), QStringLiteral("Quorvane - ends when the fit has finished"));
        // The fit ran to its end, then the program ended.
        QCOMPARE(workspace.fitCount, 1);
        QCOMPARE(calls, (QStringList{"error box", "end"}));
        QCOMPARE(disabledCommands(), QStringList());
    }

    void closingTheWindowDuringAFitEndsTheProgramAfterIt() {
        loadTwoTraces();
        form1->show();
        bool closed = true;
        QMetaObject::invokeMethod(
            form1.get(), [&] { closed = form1->close(); }, Qt::QueuedConnection);
        start("1", "4");
        QVERIFY(!closed);
        QVERIFY(form1->windowTitle().endsWith(QStringLiteral("ends when the fit has finished")));
        QCOMPARE(workspace.fitCount, 1);
        QCOMPARE(calls.count(QStringLiteral("end")), 1);
    }

    // ---- The fit method of the Tools menu and the verdict ----------------

    void theFitMethodIsClassicAtFirstExclusiveAndRememberedForTheNextStartUp() {
        QVERIFY(form1->ClassicLevenbergMarquardt1->isChecked());
        QCOMPARE(form1->fitMethod(), FitMethod::Classic);
        QCOMPARE(rememberedFitMethod(), FitMethod::Classic);
        form1->Variableprojection1->trigger();
        QVERIFY(!form1->ClassicLevenbergMarquardt1->isChecked());
        QCOMPARE(form1->fitMethod(), FitMethod::VariableProjection);
        TForm1 next;
        restoreRememberedChoices(next);
        QCOMPARE(next.fitMethod(), FitMethod::VariableProjection);
        next.ClassicLevenbergMarquardt1->trigger();
        QCOMPARE(rememberedFitMethod(), FitMethod::Classic);
    }

    void startShowsTheVerdictBesideTheSumOfSquares() {
        loadTwoTraces();
        start("1", "3");
        QCOMPARE(errors, QStringList());
        QVERIFY(form1->VerdictLabel->toolTip().startsWith(QStringLiteral("Not converged: ")));
        QVERIFY(form1->VerdictLabel->x() > form1->Label1->x() + form1->Label1->width());
        QCOMPARE(form1->VerdictLabel->y(), form1->Label1->y());
        QVERIFY(form1->VerdictLabel->geometry().right() < form1->Edit10->x());

        form1->Variableprojection1->trigger();
        start("1", "30");
        QCOMPARE(errors, QStringList());
        QCOMPARE(form1->VerdictLabel->text(), QStringLiteral("Converged"));
        QCOMPARE(form1->Edit4->text(), QStringLiteral("2.00000E-5"));
        // Label1 keeps its designed text: the final sum in the 15-digit format.
        QCOMPARE(form1->Label1->text(),
                 QString::fromStdString(formatGeneral15(sumSquaredResiduals())));
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::MainWindowTest)
#include "main_window_test.moc"
