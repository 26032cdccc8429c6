#include "views/report_text.h"

namespace quorvane {

std::string timeConstantLabel(int k) {
    return "t" + std::to_string(k);
}

}  // namespace quorvane
