// Where the ticks of an axis stand, free of the plotting component: the
// labelled ticks with the spacing their labels need, and the minor ticks
// between them. Used by the logarithmic ticker of the 2-D charts
// (log_axis_ticker.h) and the linear-logarithmic ticker
// (linear_logarithmic_ticker.h).
//
// Every function gets the range lower < upper in values, the axis' length in
// pixels and the pixels a label needs (its width plus some space); labels
// never stand closer than that.
#pragma once

#include <vector>

namespace quorvane {

// A labelled tick and the spacing of the labels near it (0 where the labels
// are the powers of ten of a logarithmic axis).
struct AxisTick {
    double value;
    double resolution;
};

struct AxisTicks {
    std::vector<AxisTick> labelled;  // ascending
    std::vector<double> minor;       // ascending, none on a labelled tick
};

// Logarithmic ranges of at least this many decades show powers of ten only
// (log_axis_ticker.h).
inline constexpr double kPowerOfTenDecades = 3;

// The smallest of 1, 2 or 5 times a power of ten that is >= minimum > 0.
double niceStepAtLeast(double minimum);

// Linear ticks: the multiples of the smallest step of 1, 2 or 5 times a
// power of ten at which labels keep their distance; minor ticks divide each
// step into 5 (steps 1 and 5) or 4 (step 2) parts.
AxisTicks linearTicks(double lower, double upper, double pixels, double labelPixels);

// Logarithmic ticks of a range of fewer decades, 0 < lower: each decade is
// cut at 1, 2 and 5 times its power of ten; labelled ticks stand at these
// cuts and at the multiples of a step chosen per segment, the smallest of 1,
// 2 or 5 times a power of ten at which two labels at the segment's upper end
// (or the range's, if lower) stand a label apart. The step grows along the
// axis, so that labels keep their spacing where the scale crowds them.
std::vector<AxisTick> logarithmicTicks(double lower, double upper, double pixels,
                                       double labelPixels);

// The minor ticks of labelled ticks placed by logarithmicTicks (or
// linearTicks): between two neighbours, and before the first and after the
// last inside [lower, upper], the multiples of the minor step of the left
// tick's resolution (of the first tick's before it). None without ticks.
std::vector<double> minorTicks(const std::vector<AxisTick>& labelled, double lower, double upper);

// Ticks of a linear-logarithmic axis with switch value `switchValue` > 0
// (axis_scale.h). Beyond the switch: the powers of ten with minor ticks at
// 2..9 times them where labels at 1, 2 and 5 times a power would stand
// closer than a label's width (every k-th power labelled where even a power
// per decade would crowd), otherwise logarithmicTicks. Up to the switch: linearTicks, each kept
// only where it stands a label away from the first tick beyond the switch.
AxisTicks linearLogarithmicTicks(double switchValue, double lower, double upper, double pixels,
                                 double labelPixels);

}  // namespace quorvane
