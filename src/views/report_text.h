// Shared text helpers of the result views.
#pragma once

#include <string>

namespace quorvane {

// "t1".."t9": the label of time constant k in the views' headers and titles.
std::string timeConstantLabel(int k);

}  // namespace quorvane
