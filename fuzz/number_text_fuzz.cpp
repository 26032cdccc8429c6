// Fuzzes the number parsers with arbitrary bytes under both decimal
// separators. Each text must be accepted exactly when the independent reading
// (number_syntax.h) finds it well formed and its value finite in the target
// type, with the value the C library gives the same number; a refused text
// must throw the exact user message with the text itself.
#include <locale.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "data/error.h"
#include "data/number_text.h"
#include "number_syntax.h"

namespace {

using quorvane::fuzz::ReferenceNumber;

// The largest power of ten of a leading digit whose value is surely finite,
// and the smallest one whose value surely overflows: DBL_MAX = 1.8e308,
// LDBL_MAX = 1.19e4932. The power in between is settled by the C library.
constexpr long long kDoubleSurelyFinite = 307;
constexpr long long kDoubleSurelyOverflows = 309;
constexpr long long kExtendedSurelyFinite = 4931;
constexpr long long kExtendedSurelyOverflows = 4933;

locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

[[noreturn]] void fail(const char* what, std::string_view text, char separator) {
    std::fprintf(stderr, "number_text_fuzz: %s (separator '%c', %zu bytes)\n", what, separator,
                 text.size());
    std::abort();
}

template <typename Value>
bool sameBits(Value a, Value b) {
    return std::memcmp(&a, &b, sizeof(Value) == 16 ? 10 : sizeof(Value)) == 0;
}

template <typename Value>
void checkThrows(Value (*convert)(std::string_view), std::string_view text,
                 const std::string& expected, char separator) {
    try {
        convert(text);
    } catch (const quorvane::QuorvaneError& error) {
        if (error.message() != expected)
            fail("wrong refusal message", text, separator);
        return;
    }
    fail("refused text converted without error", text, separator);
}

// Overflow decides between a surely finite and a surely overflowing leading
// power; the power in between by the C library's own conversion.
bool expectFinite(const ReferenceNumber& number, long long surelyFinite, long long surelyOverflows,
                  bool libraryOverflows) {
    if (number.isZero || number.leadingPower <= surelyFinite)
        return true;
    if (number.leadingPower >= surelyOverflows)
        return false;
    return !libraryOverflows;
}

void checkFloatingPoint(std::string_view text, char separator) {
    const std::optional<ReferenceNumber> reference =
        quorvane::fuzz::readReferenceNumber(text, separator);
    const std::optional<double> asDouble = quorvane::parseDouble(text);
    const std::optional<long double> asExtended = quorvane::parseExtended(text);
    const std::string refusal = "'" + std::string(text) + "' is not a valid floating point value";

    if (!reference) {
        if (asDouble || asExtended)
            fail("malformed text accepted", text, separator);
        checkThrows(quorvane::textToDouble, text, refusal, separator);
        checkThrows(quorvane::textToExtended, text, refusal, separator);
        return;
    }

    const double libraryDouble = strtod_l(reference->cText.c_str(), nullptr, cLocale());
    const long double libraryExtended = strtold_l(reference->cText.c_str(), nullptr, cLocale());

    if (expectFinite(*reference, kDoubleSurelyFinite, kDoubleSurelyOverflows,
                     std::isinf(libraryDouble))) {
        if (!asDouble)
            fail("well-formed finite double refused", text, separator);
        if (!sameBits(*asDouble, libraryDouble))
            fail("double value differs", text, separator);
        if (quorvane::textToDouble(text) != *asDouble)
            fail("textToDouble differs", text, separator);
    } else {
        if (asDouble)
            fail("overflowing double accepted", text, separator);
        checkThrows(quorvane::textToDouble, text, refusal, separator);
    }

    if (expectFinite(*reference, kExtendedSurelyFinite, kExtendedSurelyOverflows,
                     std::isinf(libraryExtended))) {
        if (!asExtended)
            fail("well-formed finite extended refused", text, separator);
        if (!sameBits(*asExtended, libraryExtended))
            fail("extended value differs", text, separator);
    } else {
        if (asExtended)
            fail("overflowing extended accepted", text, separator);
        checkThrows(quorvane::textToExtended, text, refusal, separator);
    }
}

void checkInteger(std::string_view text, char separator) {
    bool syntaxValid = false;
    const std::optional<std::int32_t> reference =
        quorvane::fuzz::readReferenceInteger(text, syntaxValid);
    const std::optional<std::int32_t> parsed = quorvane::parseInteger(text);
    if (reference != parsed)
        fail("integer differs from the reference", text, separator);
    if (!parsed) {
        checkThrows(quorvane::textToInteger, text,
                    "'" + std::string(text) + "' is not a valid integer value", separator);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const char separator : {'.', ','}) {
        quorvane::setDecimalSeparator(separator);
        checkFloatingPoint(text, separator);
        checkInteger(text, separator);
    }
    return 0;
}
