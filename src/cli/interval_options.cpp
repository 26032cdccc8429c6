#include "cli/interval_options.h"

namespace quorvane {

bool parseIntervalOption(const std::string& argument, bool& intervals) {
    if (argument != "--intervals")
        return false;
    intervals = true;
    return true;
}

std::string intervalOptionsHelp() {
    return "  --intervals      the Errors section ends with the 95 % intervals of the time\n"
           "                   constants from the profile of the sum of squares (not with\n"
           "                   the instrument response)\n";
}

}  // namespace quorvane
