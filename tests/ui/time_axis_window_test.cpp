// The View menu's time axes of the main chart, the instrument-response
// dialog, and both remembered between runs; the classic method greyed out
// while the response is on.
#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <cmath>

#include "chart/chart.h"
#include "fit/fit_driver.h"
#include "fit/model.h"
#include "support/main_window_fixture.h"
#include "ui/response_dialog.h"
#include "ui/view_settings.h"

namespace quorvane {

namespace {

// Every field of `boxes` in one text, so that a lost field shows.
QString describe(const ResponseBoxes& boxes) {
    QStringList fields = {
        QString::number(boxes.enabled),   QString::fromStdString(boxes.fwhm),
        QString::number(boxes.fitFwhm),   QString::fromStdString(boxes.centre),
        QString::number(boxes.fitCentre), QString::fromStdString(boxes.dispersionOrder)};
    for (std::size_t i = 0; i < boxes.dispersion.size(); ++i)
        fields << QString::fromStdString(boxes.dispersion[i])
               << QString::number(boxes.fitDispersion[i]);
    fields << QString::fromStdString(boxes.referenceWavelength) << QString::number(boxes.step);
    return fields.join('|');
}

// Every field away from its default.
ResponseBoxes typedResponse() {
    return ResponseBoxes{.enabled = true,
                         .fwhm = "0.12",
                         .fitFwhm = false,
                         .centre = "0.4",
                         .fitCentre = false,
                         .dispersionOrder = "3",
                         .dispersion = {"0.3", "0.15", "-0.02", "7"},
                         .fitDispersion = {false, true, false, true},
                         .referenceWavelength = "575",
                         .step = true};
}

}  // namespace

class TimeAxisWindowTest : public QObject, private testing::MainWindowFixture {
    Q_OBJECT

  private:
    QAction* choice(const char* name) { return form1->findChild<QAction*>(name); }

  private slots:
    void init() { createWindow(); }
    void cleanup() { destroyWindow(); }

    void anAxisOverTheDataHoldsTheTracesTimesOnly() {
        // Times from -1 to 1000, as ultrafast data are measured.
        open({writeTrace(QStringLiteral("500.txt"), "-1 0\n0.5 0.02\n3 0.01\n1000 0.001\n")});
        for (const char* name : {"Lineartimeaxis1", "Linearlogarithmictimeaxis1"}) {
            choice(name)->trigger();
            // A series that is no trace (a fitted curve) does not widen it
            // beyond the margin of a twentieth of the span.
            ChartSeries* fitted = form1->Chart1->addLineSeries();
            fitted->addPoint(-500, 0, Qt::red);
            fitted->addPoint(1e5, 0, Qt::red);
            form1->Chart1->redraw();
            const double lowest = form1->Chart1->axisMinimum(AxisPosition::Bottom);
            const double highest = form1->Chart1->axisMaximum(AxisPosition::Bottom);
            QVERIFY2(lowest < -1 && lowest > -100, name);
            QVERIFY2(highest > 1000 && highest < 2000, name);
            form1->Chart1->freeSeries(fitted);
        }
        choice("Logarithmictimeaxis1")->trigger();
        form1->Chart1->redraw();
        QVERIFY(form1->Chart1->axisMinimum(AxisPosition::Bottom) > 0.3);
        choice("Designedtimeaxis1")->trigger();
        QCOMPARE(form1->Chart1->axisMinimum(AxisPosition::Bottom), 1e-6);
        QCOMPARE(form1->Chart1->axisMaximum(AxisPosition::Bottom), 10.0);
    }

    void fittedCurvesOverTheDataSpanTheTraceTimes() {
        QByteArray trace;
        for (int i = 0; i < 30; ++i) {
            const double t = 0.5 * std::pow(2000.0, i / 29.0);
            trace += QByteArray::number(t, 'g', 17) + ' ' +
                     QByteArray::number(0.01 * std::exp(-t / 20), 'g', 17) + '\n';
        }
        open({writeTrace(QStringLiteral("500.txt"), trace)});
        choice("Linearlogarithmictimeaxis1")->trigger();
        form1->Edit4->setText(QStringLiteral("10"));
        start(QStringLiteral("1"), QStringLiteral("10"));
        QVERIFY(errors.isEmpty());
        const ChartSeries* fitted = form1->Chart1->series(1);
        QCOMPARE(fitted->pointCount(), 30);
        QCOMPARE(fitted->point(0).x, 0.5);
        const double last = form1->Chart1->series(0)->point(29).x;
        QCOMPARE(fitted->point(29).x, last);
        QCOMPARE(fitted->point(29).y, static_cast<double>(evaluateModelAt(1, last)));
        // The designed axis draws them on the designed grid again.
        choice("Designedtimeaxis1")->trigger();
        QCOMPARE(form1->Chart1->seriesCount(), 2);
        QCOMPARE(form1->Chart1->series(1)->pointCount(), kPlotGridPoints);
    }

