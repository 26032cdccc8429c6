#include "chart/linear_logarithmic_ticker.h"

#include <algorithm>

#include "chart/axis_ticks.h"

namespace quorvane {

namespace {

// Space between two labels, in pixels, and the label a first placement
// assumes; the placement is redone once when a real label is wider.
constexpr int kLabelSpacing = 12;
const QString kTypicalLabel = QStringLiteral("-8.88");

}  // namespace

LinearLogarithmicTicker::LinearLogarithmicTicker(const QCPAxis& axis, double switchValue,
                                                 LabelText labelText)
    : axis_(axis),
      scale_(AxisScale::linearLogarithmic(switchValue)),
      labelText_(std::move(labelText)) {}

void LinearLogarithmicTicker::generate(const QCPRange& range, const QLocale& locale,
                                       QChar formatChar, int precision, QVector<double>& ticks,
                                       QVector<double>* subTicks, QVector<QString>* tickLabels) {
    ticks.clear();
    if (subTicks != nullptr)
        subTicks->clear();
    if (tickLabels != nullptr)
        tickLabels->clear();
    const double lower = scale_.value(range.lower);
    const double upper = scale_.value(range.upper);
    if (!(lower < upper) || !std::isfinite(lower) || !std::isfinite(upper))
        return;
    const bool horizontal = axis_.orientation() == Qt::Horizontal;
    const QRect area = axis_.axisRect()->rect();
    const double pixels = horizontal ? area.width() : area.height();
    const QFontMetrics metrics(axis_.tickLabelFont());

    const auto labelPixels = [&](const QString& label) {
        return horizontal ? metrics.horizontalAdvance(label) + kLabelSpacing
                          : 2.0 * metrics.height();
    };
    const auto place = [&](double pixelsPerLabel, QVector<QString>& labels, double& widest) {
        AxisTicks placed =
            linearLogarithmicTicks(scale_.switchValue, lower, upper, pixels, pixelsPerLabel);
        labels.clear();
        widest = 0;
        for (const AxisTick& tick : placed.labelled) {
            labels.append(labelText_ ? labelText_(tick.value, tick.resolution)
                                     : QCPAxisTicker::getTickLabel(tick.value, locale, formatChar,
                                                                   precision));
            widest = std::max(widest, labelPixels(labels.back()));
        }
        return placed;
    };
    const double assumed = labelPixels(kTypicalLabel);
    QVector<QString> labels;
    double widest = 0;
    AxisTicks placed = place(assumed, labels, widest);
    if (widest > assumed)
        placed = place(widest, labels, widest);

    for (const AxisTick& tick : placed.labelled)
        ticks.append(scale_.position(tick.value));
    if (subTicks != nullptr) {
        for (double value : placed.minor)
            subTicks->append(scale_.position(value));
    }
    if (tickLabels != nullptr)
        *tickLabels = labels;
}

}  // namespace quorvane
