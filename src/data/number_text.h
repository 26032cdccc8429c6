// Number texts typed by the user or read from trace files.
//
// Syntax (the same for every number the program reads):
//   optional blanks (space, code 32); an optional sign "+" or "-"; a mantissa
//   of digits with at most one decimal separator, not empty (a lone separator
//   reads as 0); an optional exponent: "E" or "e", an optional sign and digits
//   (no digits read as exponent 0); optional blanks. Nothing else: no
//   thousands separators, no "inf", "nan" or hexadecimal forms.
// The decimal separator is one character, set once from the environment's
// numeric locale (a point or a comma).
//
// Conversion is correctly rounded to the target type (the text is normalised
// and handed to the C library's conversion in the "C" locale). A value too
// large for its type is refused like a malformed text; an underflow reads as
// 0 or a denormal, silently.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace quorvane {

char decimalSeparator();
void setDecimalSeparator(char separator);

// The decimal separator of the environment's numeric locale (LC_ALL,
// LC_NUMERIC, LANG as the C library resolves them); '.' when the locale is
// unknown or its separator is not a single point or comma.
char decimalSeparatorFromEnvironment();

// The parsers return no value when the text is not a number of the syntax
// above or is out of range for the type.
std::optional<double> parseDouble(std::string_view text);
std::optional<long double> parseExtended(std::string_view text);
// Integers: optional blanks, optional sign, digits, optional blanks; int32.
std::optional<std::int32_t> parseInteger(std::string_view text);

// The same, throwing QuorvaneError "'%s' is not a valid floating point value"
// or "'%s' is not a valid integer value" with the text itself.
double textToDouble(std::string_view text);
long double textToExtended(std::string_view text);
std::int32_t textToInteger(std::string_view text);

}  // namespace quorvane
