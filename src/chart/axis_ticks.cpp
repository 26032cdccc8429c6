#include "chart/axis_ticks.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

#include "chart/axis_scale.h"

namespace quorvane {

namespace {

// Ticks closer than this fraction of their step count as one.
constexpr double kTolerance = 1e-9;
// Beyond the switch of a linear-logarithmic axis, a decade narrower than
// this many labels shows its power of ten only: labels at 1, 2 and 5 times
// a power stand log10(2) decades apart at the closest.
const double kLabelsPerCutDecade = 1 / std::log10(2.0);

// The minor step of a labelled step: a fifth of steps 1 and 5, a quarter
// of step 2 (times a power of ten).
double minorStep(double step) {
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + kTolerance));
    return std::fabs(mantissa - 2) < 0.5 ? step / 4 : step / 5;
}

// `minor` without the values that a labelled tick stands on, sorted.
std::vector<double> withoutLabelled(std::vector<double> minor,
                                    const std::vector<AxisTick>& labelled) {
    std::sort(minor.begin(), minor.end());
    std::erase_if(minor, [&labelled](double value) {
        return std::any_of(labelled.begin(), labelled.end(), [value](const AxisTick& tick) {
            return std::fabs(tick.value - value) <= kTolerance * std::fabs(value);
        });
    });
    return minor;
}

// Beyond the switch over narrow decades: the powers of ten in [lower,
// upper], every `every`-th labelled and the others minor, with minor ticks
// at 2..9 times each power.
AxisTicks powersOfTen(double lower, double upper, int every) {
    AxisTicks ticks;
    for (int exponent = static_cast<int>(std::floor(std::log10(lower)));
         std::pow(10.0, exponent) <= upper * (1 + kTolerance); ++exponent) {
        const double power = std::pow(10.0, exponent);
        for (int multiple = 1; multiple <= 9; ++multiple) {
            const double value = multiple * power;
            if (value < lower * (1 - kTolerance) || value > upper * (1 + kTolerance))
                continue;
            if (multiple == 1 && (exponent % every + every) % every == 0)
                ticks.labelled.push_back({value, 0});
            else
                ticks.minor.push_back(value);
        }
    }
    return ticks;
}

}  // namespace

double niceStepAtLeast(double minimum) {
    const double power = std::pow(10.0, std::floor(std::log10(minimum)));
    for (double mantissa : {1.0, 2.0, 5.0, 10.0}) {
        if (mantissa * power >= minimum * (1 - kTolerance))
            return mantissa * power;
    }
    return 10 * power;
}

AxisTicks linearTicks(double lower, double upper, double pixels, double labelPixels) {
    const double step = niceStepAtLeast(labelPixels * (upper - lower) / std::max(1.0, pixels));
    AxisTicks ticks;
    for (double k = std::ceil(lower / step - kTolerance); k * step <= upper + kTolerance * step;
         ++k)
        // 0 exactly, not a rounding residue of it.
        ticks.labelled.push_back({k == 0 ? 0.0 : k * step, step});
    ticks.minor = withoutLabelled(minorTicks(ticks.labelled, lower, upper), ticks.labelled);
    return ticks;
}

std::vector<AxisTick> logarithmicTicks(double lower, double upper, double pixels,
                                       double labelPixels) {
    const double decades = std::log10(upper / lower);
    // Two labels at v - s and v stand log10(v / (v - s)) decades apart;
    // that must be at least `gap` decades.
    const double gap = labelPixels * decades / std::max(1.0, pixels);
    std::vector<AxisTick> ticks;
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

std::vector<double> minorTicks(const std::vector<AxisTick>& labelled, double lower, double upper) {
    std::vector<double> minors;
    if (labelled.empty())
        return minors;
    const auto addMinors = [&minors](double from, double to, double step) {
        const double minor = minorStep(step);
        for (double k = std::floor(from / minor * (1 + kTolerance)) + 1;
             k * minor < to * (1 - kTolerance); ++k)
            minors.push_back(k * minor);
    };
    addMinors(lower, labelled.front().value, labelled.front().resolution);
    for (std::size_t i = 0; i + 1 < labelled.size(); ++i)
        addMinors(labelled[i].value, labelled[i + 1].value, labelled[i].resolution);
    addMinors(labelled.back().value, upper, labelled.back().resolution);
    return minors;
}

AxisTicks linearLogarithmicTicks(double switchValue, double lower, double upper, double pixels,
                                 double labelPixels) {
    const AxisScale scale = AxisScale::linearLogarithmic(switchValue);
    const double pixelsPerPosition =
        std::max(1.0, pixels) / (scale.position(upper) - scale.position(lower));
    // Positions a label needs.
    const double labelSpan = labelPixels / pixelsPerPosition;

    AxisTicks ticks;
    if (upper > switchValue) {
        const double from = std::max(lower, switchValue);
        const double decadePositions = switchValue * std::numbers::ln10;
        if (decadePositions < kLabelsPerCutDecade * labelSpan) {
            const int every =
                std::max(1, static_cast<int>(std::ceil(labelSpan / decadePositions - kTolerance)));
            ticks = powersOfTen(from, upper, every);
        } else {
            const double logPixels =
                (scale.position(upper) - scale.position(from)) * pixelsPerPosition;
            ticks.labelled = logarithmicTicks(from, upper, logPixels, labelPixels);
            ticks.minor = minorTicks(ticks.labelled, from, upper);
        }
    }
    if (lower < switchValue) {
        const double to = std::min(upper, switchValue);
        const AxisTicks linear =
            linearTicks(lower, to, (to - lower) * pixelsPerPosition, labelPixels);
        // The linear part's ticks come before every tick beyond the switch.
        std::vector<AxisTick> labelled;
        // A tick too close to the first one beyond the switch stays a minor one.
        const double firstBeyond = ticks.labelled.empty()
                                       ? std::numeric_limits<double>::infinity()
                                       : scale.position(ticks.labelled.front().value);
        for (const AxisTick& tick : linear.labelled) {
            if (firstBeyond - tick.value >= labelSpan * (1 - kTolerance))
                labelled.push_back(tick);
            else
                ticks.minor.push_back(tick.value);
        }
        labelled.insert(labelled.end(), ticks.labelled.begin(), ticks.labelled.end());
        ticks.labelled = std::move(labelled);
        ticks.minor.insert(ticks.minor.end(), linear.minor.begin(), linear.minor.end());
    }
    ticks.minor = withoutLabelled(std::move(ticks.minor), ticks.labelled);
    return ticks;
}

}  // namespace quorvane
