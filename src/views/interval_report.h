// The profile intervals of the time constants (fit/profile_intervals.h) as
// quorvane-fit --intervals prints them at the end of the Errors section and
// the saved report holds them:
//   95 % intervals, profile: S <= 2.41849698089819E-3       the threshold, general 15 digits
//   t1 = 1.00179E-5 in [9.98374E-6, 1.00521E-5]             t_j, its interval
//   t2 = 3.06366E-2 in [2.37640E-2, > 1.00000E-1]           a side not bounded
//   t2: upper: stopped where ...                            a side's note
// A side not bounded shows its limit after "<" (lower) or ">" (upper): the
// data do not exclude time constants beyond it. When there are no intervals:
// "95 % intervals, profile: " and the message. Numbers in the exponent
// format of the time constants, in the program's decimal separator.
#pragma once

#include <string>

#include "fit/profile_intervals.h"

namespace quorvane {

std::string intervalLines(const ProfileIntervals& intervals);

// "[9.98374E-6, 1.00521E-5]" (or with "< " / "> " before a limit), as the
// lines above and the Time constants window show it.
std::string intervalText(const TimeConstantInterval& interval);

}  // namespace quorvane
