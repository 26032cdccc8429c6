#include "data/matrix_number.h"

#include <charconv>
#include <string>

namespace quorvane {

namespace {

bool isDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

bool isBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

char lower(char ch) {
    return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch;
}

bool startsWithWord(std::string_view text, std::string_view word) {
    if (text.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (lower(text[i]) != word[i])
            return false;
    }
    return true;
}

// After the sign: "nan", "inf", "infinity" in any case, with or without a
// payload ("nan(ind)"), as C libraries and spreadsheets write them.
bool isNonFiniteWord(std::string_view unsignedText) {
    return startsWithWord(unsignedText, "nan") || startsWithWord(unsignedText, "inf");
}

// On a range error std::from_chars does not tell an underflow from an
// overflow; the decimal exponent of the text does. `digits` is the unsigned
// mantissa and exponent, as checked by checkSyntax.
bool isUnderflow(std::string_view digits) {
    long position = 0;  // decimal exponent of the first non-zero digit, plus one
    bool seenPoint = false;
    bool seenNonZero = false;
    std::size_t i = 0;
    for (; i < digits.size() && (isDigit(digits[i]) || digits[i] == '.'); ++i) {
        if (digits[i] == '.') {
            seenPoint = true;
        } else if (!seenNonZero) {
            if (digits[i] != '0') {
                seenNonZero = true;
                if (!seenPoint)
                    ++position;
            } else if (seenPoint) {
                --position;
            }
        } else if (!seenPoint) {
            ++position;
        }
    }
    long exponent = 0;
    if (i < digits.size()) {
        ++i;  // the exponent letter
        const bool negative = i < digits.size() && digits[i] == '-';
        if (i < digits.size() && (digits[i] == '-' || digits[i] == '+'))
            ++i;
        for (; i < digits.size() && exponent < 100000; ++i)
            exponent = exponent * 10 + (digits[i] - '0');
        if (negative)
            exponent = -exponent;
    }
    return position + exponent < 0;
}

// Checks "digits[mark digits][exponent [sign] digits]" with at least one
// mantissa digit; the mark is the point, or the comma with a decimal comma,
// the exponent letter e, E, d or D. Says whether the text must be rewritten
// (comma to point, D to e) before std::from_chars can read it.
bool checkSyntax(std::string_view text, bool decimalComma, bool& rewrite) {
    std::size_t i = 0;
    bool mantissaDigit = false;
    bool mark = false;
    rewrite = false;
    for (; i < text.size(); ++i) {
        const char ch = text[i];
        if (isDigit(ch)) {
            mantissaDigit = true;
        } else if (!mark && (ch == '.' || (ch == ',' && decimalComma))) {
            mark = true;
            rewrite = ch == ',';
        } else {
            break;
        }
    }
    if (!mantissaDigit)
        return false;
    if (i == text.size())
        return true;
    const char letter = lower(text[i]);
    if (letter != 'e' && letter != 'd')
        return false;
    rewrite = rewrite || letter == 'd';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        ++i;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i) {
        if (!isDigit(text[i]))
            return false;
    }
    return true;
}

}  // namespace

std::string_view trimBlanks(std::string_view text) {
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

Cell readCell(std::string_view text, bool decimalComma) {
    text = trimBlanks(text);
    // A spreadsheet may quote every cell.
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = trimBlanks(text.substr(1, text.size() - 2));
    if (text.empty())
        return {CellKind::Empty, 0};
    bool negative = false;
    std::string_view body = text;
    if (body[0] == '+' || body[0] == '-') {
        negative = body[0] == '-';
        body.remove_prefix(1);
    }
    if (body.empty())
        return {CellKind::Text, 0};
    if (isNonFiniteWord(body))
        return {CellKind::Invalid, 0};

    bool rewrite = false;
    if (!checkSyntax(body, decimalComma, rewrite))
        return {CellKind::Text, 0};
    // A decimal comma or a Fortran D exponent is rewritten into a copy that
    // std::from_chars reads; the common case converts in place.
    std::string rewritten;
    if (rewrite) {
        rewritten.assign(body);
        for (char& ch : rewritten) {
            if (ch == ',')
                ch = '.';
            else if (ch == 'd' || ch == 'D')
                ch = 'e';
        }
        body = rewritten;
    }

    double value = 0;
    const auto [end, error] =
        std::from_chars(body.data(), body.data() + body.size(), value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        if (!isUnderflow(body))
            return {CellKind::Invalid, 0};
        value = 0;
    } else if (error != std::errc() || end != body.data() + body.size()) {
        return {CellKind::Text, 0};
    }
    return {CellKind::Number, negative ? -value : value};
}

}  // namespace quorvane
