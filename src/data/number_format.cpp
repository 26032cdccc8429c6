#include "data/number_format.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "data/number_text.h"

// Rounding. Every format rounds to nearest with halves away from zero on the
// exact value. The C library prints an extended value exactly when asked for
// enough digits, but rounds half to even at the last digit it prints, so the
// value is expanded to kExpansionDigits significant digits and the formats
// round that digit string themselves: the first dropped digit decides (>= 5
// rounds the magnitude up). The formats keep at most 15 digits, so the
// expansion's own rounding at its 61st digit matters only when it shows a 5
// followed by nothing but zeros: an exact half, or a value a hair below one
// that the expansion rounded up. That rare case is settled on the complete
// expansion (kExactDigits, every significant digit any extended value has:
// m * 2^-16445 with m < 2^64 has fewer than 11550).
//
// Printed expansions are read by their digits and their exponent only, never
// by the separator, so the C library's numeric locale does not matter.
namespace quorvane {

namespace {

constexpr int kExpansionDigits = 61;
constexpr int kExactDigits = 11600;

// Compacts printf's "%e" text of a magnitude in place to its digits (as
// characters, the separator skipped whatever it is) and returns the
// exponent; `digitCount` receives the number of digits.
int compactPrinted(char* text, int& digitCount) {
    int written = 0;
    const char* cursor = text;
    for (; *cursor != '\0' && *cursor != 'e'; ++cursor) {
        if (*cursor >= '0' && *cursor <= '9')
            text[written++] = *cursor;
    }
    digitCount = written;
    if (*cursor == 'e')
        ++cursor;
    const bool negative = *cursor == '-';
    if (*cursor == '-' || *cursor == '+')
        ++cursor;
    int exponent = 0;
    for (; *cursor >= '0' && *cursor <= '9'; ++cursor)
        exponent = exponent * 10 + (*cursor - '0');
    return negative ? -exponent : exponent;
}

// The digit at place 10^power of the exact decimal expansion of `magnitude`.
int exactDigitAtPower(long double magnitude, int power) {
    std::string text(kExactDigits + 32, '\0');
    std::snprintf(text.data(), text.size(), "%.*Le", kExactDigits - 1, magnitude);
    int digitCount = 0;
    const int exponent = compactPrinted(text.data(), digitCount);
    const int index = exponent - power;
    return index >= 0 && index < digitCount ? text[static_cast<std::size_t>(index)] - '0' : 0;
}

// A magnitude as significant digits: value = d[0].d[1]d[2]... x 10^exponent.
// `count` digits are kept (values 0..9, not characters), trailing zeros
// dropped; count == 0 is zero. `magnitude` is the value expanded.
struct Decimal {
    unsigned char digit[kExpansionDigits + 1];
    int count = 0;
    int exponent = 0;
    long double magnitude = 0.0L;

    bool isZero() const { return count == 0; }

    // Rounds half away from zero so that the last kept digit has the place
    // value 10^lowestPower; a carry out of the leading digit adds a digit
    // (exponent + 1) and keeps the lowest place. Trailing zeros are dropped.
    void roundToPower(int lowestPower) {
        const int keep = exponent - lowestPower + 1;
        if (keep < count) {
            bool roundUp = keep >= 0 && digit[keep] >= 5;
            if (roundUp && digit[keep] == 5 && count == keep + 1) {
                roundUp = exactDigitAtPower(magnitude, lowestPower - 1) >= 5;
            }
            count = keep < 0 ? 0 : keep;
            if (roundUp) {
                int position = count - 1;
                while (position >= 0 && digit[position] == 9) {
                    digit[position] = 0;
                    --position;
                }
                if (position >= 0) {
                    ++digit[position];
                } else {
                    // All kept digits were 9 (or none were kept): the result
                    // is one unit of the next higher place, 10^(lowestPower + count).
                    exponent = lowestPower + count;
                    digit[0] = 1;
                    count = 1;
                }
            }
        }
        while (count > 0 && digit[count - 1] == 0)
            --count;
    }

