#include "data/number_text.h"

#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cfenv>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "data/error.h"
#include "data/floating_point.h"

namespace quorvane {

namespace {

char currentSeparator = '.';

locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

bool isDigit(char ch) {
    return ch >= '0' && ch <= '9';
}

// Checks the syntax and writes the normalised form "[-]digits[.digits][e[-]digits]"
// (C-locale point, exponent digits as typed) into `out`. The buffer is a
// fixed stack array for ordinary texts; only texts longer than it (hundreds of
// digits) fall back to the heap.
class Normalised {
  public:
    bool build(std::string_view text) {
        std::size_t pos = 0;
        const std::size_t end = text.size();
        while (pos < end && text[pos] == ' ')
            ++pos;
        std::size_t last = end;
        while (last > pos && text[last - 1] == ' ')
            --last;
        if (pos < last && (text[pos] == '+' || text[pos] == '-')) {
            if (text[pos] == '-')
                put('-');
            ++pos;
        }
        bool separatorSeen = false;
        bool digitSeen = false;
        bool mantissaSeen = false;
        while (pos < last && (isDigit(text[pos]) || text[pos] == currentSeparator)) {
            if (text[pos] == currentSeparator) {
                if (separatorSeen)
                    return false;
                separatorSeen = true;
                if (!digitSeen)
                    put('0');
                put('.');
            } else {
                digitSeen = true;
                put(text[pos]);
            }
            mantissaSeen = true;
            ++pos;
        }
        if (!mantissaSeen)
            return false;
        if (!digitSeen)
            put('0');  // a lone separator reads as 0
        if (pos < last && (text[pos] == 'E' || text[pos] == 'e')) {
            ++pos;
            bool negative = false;
            if (pos < last && (text[pos] == '+' || text[pos] == '-')) {
                negative = text[pos] == '-';
                ++pos;
            }
            const std::size_t digitsStart = pos;
            while (pos < last && isDigit(text[pos]))
                ++pos;
            if (pos > digitsStart) {
                put('e');
                if (negative)
                    put('-');
                for (std::size_t i = digitsStart; i < pos; ++i)
                    put(text[i]);
            }
        }
        return pos == last;
    }

    const char* c_str() {
        put('\0');
        return heap_.empty() ? stack_ : heap_.c_str();
    }

    std::string_view view() const {
        return heap_.empty() ? std::string_view(stack_, length_) : std::string_view(heap_);
    }

  private:
    void put(char ch) {
        if (heap_.empty() && length_ < sizeof stack_) {
            stack_[length_++] = ch;
            return;
        }
        if (heap_.empty())
            heap_.assign(stack_, length_);
        heap_.push_back(ch);
    }

    char stack_[128];
    std::size_t length_ = 0;
    std::string heap_;
};

}  // namespace

char decimalSeparator() {
    return currentSeparator;
}

void setDecimalSeparator(char separator) {
    currentSeparator = separator;
}

char decimalSeparatorFromEnvironment() {
    const locale_t environment = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(0));
    if (environment == static_cast<locale_t>(0))
        return '.';
    const char* radix = nl_langinfo_l(RADIXCHAR, environment);
    char separator = '.';
    if (radix != nullptr && radix[0] == ',' && radix[1] == '\0')
        separator = ',';
    freelocale(environment);
    return separator;
}

namespace {

// Converts a normalised text with `convert` (strtod_l or strtold_l in the C
// locale). An overflow to infinity refuses the text. The conversion raises
// the inexact and underflow flags, which pass silently, and on an overflow
// the overflow flag, which is cleared again unless it was raised before, so
// that a refused text leaves no fault behind for the next command's checks.
// (Holding and restoring the whole environment instead cost about as much
// as the conversion itself.)
template <typename Value>
std::optional<Value> convertNormalised(Normalised& normalised,
                                       Value (*convert)(const char*, char**, locale_t)) {
    const FloatingPointFaults before = raisedFloatingPointFaults();
    errno = 0;
    const Value value = convert(normalised.c_str(), nullptr, cLocale());
    if (errno == ERANGE && std::isinf(value)) {
        const FloatingPointFaults raised = raisedFloatingPointFaults() & ~before;
        if (raised != 0)
            std::feclearexcept(raised);
        return std::nullopt;
    }
    return value;
}

}  // namespace

// std::from_chars rounds correctly like strtod, raises no flag and takes a
// fraction of its time (the bulk of reading a trace file); it refuses
// results out of range, which strtod then sorts into underflow (accepted)
// and overflow (refused).
std::optional<double> parseDouble(std::string_view text) {
    Normalised normalised;
    if (!normalised.build(text))
        return std::nullopt;
    const std::string_view digits = normalised.view();
    double value;
    const std::from_chars_result result =
        std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (result.ec == std::errc() && result.ptr == digits.data() + digits.size())
        return value;
    return convertNormalised<double>(normalised, strtod_l);
}

std::optional<long double> parseExtended(std::string_view text) {
    Normalised normalised;
    if (!normalised.build(text))
        return std::nullopt;
    return convertNormalised<long double>(normalised, strtold_l);
}

std::optional<std::int32_t> parseInteger(std::string_view text) {
    std::size_t pos = 0;
    std::size_t last = text.size();
    while (pos < last && text[pos] == ' ')
        ++pos;
    while (last > pos && text[last - 1] == ' ')
        --last;
    bool negative = false;
    if (pos < last && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    if (pos == last)
        return std::nullopt;
    long long magnitude = 0;
    for (; pos < last; ++pos) {
        if (!isDigit(text[pos]))
            return std::nullopt;
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > static_cast<long long>(INT32_MAX) + 1)
            return std::nullopt;
    }
    const long long value = negative ? -magnitude : magnitude;
    if (value > INT32_MAX || value < INT32_MIN)
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

double textToDouble(std::string_view text) {
    const std::optional<double> value = parseDouble(text);
    if (!value)
        throw invalidFloatError(std::string(text));
    return *value;
}

long double textToExtended(std::string_view text) {
    const std::optional<long double> value = parseExtended(text);
    if (!value)
        throw invalidFloatError(std::string(text));
    return *value;
}

std::int32_t textToInteger(std::string_view text) {
    const std::optional<std::int32_t> value = parseInteger(text);
    if (!value)
        throw invalidIntegerError(std::string(text));
    return *value;
}

}  // namespace quorvane
