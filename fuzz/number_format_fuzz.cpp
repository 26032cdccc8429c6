// Fuzzes the output formats with arbitrary extended values (10 bytes) and
// doubles (8 bytes), under both decimal separators. For every finite value:
//   - each text is a well-formed number text that the program's own parser
//     reads back without error;
//   - formatGeneral15 and formatExponent6 give back the value rounded to 15
//     and 6 significant digits (the C library's rounding of the same value,
//     except at exact halves, where the formats round away from zero and the
//     library to even);
//   - formatFixed5 and formatFixed6 give back the value to within half a unit of the
//     last place they keep;
// and the texts have the shape each format promises.
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "data/number_format.h"
#include "data/number_text.h"
#include "number_syntax.h"

namespace {

// The digits of a complete decimal expansion of any extended value (fewer
// than 11550 significant digits).
constexpr int kExactDigits = 11600;

[[noreturn]] void fail(const char* what, long double value, const std::string& text) {
    std::fprintf(stderr, "number_format_fuzz: %s: value %.21Lg (%La), text \"%s\"\n", what, value,
                 value, text.c_str());
    std::abort();
}

// The bytes as an extended value. The x87 format has an explicit integer bit
// that arithmetic keeps equal to "exponent is not zero"; encodings that break
// this rule (unnormals, pseudo-NaNs, pseudo-infinities) never come out of a
// computation and are normalised here.
long double extendedFromBytes(const std::uint8_t* bytes) {
    std::uint8_t raw[16] = {};
    std::memcpy(raw, bytes, 10);
    const bool exponentZero = raw[8] == 0 && (raw[9] & 0x7f) == 0;
    if (exponentZero) {
        raw[7] &= 0x7f;
    } else {
        raw[7] |= 0x80;
    }
    long double value;
    std::memcpy(&value, raw, sizeof value);
    return value;
}

// The value rounded to `digits` significant digits by the C library (half to
// even on the exact value), read back.
long double libraryRounded(long double value, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*Le", digits - 1, value);
    return std::strtold(text, nullptr);
}

// True when the exact value lies exactly halfway between two numbers of
// `digits` significant digits: its complete expansion shows a 5 at digit
// digits+1 followed by nothing but zeros.
bool isExactHalf(long double value, int digits) {
    static std::string text(kExactDigits + 32, '\0');
    std::snprintf(text.data(), text.size(), "%.*Le", kExactDigits - 1, std::fabs(value));
    // text: d.ddddd...e+XX; digit k (1-based) is at index k for k >= 2.
    const std::size_t exponentMark = text.find('e');
    const std::size_t halfDigit = static_cast<std::size_t>(digits) + 1;
    if (text[halfDigit] != '5')
        return false;
    for (std::size_t i = halfDigit + 1; i < exponentMark; ++i) {
        if (text[i] != '0')
            return false;
    }
    return true;
}

// The value rounded half away from zero: the exact half printed with its
// digits+1 significant digits, its final 5 made a 6, rounded by the library.
long double roundedAwayFromZero(long double value, int digits) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*Le", digits, std::fabs(value));
    char* mark = std::strchr(text, 'e');
    mark[-1] = '6';
    const long double away = libraryRounded(std::strtold(text, nullptr), digits);
    return std::signbit(value) ? -away : away;
}

// Checks that `parsed` is the value rounded to `digits` significant digits.
bool isRoundedToDigits(long double parsed, long double value, int digits) {
    if (parsed == libraryRounded(value, digits))
        return true;
    return isExactHalf(value, digits) && parsed == roundedAwayFromZero(value, digits);
}

// The power of ten of the leading digit of a non-zero value.
int leadingPowerOf(long double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.40Le", std::fabs(value));
    return std::atoi(std::strchr(text, 'e') + 1);
}

long double parseBack(long double value, const std::string& text) {
    if (!quorvane::fuzz::readReferenceNumber(text, quorvane::decimalSeparator()))
        fail("text is not a well-formed number", value, text);
    const std::optional<long double> parsed = quorvane::parseExtended(text);
    if (!parsed)
        fail("text does not parse back", value, text);
    return *parsed;
}