    // Digit at place value 10^power (0 outside the kept digits).
    int digitAtPower(int power) const {
        const int index = exponent - power;
        return index >= 0 && index < count ? digit[index] : 0;
    }
};

// The magnitude of a finite value, expanded to kExpansionDigits digits.
Decimal expand(long double value) {
    Decimal result;
    if (value == 0.0L)
        return result;
    result.magnitude = std::fabs(value);
    char text[kExpansionDigits + 32];
    std::snprintf(text, sizeof text, "%.*Le", kExpansionDigits - 1, result.magnitude);
    int digitCount = 0;
    result.exponent = compactPrinted(text, digitCount);
    for (int i = 0; i < digitCount && i < kExpansionDigits; ++i) {
        result.digit[i] = static_cast<unsigned char>(text[i] - '0');
    }
    result.count = digitCount < kExpansionDigits ? digitCount : kExpansionDigits;
    while (result.count > 0 && result.digit[result.count - 1] == 0)
        --result.count;
    return result;
}

// "NAN", "INF" or "-INF". Faults end a command before a non-finite value can
// be written, so these only keep a formatting call from producing nonsense.
std::string nonFiniteText(long double value) {
    if (std::isnan(value))
        return "NAN";
    return std::signbit(value) ? "-INF" : "INF";
}

void appendUnsigned(std::string& out, int number) {
    char text[16];
    const int length = std::snprintf(text, sizeof text, "%d", number);
    out.append(text, static_cast<std::size_t>(length));
}

// d[.ddd]E[-]n: the kept digits without trailing zeros, the separator only
// when digits follow it, no plus sign and no leading zeros in the exponent.
void appendScientific(std::string& out, const Decimal& number) {
    out.push_back(static_cast<char>('0' + number.digit[0]));
    if (number.count > 1) {
        out.push_back(decimalSeparator());
        for (int i = 1; i < number.count; ++i)
            out.push_back(static_cast<char>('0' + number.digit[i]));
    }
    out.push_back('E');
    if (number.exponent < 0)
        out.push_back('-');
    appendUnsigned(out, number.exponent < 0 ? -number.exponent : number.exponent);
}

// Fixed notation of a rounded magnitude: every place from the leading digit
// (or the units) down to 10^-decimals.
void appendFixed(std::string& out, const Decimal& number, int decimals) {
    const int highestPower = number.isZero() || number.exponent < 0 ? 0 : number.exponent;
    for (int power = highestPower; power >= 0; --power) {
        out.push_back(static_cast<char>('0' + number.digitAtPower(power)));
    }
    if (decimals <= 0)
        return;
    out.push_back(decimalSeparator());
    for (int power = -1; power >= -decimals; --power) {
        out.push_back(static_cast<char>('0' + number.digitAtPower(power)));
    }
}

}  // namespace

// Zero (either sign) is written "0.00000E+0".
std::string formatExponent6(long double value) {
    if (!std::isfinite(value))
        return nonFiniteText(value);
    Decimal number = expand(value);
    std::string out;
    out.reserve(16);
    if (number.isZero()) {
        number.digit[0] = 0;
        number.exponent = 0;
    } else {
        number.roundToPower(number.exponent - 5);
        if (std::signbit(value))
            out.push_back('-');
    }
    out.push_back(static_cast<char>('0' + number.digit[0]));
    out.push_back(decimalSeparator());
    for (int i = 1; i < 6; ++i)
        out.push_back(static_cast<char>('0' + (i < number.count ? number.digit[i] : 0)));
    out.push_back('E');
    out.push_back(number.exponent < 0 ? '-' : '+');
    appendUnsigned(out, number.exponent < 0 ? -number.exponent : number.exponent);
    return out;
}

// Zero (either sign) is written "0". The notation is chosen on the rounded
// value, so 0.0000999999999999999 (which rounds to 0.0001) is fixed.
std::string formatGeneral15(long double value) {
    if (!std::isfinite(value))
        return nonFiniteText(value);
    Decimal number = expand(value);
    if (number.isZero())
        return "0";
    number.roundToPower(number.exponent - 14);
    std::string out;
    out.reserve(24);
    if (std::signbit(value))
        out.push_back('-');
    if (number.exponent < -4 || number.exponent >= 15) {
        appendScientific(out, number);
        return out;
    }
    // Fixed: the integer places, then the fraction up to the last kept digit.
    const int lowestPower = number.exponent - number.count + 1;
    appendFixed(out, number, lowestPower < 0 ? -lowestPower : 0);
    return out;
}

// The kept places: 7 significant digits (down to 10^(e-6) for a leading digit
// at 10^e) or `decimals` decimals (down to 10^-decimals), whichever place is
// higher. The scientific fall-back is chosen on the rounded value, so
// 9999999.5 (which rounds to 10000000) is written "1E7".
std::string formatFixedRounded7(long double value, int decimals) {
    if (!std::isfinite(value))
        return nonFiniteText(value);
    Decimal number = expand(value);
    if (!number.isZero()) {
        const int sevenDigitsPower = number.exponent - 6;
        number.roundToPower(sevenDigitsPower > -decimals ? sevenDigitsPower : -decimals);
    }
    std::string out;
    out.reserve(static_cast<std::size_t>(decimals) + 12);
    if (!number.isZero() && std::signbit(value))
        out.push_back('-');
    if (!number.isZero() && number.exponent >= 7) {
        appendScientific(out, number);
        return out;
    }
    appendFixed(out, number, decimals);
    return out;
}

}  // namespace quorvane
