// The time axis of the main chart: the designed logarithmic axis over 1e-6 to
// 10 s, or one of the View menu's axes that follow the loaded traces' times.
//
// - Designed: logarithmic, fixed at 1e-6..10, labels "#e-" (as designed).
// - Logarithmic over the data: the positive times of the traces.
// - Linear over the data: every time, negative ones included.
// - Linear-logarithmic (axis_scale.h): linear from the earliest time to the
//   switch time w, logarithmic beyond it, one continuous axis; the slope is
//   the same on both sides of w, so a rise around time zero and decays over
//   decades are read on one picture.
// The three axes over the data keep every other setting of the designed one
// (ticks, colours, grids) and write their labels as plain decimals while
// they stay short ("-0.5", "0", "250", "1000"). Their range holds the
// traces' times only: the fitted curves do not widen it.
#pragma once

#include <QString>

#include "chart/axis_design.h"

namespace quorvane {

struct ResponseBoxes;

enum class TimeAxis { Designed, LogarithmicData, LinearData, LinearLogarithmic };

// The View menu's choices, in menu order: the axis, the action's designer
// name, its caption and the word the user's settings keep.
struct TimeAxisChoice {
    TimeAxis axis;
    const char* name;
    const char* caption;
    const char* settingsWord;
};

inline constexpr TimeAxisChoice kTimeAxisChoices[] = {
    {TimeAxis::Designed, "Designedtimeaxis1", "Designed (logarithmic, 1e-6 to 10)", "designed"},
    {TimeAxis::LogarithmicData, "Logarithmictimeaxis1", "Logarithmic, range of the data",
     "logarithmic"},
    {TimeAxis::LinearData, "Lineartimeaxis1", "Linear, range of the data", "linear"},
    {TimeAxis::LinearLogarithmic, "Linearlogarithmictimeaxis1", "Linear-logarithmic",
     "linear-logarithmic"},
};

// The main chart's bottom axis as designed.
AxisDesign designedTimeAxis();

// The bottom axis for `axis`; `switchTime` > 0 is used by the
// linear-logarithmic one only. The automatic span is left for the window to
// set (it knows which series are traces).
AxisDesign timeAxisDesign(TimeAxis axis, double switchTime);

// The switch time of the linear-logarithmic axis: the typed text when it is
// a number > 0 (and not so small that it is subnormal); otherwise (empty or
// not such a number) centre + 5 FWHM of the response's boxes when that is
// such a number, which puts the whole rise on the linear part; otherwise 1.
double linearLogarithmicSwitch(const QString& typed, const ResponseBoxes& response);

}  // namespace quorvane
