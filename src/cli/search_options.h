// quorvane-fit's option of the search for the lowest minimum:
//   --search [COUNT]   Start by variable projection from the typed time
//                      constants and from COUNT further starts (default 8 per
//                      component, fit/minimum_search.h); the lowest result is
//                      printed as usual, the minima found go to standard error
// COUNT is taken when the next argument is a whole number (0..10000). With
// --search the method is variable projection; --method classic is refused.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "fit/fit_method.h"

namespace quorvane {

inline constexpr int kLargestSearchCount = 10000;

struct SearchRequest {
    bool wanted = false;
    int extraStarts = -1;  // -1: the default count
};

// Takes arguments[i] (and a COUNT after it, moving i on) when it is
// --search; false otherwise.
bool parseSearchOption(const std::vector<std::string>& arguments, std::size_t& i,
                       SearchRequest& search);

// After every argument: false with `problem` set when --method classic was
// given with --search; otherwise, with --search, the method becomes variable
// projection.
bool finishSearchOption(const SearchRequest& search, bool methodGiven, FitMethod& method,
                        std::string& problem);

// The lines of --help for it.
std::string searchOptionsHelp();

}  // namespace quorvane
