// quorvane-fit's option of the profile intervals:
//   --intervals   the Errors section, printed and saved, ends with the 95 %
//                 profile intervals of the time constants
//                 (views/interval_report.h)
#pragma once

#include <string>

namespace quorvane {

// Takes `argument` when it is the option above, setting `intervals`.
bool parseIntervalOption(const std::string& argument, bool& intervals);

// The lines of --help for it.
std::string intervalOptionsHelp();

}  // namespace quorvane
