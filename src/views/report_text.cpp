#include "views/report_text.h"

namespace quorvane {

// Built by appending: `"literal" + std::to_string(n)` trips a false -Wrestrict
// of GCC 12 at -O2.
std::string textWithNumber(std::string_view prefix, int number) {
    std::string text(prefix);
    text += std::to_string(number);
    return text;
}

std::string timeConstantLabel(int k) {
    return textWithNumber("t", k);
}

}  // namespace quorvane
