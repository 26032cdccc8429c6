#include "number_syntax.h"

namespace quorvane::fuzz {

namespace {

bool digit(char ch) {
    return ch >= '0' && ch <= '9';
}

// The text between leading and trailing blanks.
std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::string_view takeDigits(std::string_view& rest) {
    std::size_t count = 0;
    while (count < rest.size() && digit(rest[count]))
        ++count;
    const std::string_view digits = rest.substr(0, count);
    rest.remove_prefix(count);
    return digits;
}

}  // namespace

std::optional<ReferenceNumber> readReferenceNumber(std::string_view text, char separator) {
    std::string_view rest = trimBlanks(text);
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    const std::string_view integerDigits = takeDigits(rest);
    std::string_view fractionDigits;
    bool separatorSeen = false;
    if (!rest.empty() && rest.front() == separator) {
        separatorSeen = true;
        rest.remove_prefix(1);
        fractionDigits = takeDigits(rest);
    }
    if (integerDigits.empty() && !separatorSeen)
        return std::nullopt;

    bool exponentNegative = false;
    std::string_view exponentDigits;
    if (!rest.empty() && (rest.front() == 'e' || rest.front() == 'E')) {
        rest.remove_prefix(1);
        if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
            exponentNegative = rest.front() == '-';
            rest.remove_prefix(1);
        }
        exponentDigits = takeDigits(rest);
    }
    if (!rest.empty())
        return std::nullopt;

    ReferenceNumber number;
    number.cText = negative ? "-" : "";
    number.cText += integerDigits.empty() ? std::string_view("0") : integerDigits;
    number.cText += '.';
    number.cText += fractionDigits.empty() ? std::string_view("0") : fractionDigits;

    long long exponent = 0;
    const std::size_t exponentStart = exponentDigits.find_first_not_of('0');
    if (exponentStart != std::string_view::npos) {
        const std::string_view significant = exponentDigits.substr(exponentStart);
        if (significant.size() > 8) {
            exponent = 100000000;
        } else {
            for (const char ch : significant)
                exponent = exponent * 10 + (ch - '0');
        }
        if (exponentNegative)
            exponent = -exponent;
        number.cText += exponentNegative ? "e-" : "e";
        number.cText += significant;
    }

    const std::string allDigits = std::string(integerDigits) + std::string(fractionDigits);
    const std::size_t firstNonZero = allDigits.find_first_not_of('0');
    if (firstNonZero != std::string::npos) {
        number.isZero = false;
        number.leadingPower = static_cast<long long>(integerDigits.size()) -
                              static_cast<long long>(firstNonZero) - 1 + exponent;
    }
    return number;
}

std::optional<std::int32_t> readReferenceInteger(std::string_view text, bool& syntaxValid) {
    std::string_view rest = trimBlanks(text);
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    const std::string_view digits = takeDigits(rest);
    syntaxValid = !digits.empty() && rest.empty();
    if (!syntaxValid)
        return std::nullopt;
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string_view::npos)
        return 0;
    if (digits.size() - first > 10)
        return std::nullopt;
    long long value = 0;
    for (const char ch : digits.substr(first))
        value = value * 10 + (ch - '0');
    if (negative)
        value = -value;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

}  // namespace quorvane::fuzz
