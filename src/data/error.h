// The one error type of Quorvane. Every refused command and every fault ends
// the running command by throwing it; the window (or the batch command) shows
// the user-facing message, nothing else is reported.
#pragma once

#include <stdexcept>
#include <string>

namespace quorvane {

class QuorvaneError : public std::runtime_error {
  public:
    // message: the text the user sees, as the system words it (for instance
    // "'abc' is not a valid floating point value"). detail: optional context
    // (file and line) shown beside it, never part of the message itself.
    explicit QuorvaneError(std::string message, std::string detail = {});

    const std::string& message() const { return message_; }
    const std::string& detail() const { return detail_; }

  private:
    std::string message_;
    std::string detail_;
};

// The text of the error box: the message, with a full stop appended when it
// does not already end with one.
std::string errorBoxText(const std::string& message);

// Runs `step` and returns its result. A QuorvaneError it raises without a
// detail is raised again with `detail` (where the fault is, for instance the
// box whose text was read); one with a detail passes unchanged.
template <typename Step>
decltype(auto) withErrorDetail(const std::string& detail, Step&& step) {
    try {
        return step();
    } catch (const QuorvaneError& error) {
        if (!error.detail().empty())
            throw;
        throw QuorvaneError(error.message(), detail);
    }
}

// "'%s' is not a valid floating point value" and "'%s' is not a valid integer
// value" with the offending text.
QuorvaneError invalidFloatError(const std::string& text);
QuorvaneError invalidIntegerError(const std::string& text);

// The error of a file that cannot be opened or read, from its errno:
// "File not found", "File access denied" or "I/O error %d".
QuorvaneError fileSystemError(int errorNumber);

}  // namespace quorvane
