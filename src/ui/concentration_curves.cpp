// The species' concentration profiles on the main chart (views/unit5.h asks
// for them through MainWindowLink): line series after every other, against
// the right axis "Concentration", 0 to 1, shown only while they are there.
#include <QColor>
#include <cmath>

#include "chart/chart.h"
#include "ui/unit1.h"
#include "views/unit5.h"

namespace quorvane {

namespace {

// The species' colours, beside the black traces and red fits.
const QColor kSpeciesColours[] = {QColor(0, 0, 255),   QColor(0, 150, 0),   QColor(200, 0, 200),
                                  QColor(230, 130, 0), QColor(0, 170, 190), QColor(130, 70, 20),
                                  QColor(110, 0, 170), QColor(120, 120, 0), QColor(90, 90, 90)};
constexpr int kSpeciesColourCount = sizeof kSpeciesColours / sizeof kSpeciesColours[0];

}  // namespace

std::vector<double> TForm1::timeAxisSamples(int count) const {
    const AxisScale scale = Chart1->axisDesign(AxisPosition::Bottom).scale();
    double lowest = Chart1->axisMinimum(AxisPosition::Bottom);
    double highest = Chart1->axisMaximum(AxisPosition::Bottom);
    if (!scale.places(lowest) || !scale.places(highest) || count < 2)
        return {};
    const double first = scale.position(lowest);
    const double last = scale.position(highest);
    std::vector<double> times;
    for (int i = 0; i < count; ++i)
        times.push_back(scale.value(first + (last - first) * i / (count - 1)));
    return times;
}

void TForm1::showConcentrations(const std::vector<ConcentrationCurve>& curves) {
    for (auto it = concentrationSeries_.rbegin(); it != concentrationSeries_.rend(); ++it)
        Chart1->freeSeries(*it);
    concentrationSeries_.clear();
    AxisDesign right;
    right.visible = !curves.empty();
    right.automatic = false;
    right.minimum = 0;
    right.maximum = 1;
    right.gridVisible = false;
    right.title = QStringLiteral("Concentration");
    Chart1->setAxisDesign(AxisPosition::Right, right);
    int species = 0;
    for (const ConcentrationCurve& curve : curves) {
        ChartSeries* series = Chart1->addLineSeries();
        series->setValueAxis(AxisPosition::Right);
        series->setTitle(QString::fromStdString(curve.title));
        series->setLineWidth(2);
        const QColor colour = kSpeciesColours[species++ % kSpeciesColourCount];
        for (std::size_t p = 0; p < curve.times.size() && p < curve.values.size(); ++p)
            series->addPoint(curve.times[p], curve.values[p], colour);
        concentrationSeries_.push_back(series);
    }
}

void TForm1::runWindowCommand(const std::function<void()>& command) {
    runCommand(command);
}

void TForm1::removeConcentrations() {
    if (concentrationSeries_.empty())
        return;
    showConcentrations({});
    if (form5_ != nullptr)
        form5_->concentrationsRemoved();
}

}  // namespace quorvane
