#include "cli/search_options.h"

#include <algorithm>
#include <cctype>

namespace quorvane {

bool parseSearchOption(const std::vector<std::string>& arguments, std::size_t& i,
                       SearchRequest& search) {
    if (arguments[i] != "--search")
        return false;
    search.wanted = true;
    if (i + 1 < arguments.size()) {
        const std::string& next = arguments[i + 1];
        const bool digits = !next.empty() && next.size() <= 5 &&
                            std::all_of(next.begin(), next.end(),
                                        [](unsigned char c) { return std::isdigit(c) != 0; });
        if (digits && std::stoi(next) <= kLargestSearchCount) {
            search.extraStarts = std::stoi(next);
            ++i;
        }
    }
    return true;
}

bool finishSearchOption(const SearchRequest& search, bool methodGiven, FitMethod& method,
                        std::string& problem) {
    if (!search.wanted)
        return true;
    if (methodGiven && method == FitMethod::Classic) {
        problem = "--search fits by variable projection: it cannot be used with --method classic";
        return false;
    }
    method = FitMethod::VariableProjection;
    return true;
}

std::string searchOptionsHelp() {
    return "  --search [COUNT] fit by variable projection from the typed time constants and\n"
           "                   from COUNT further starts spread over the data's times\n"
           "                   (default 8 per component); print the lowest result and, on\n"
           "                   standard error, the distinct minima found\n";
}

}  // namespace quorvane
