#include "chart/log_axis_ticker.h"

#include <cmath>

namespace quorvane {

namespace {

// A label's width is that of this text plus this many pixels of space.
const QString kWidestLabel = QStringLiteral("8.88e-88");
constexpr int kLabelSpacing = 12;

}  // namespace

LogAxisTicker::LogAxisTicker(const QCPAxis& axis, LabelText labelText)
    : axis_(axis), labelText_(std::move(labelText)) {}

QVector<double> LogAxisTicker::createTickVector(double tickStep, const QCPRange& range) {
    zoomed_.clear();
    range_ = range;
    if (range.lower <= 0 || range.upper <= range.lower ||
        std::log10(range.upper / range.lower) >= kPowerOfTenDecades)
        return QCPAxisTickerLog::createTickVector(tickStep, range);
    const bool horizontal = axis_.orientation() == Qt::Horizontal;
    const QRect area = axis_.axisRect()->rect();
    const QFontMetrics metrics(axis_.tickLabelFont());
    const double labelPixels = horizontal ? metrics.horizontalAdvance(kWidestLabel) + kLabelSpacing
                                          : 2.0 * metrics.height();
    zoomed_ = logarithmicTicks(range.lower, range.upper, horizontal ? area.width() : area.height(),
                               labelPixels);
    QVector<double> values;
    values.reserve(static_cast<int>(zoomed_.size()));
    for (const Tick& tick : zoomed_)
        values.append(tick.value);
    return values;
}

QVector<double> LogAxisTicker::createSubTickVector(int subTickCount, const QVector<double>& ticks) {
    if (zoomed_.empty())
        return QCPAxisTickerLog::createSubTickVector(subTickCount, ticks);
    QVector<double> minors;
    for (double value : minorTicks(zoomed_, range_.lower, range_.upper))
        minors.append(value);
    return minors;
}

QString LogAxisTicker::getTickLabel(double tick, const QLocale& locale, QChar formatChar,
                                    int precision) {
    if (!labelText_)
        return QCPAxisTickerLog::getTickLabel(tick, locale, formatChar, precision);
    double resolution = 0;
    for (const Tick& zoomed : zoomed_) {
        if (zoomed.value == tick)
            resolution = zoomed.resolution;
    }
    return labelText_(tick, resolution);
}

}  // namespace quorvane
