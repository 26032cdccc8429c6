// The numbers of a matrix file, one cell or one blank-separated token at a
// time.
//
// Syntax: optional blanks or tabs (and a pair of double quotes around the
// rest, as spreadsheets may write every cell); an optional sign "+" or "-"; a decimal
// mantissa with at most one decimal mark, not empty; an optional exponent
// "E", "e", "D" or "d" (the Fortran forms 9.99999978E-03 and 1.0D-03) with an
// optional sign and at least one digit; optional blanks or tabs. The decimal
// mark is the point, and also the comma where the file's separator is not a
// comma. No hexadecimal, "inf" or "nan" forms, no thousands separators.
//
// Conversion is correctly rounded (std::from_chars): the value equals the
// decimal text's nearest double. A magnitude too small for a double reads
// as a signed 0, silently, like the number texts of number_text.h; one too
// large is refused.
#pragma once

#include <string_view>

namespace quorvane {

enum class CellKind {
    Number,   // a value of the syntax above
    Empty,    // nothing but blanks
    Invalid,  // looks like a number but is none: nan, inf, a value too large
    Text,     // anything else (a label, a unit, a date, a malformed number)
};

struct Cell {
    CellKind kind = CellKind::Empty;
    double value = 0;
};

// Reads one cell; the text may carry blanks and tabs around the number.
Cell readCell(std::string_view text, bool decimalComma);

// The text without leading and trailing blanks and tabs.
std::string_view trimBlanks(std::string_view text);

}  // namespace quorvane