// d<sep>ddddd E (+|-) exponent without leading zeros, with a leading "-"
// only for negative values.
void checkExponent6Shape(long double value, const std::string& text) {
    std::size_t at = 0;
    if (std::signbit(value) && value != 0) {
        if (text[at] != '-')
            fail("exponent format lost the sign", value, text);
        ++at;
    }
    const std::string body = text.substr(at);
    if (body.size() < 10 || body[1] != quorvane::decimalSeparator() || body[7] != 'E' ||
        (body[8] != '+' && body[8] != '-'))
        fail("exponent format shape", value, text);
    if (body.size() > 10 && body[9] == '0')
        fail("exponent with a leading zero", value, text);
}

void checkGeneral15Shape(long double value, const std::string& text) {
    int significant = 0;
    bool leading = true;
    for (const char ch : text) {
        if (ch == 'E')
            break;
        if (ch >= '1' && ch <= '9')
            leading = false;
        if (ch >= '0' && ch <= '9' && !leading)
            ++significant;
    }
    if (significant > 15)
        fail("more than 15 significant digits", value, text);
    const std::size_t separator = text.find(quorvane::decimalSeparator());
    const std::size_t mark = text.find('E');
    const std::size_t mantissaEnd = mark == std::string::npos ? text.size() : mark;
    if (separator != std::string::npos && text[mantissaEnd - 1] == '0')
        fail("trailing zero after the separator", value, text);
    if (text.find('+') != std::string::npos)
        fail("general format with a plus sign", value, text);
}

// formatFixed5 / formatFixed6: within half a unit of the kept place, which is the
// 7th significant digit or the last decimal, whichever is higher.
void checkFixed7(long double value, const std::string& text, int decimals) {
    const long double parsed = parseBack(value, text);
    if (value == 0) {
        if (parsed != 0)
            fail("zero not written as zero", value, text);
        return;
    }
    const int leadingPower = leadingPowerOf(value);
    const int keptPower = leadingPower - 6 > -decimals ? leadingPower - 6 : -decimals;
    // The slack covers the reading's own rounding to the nearest extended.
    const long double unit = std::pow(10.0L, static_cast<long double>(keptPower));
    if (!(std::fabs(parsed - value) <= 0.5L * unit * (1 + 1e-12L) + std::fabs(value) * 1e-18L))
        fail("fixed format too far from the value", value, text);
    if (text.size() > 1 && text[0] == '-' && parsed == 0)
        fail("minus sign on a zero", value, text);
    const std::size_t mark = text.find('E');
    if (mark == std::string::npos) {
        const std::size_t separator = text.find(quorvane::decimalSeparator());
        if (separator == std::string::npos ||
            text.size() - separator - 1 != static_cast<std::size_t>(decimals))
            fail("fixed format with the wrong number of decimals", value, text);
    } else if (std::fabs(parsed) < 1e7L) {
        fail("scientific fall-back below 1e7", value, text);
    }
}

void checkValue(long double value) {
    const std::string general = quorvane::formatGeneral15(value);
    const std::string exponent = quorvane::formatExponent6(value);
    const std::string fixed5 = quorvane::formatFixed5(value);
    const std::string fixed6 = quorvane::formatFixed6(value);
    if (!std::isfinite(value))
        return;  // written as NAN / INF, never read back

    checkGeneral15Shape(value, general);
    if (value == 0) {
        if (general != "0")
            fail("zero in the general format", value, general);
    } else if (!isRoundedToDigits(parseBack(value, general), value, 15)) {
        fail("general format is not the value to 15 digits", value, general);
    }

    checkExponent6Shape(value, exponent);
    if (value != 0 && !isRoundedToDigits(parseBack(value, exponent), value, 6))
        fail("exponent format is not the value to 6 digits", value, exponent);

    checkFixed7(value, fixed5, 5);
    checkFixed7(value, fixed6, 6);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    for (const char separator : {'.', ','}) {
        quorvane::setDecimalSeparator(separator);
        if (size >= 10)
            checkValue(extendedFromBytes(data));
        if (size >= 8) {
            double asDouble;
            std::memcpy(&asDouble, data + (size >= 18 ? 10 : 0), sizeof asDouble);
            checkValue(asDouble);
        }
    }
    return 0;
}
