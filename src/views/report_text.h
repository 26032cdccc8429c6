// Shared text helpers of the result views.
#pragma once

#include <string>
#include <string_view>

#include "data/workspace.h"

namespace quorvane {

// The blocks as the last Start laid them out: layoutComponentCount
// components over the curves loaded now. The views read ParameterVector
// through its index rules.
inline ParameterLayout reportLayout() {
    return ParameterLayout{workspace.layoutComponentCount, workspace.curveCount};
}

// `prefix` followed by `number` as plain decimal text: ("Serie", 2) -> "Serie2".
std::string textWithNumber(std::string_view prefix, int number);

// "t1".."t9": the label of time constant k in the views' headers and titles.
std::string timeConstantLabel(int k);

}  // namespace quorvane
