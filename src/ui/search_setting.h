// Whether Start searches for the lowest minimum (Tools > "Search for the
// lowest minimum"), kept between runs of the program in the user's settings
// (fit_method_setting.h) under the key "searchLowestMinimum".
#pragma once

namespace quorvane {

void rememberMinimumSearch(bool on);

// False when nothing is stored.
bool rememberedMinimumSearch();

}  // namespace quorvane
