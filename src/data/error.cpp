#include "data/error.h"

#include <cerrno>
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

QuorvaneError fileSystemError(int errorNumber) {
    switch (errorNumber) {
        case ENOENT:
            return QuorvaneError("File not found");
        case EACCES:
        case EPERM:
        case EISDIR:
            return QuorvaneError("File access denied");
        default:
            return QuorvaneError("I/O error " + std::to_string(errorNumber));
    }
}

}  // namespace quorvane