    void theSwitchTimeIsTypedOrFollowsTheResponse() {
        ResponseBoxes response;
        response.centre = "0.4";
        response.fwhm = "0.12";
        struct Row {
            const char* typed;
            ResponseBoxes response;
            double switchTime;
        };
        ResponseBoxes negative = response;
        negative.centre = "-2";
        for (const auto& [typed, boxes, expected] :
             std::vector<Row>{{"", response, 0.4 + 5 * 0.12},
                              {"2.5", response, 2.5},
                              {"0", response, 0.4 + 5 * 0.12},
                              {"1e-320", response, 0.4 + 5 * 0.12},
                              {"abc", ResponseBoxes{}, 0.5},
                              {"", negative, 1}})
            QCOMPARE(linearLogarithmicSwitch(QString::fromLatin1(typed), boxes), expected);

        choice("Linearlogarithmictimeaxis1")->trigger();
        form1->userInteraction().chooseSwitchTime = [](TForm1&, const QString&, double) {
            return std::optional<QString>(QStringLiteral(" 3 "));
        };
        form1->Switchtime1->trigger();
        QCOMPARE(form1->Chart1->axisDesign(AxisPosition::Bottom).linearLogarithmicSwitch, 3.0);
    }

    void theTimeAxisAndTheResponseAreRememberedAtTheNextStart() {
        choice("Linearlogarithmictimeaxis1")->trigger();
        form1->userInteraction().chooseSwitchTime = [](TForm1&, const QString&, double) {
            return std::optional<QString>(QStringLiteral("2"));
        };
        form1->Switchtime1->trigger();
        form1->userInteraction().editResponse = [](TForm1&, ResponseBoxes& boxes) {
            boxes = typedResponse();
            return true;
        };
        form1->Instrumentresponse1->trigger();

        TForm1 next;
        createResultWindows(next);
        restoreRememberedChoices(next);
        QCOMPARE(next.timeAxis(), TimeAxis::LinearLogarithmic);
        QVERIFY(next.findChild<QAction*>("Linearlogarithmictimeaxis1")->isChecked());
        QCOMPARE(next.Chart1->axisDesign(AxisPosition::Bottom).linearLogarithmicSwitch, 2.0);
        QCOMPARE(describe(next.response()), describe(typedResponse()));
    }

    void theDialogRoundTripsEveryBox() {
        for (const ResponseBoxes& boxes : {ResponseBoxes{}, typedResponse()}) {
            ResponseDialog dialog(boxes);
            QCOMPARE(describe(dialog.boxes()), describe(boxes));
        }
        // The coefficients past the order, and everything while off, grey out.
        ResponseDialog dialog(typedResponse());
        auto* order = dialog.findChild<QSpinBox*>("dispersionOrder");
        order->setValue(1);
        QVERIFY(dialog.findChild<QLineEdit*>("dispersion1")->isEnabled());
        QVERIFY(!dialog.findChild<QLineEdit*>("dispersion2")->isEnabled());
        QCOMPARE(dialog.boxes().dispersionOrder, std::string("1"));
        QCOMPARE(dialog.boxes().dispersion[2], std::string("-0.02"));
        dialog.findChild<QCheckBox*>("responseEnabled")->setChecked(false);
        QVERIFY(!dialog.findChild<QLineEdit*>("fwhm")->isEnabled());
    }

    void theResponseGreysTheClassicMethodOutAndStartsUseProjection() {
        form1->userInteraction().editResponse = [](TForm1&, ResponseBoxes& boxes) {
            boxes.enabled = !boxes.enabled;
            return true;
        };
        form1->Instrumentresponse1->trigger();
        QVERIFY(!form1->ClassicLevenbergMarquardt1->isEnabled());
        QVERIFY(!form1->ClassicLevenbergMarquardt1->toolTip().isEmpty());
        QCOMPARE(form1->fitMethod(), FitMethod::VariableProjection);
        // Off again: the method checked before comes back.
        form1->Instrumentresponse1->trigger();
        QVERIFY(form1->ClassicLevenbergMarquardt1->isEnabled());
        QCOMPARE(form1->fitMethod(), FitMethod::Classic);
        // A cancelled dialog changes nothing.
        form1->userInteraction().editResponse = [](TForm1&, ResponseBoxes& boxes) {
            boxes.enabled = true;
            return false;
        };
        form1->Instrumentresponse1->trigger();
        QVERIFY(!form1->response().enabled);
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::TimeAxisWindowTest)
#include "time_axis_window_test.moc"
