// Texts of the value labels on chart axes, by the number patterns that the
// charts' designs name. Both use the program's decimal separator.
#pragma once

#include <string>

namespace quorvane {

// Pattern "#e-": a whole-number mantissa, "e", a "-" only for negative
// exponents, the exponent without leading zeros: 1e-6 -> "1e-6", 10 -> "1e1",
// 1 -> "1e0", 2.5e-3 -> "3e-3" (mantissa rounded half away from zero).
// Zero gives "0e0".
// With a `resolution` > 0 (the spacing of neighbouring labels, on a zoomed
// axis) the mantissa keeps as many decimals as that spacing needs, trailing
// zeros dropped: 3.5e-5 at resolution 5e-6 -> "3.5e-5", 1.25e-5 at 1e-7 ->
// "1.25e-5", 4e-5 at 5e-6 -> "4e-5".
std::string formatPowerOfTenLabel(double value, double resolution = 0);

// Pattern "#,##0.######": at most six decimals (rounded half away from zero,
// trailing zeros dropped, no separator when none remain), at least one digit
// before the separator, thousands grouped by three; a value that rounds to
// zero has no sign. The grouping character is "," with the decimal point and
// "." with the decimal comma. -0.12 -> "-0.12", 1234.5 -> "1,234.5".
std::string formatGroupedDecimalLabel(double value);

// The time labels of the axes that follow the data's range: plain decimals
// with the digits the labels' spacing `resolution` needs while they need at
// most four ("-0.5", "0", "2", "1000"; 0.5 at resolution 0.5 -> "0.5"),
// otherwise the pattern "#e-" at that resolution ("1e-6", "2.5e-7"); from a
// million on always "#e-". Resolution 0 (the powers of ten of a logarithmic
// axis): the value's own first digit ("0.01", "100", "1e-6").
std::string formatTimeLabel(double value, double resolution);

}  // namespace quorvane
