// Where values stand along an axis: a position for every value it can show,
// the positions spread evenly over the axis' pixels.
//
// - Linear: position = value.
// - Logarithmic: position = log10(value), for values > 0 only.
// - Linear-logarithmic with switch value w > 0: linear up to w, logarithmic
//   beyond it, continuing with the same position and the same slope at w:
//     s(x) = x                    for x <= w,
//     s(x) = w (1 + ln(x / w))    for x > w,
//   so ds/dx = 1 on both sides of w, and each decade beyond w spans w ln 10
//   positions. Every finite value has a position (negative times included).
//   Scaling the values and w by one factor scales every position by it: the
//   same data in femto- or picoseconds give the same picture.
#pragma once

namespace quorvane {

enum class AxisScaleKind { Linear, Logarithmic, LinearLogarithmic };

struct AxisScale {
    AxisScaleKind kind = AxisScaleKind::Linear;
    // The switch value w of a linear-logarithmic scale, > 0.
    double switchValue = 1;

    static AxisScale linear() { return {}; }
    static AxisScale logarithmic() { return {AxisScaleKind::Logarithmic, 1}; }
    static AxisScale linearLogarithmic(double switchValue) {
        return {AxisScaleKind::LinearLogarithmic, switchValue};
    }

    // The position of `value`, which the scale must place (places()).
    double position(double value) const;
    // The value at `position`: position(value(p)) == p up to rounding.
    double value(double position) const;
    // Whether `value` has a position: finite, and > 0 on a logarithmic scale.
    bool places(double value) const;

    bool operator==(const AxisScale&) const = default;
};

}  // namespace quorvane
