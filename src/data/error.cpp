#include "data/error.h"

#include <utility>

namespace quorvane {

QuorvaneError::QuorvaneError(std::string message, std::string detail)
    : std::runtime_error(message), message_(std::move(message)), detail_(std::move(detail)) {}

std::string errorBoxText(const std::string& message) {
    std::string text = message;
    if (text.empty() || text.back() != '.')
        text.push_back('.');
    return text;
}

QuorvaneError invalidFloatError(const std::string& text) {
    return QuorvaneError("'" + text + "' is not a valid floating point value");
}

QuorvaneError invalidIntegerError(const std::string& text) {
    return QuorvaneError("'" + text + "' is not a valid integer value");
}

}  // namespace quorvane
