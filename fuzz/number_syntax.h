// An independent reading of the number-text syntax, written apart from the
// program's parser so that the fuzz targets can cross-check it:
//   blanks* [+|-] mantissa [(E|e) [+|-] digits*] blanks*
// where the mantissa is digits with at most one decimal separator and is not
// empty (a lone separator is 0). Blanks are spaces (code 32) only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvane::fuzz {

struct ReferenceNumber {
    // The same number for the C library in the "C" locale:
    // [-]digits.digits[e[-]digits], always with a point.
    std::string cText;
    // The power of ten of the leading non-zero digit, the exponent included
    // (clamped to +-10^8 for absurd exponents); meaningless when isZero.
    long long leadingPower = 0;
    bool isZero = true;
};

// No value when `text` is not of the syntax above under `separator`.
std::optional<ReferenceNumber> readReferenceNumber(std::string_view text, char separator);

// Integers: blanks* [+|-] digits+ blanks*, and the value within int32.
// `syntaxValid` tells a malformed text from one out of range.
std::optional<std::int32_t> readReferenceInteger(std::string_view text, bool& syntaxValid);

}  // namespace quorvane::fuzz
