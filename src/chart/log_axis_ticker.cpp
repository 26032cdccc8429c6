#include "chart/log_axis_ticker.h"

#include <algorithm>
#include <cmath>

namespace quorvane {

namespace {

// Ranges of at least this many decades show powers of ten only.
constexpr double kPowerOfTenDecades = 3;
// A label's width is that of this text plus this many pixels of space.
const QString kWidestLabel = QStringLiteral("8.88e-88");
constexpr int kLabelSpacing = 12;
// Ticks closer than this fraction of their step count as one.
constexpr double kTolerance = 1e-9;

// The smallest of 1, 2, 5 times a power of ten that is >= minimum > 0.
double niceStepAtLeast(double minimum) {
    const double power = std::pow(10.0, std::floor(std::log10(minimum)));
    for (double mantissa : {1.0, 2.0, 5.0, 10.0}) {
        if (mantissa * power >= minimum * (1 - kTolerance))
            return mantissa * power;
    }
    return 10 * power;
}

// The minor step of a labelled step: a fifth of steps 1 and 5, a quarter
// of step 2 (times a power of ten).
double minorStep(double step) {
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + kTolerance));
    return std::fabs(mantissa - 2) < 0.5 ? step / 4 : step / 5;
}

// The labelled ticks of a zoomed range [lower, upper], 0 < lower < upper,
// on an axis `pixels` long with labels `labelPixels` wide, ascending.
std::vector<LogAxisTicker::Tick> zoomedTicks(double lower, double upper, double pixels,
                                             double labelPixels) {
    const double decades = std::log10(upper / lower);
    // Two labels at v - s and v stand log10(v / (v - s)) decades apart;
    // that must be at least `gap` decades.
    const double gap = labelPixels * decades / std::max(1.0, pixels);
    std::vector<LogAxisTicker::Tick> ticks;
    int exponent = static_cast<int>(std::floor(std::log10(lower)));
    for (double power = std::pow(10.0, exponent); power <= upper * (1 + kTolerance);
         power = std::pow(10.0, ++exponent)) {
        // The decade in the segments [1, 2), [2, 5) and [5, 10) times its
        // power; each segment's step is set by its upper end.
        for (const auto& [from, to] : {std::pair{1.0, 2.0}, {2.0, 5.0}, {5.0, 10.0}}) {
            const double start = from * power;
            const double end = to * power;
            if (start > upper * (1 + kTolerance))
                break;
            if (end <= lower * (1 - kTolerance))
                continue;
            const double top = std::min(end, upper);
            const double step = niceStepAtLeast(top * (1 - std::pow(10.0, -gap)));
            // The segment's start, then the multiples of the step above it
            // that keep the gap to the next segment's start (5 is no
            // multiple of 2).
            if (start >= lower * (1 - kTolerance))
                ticks.push_back({start, step});
            const double last = end * std::pow(10.0, -gap);
            for (double k = std::ceil(std::max(start, lower) / step * (1 - kTolerance));; ++k) {
                const double value = k * step;
                if (value > std::min({last, upper}) * (1 + kTolerance) ||
                    value >= end * (1 - kTolerance))
                    break;
                if (value > start * (1 + kTolerance))
                    ticks.push_back({value, step});
            }
        }
    }
    return ticks;
}

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
    zoomed_ = zoomedTicks(range.lower, range.upper, horizontal ? area.width() : area.height(),
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
    // Between two neighbouring ticks, and before the first and after the
    // last, the multiples of the finer step of the left tick's step (of the
    // first tick's before it).
    QVector<double> minors;
    const auto addMinors = [&minors](double from, double to, double step) {
        const double minor = minorStep(step);
        for (double k = std::floor(from / minor * (1 + kTolerance)) + 1;
             k * minor < to * (1 - kTolerance); ++k)
            minors.append(k * minor);
    };
    addMinors(range_.lower, zoomed_.front().value, zoomed_.front().resolution);
    for (std::size_t i = 0; i + 1 < zoomed_.size(); ++i)
        addMinors(zoomed_[i].value, zoomed_[i + 1].value, zoomed_[i].resolution);
    addMinors(zoomed_.back().value, range_.upper, zoomed_.back().resolution);
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
