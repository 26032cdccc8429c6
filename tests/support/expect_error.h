// Running a step that is expected to be refused: its QuorvaneError's message
// (and detail), or a marker that nothing was thrown, so that a test states
// the whole expectation in one comparison.
#pragma once

#include <string>

#include "data/error.h"

namespace quorvane::testing {

// What errorOf returns when the step ran to its end.
inline const std::string kNoError = "(no error)";

// The message of the QuorvaneError that `step` throws, or kNoError.
template <typename Step>
std::string errorOf(Step&& step) {
    try {
        step();
    } catch (const QuorvaneError& error) {
        return error.message();
    }
    return kNoError;
}

// The same with the detail after a " | ": "message | detail".
template <typename Step>
std::string errorWithDetailOf(Step&& step) {
    try {
        step();
    } catch (const QuorvaneError& error) {
        return error.message() + " | " + error.detail();
    }
    return kNoError;
}

}  // namespace quorvane::testing
