#include "data/number_format.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>

#include "data/number_text.h"

namespace quorvane {
namespace {

// Every case runs with the point unless it sets the comma itself.
class NumberFormat : public ::testing::Test {
  protected:
    void SetUp() override { setDecimalSeparator('.'); }
    void TearDown() override { setDecimalSeparator('.'); }
};

constexpr long double kInfinity = std::numeric_limits<long double>::infinity();
constexpr long double kNan = std::numeric_limits<long double>::quiet_NaN();

// Halves below are exact binary values whose decimal expansion ends in a 5
// right after the last kept digit, with an even digit before it, so that
// half-to-even (printf) and half-away-from-zero give different texts.
TEST_F(NumberFormat, Examples) {
    const struct {
        std::string (*format)(long double);
        long double value;
        const char* text;
    } cases[] = {
        // One digit, five decimals, "E", the sign, the exponent.
        {formatExponent6, 0.00001L, "1.00000E-5"},
        {formatExponent6, 0.01234567L, "1.23457E-2"},
        {formatExponent6, 2.5L, "2.50000E+0"},
        {formatExponent6, -2.5L, "-2.50000E+0"},
        {formatExponent6, 123456789.0L, "1.23457E+8"},
        {formatExponent6, 1e-10L, "1.00000E-10"},
        {formatExponent6, 3e100L, "3.00000E+100"},
        // Halves away from zero; 105/64; below the half; the extended value of
        // 1.0000005 lies just below the half.
        {formatExponent6, 1234565.0L, "1.23457E+6"},
        {formatExponent6, -1234565.0L, "-1.23457E+6"},
        {formatExponent6, 1.640625L, "1.64063E+0"},
        {formatExponent6, 1234564.5L, "1.23456E+6"},
        {formatExponent6, 1.0000005L, "1.00000E+0"},
        // Carries into a new digit (the extended 9.999995 lies just above the half).
        {formatExponent6, 9999995.0L, "1.00000E+7"},
        {formatExponent6, 9.999995L, "1.00000E+1"},
        {formatExponent6, 0.000999999999L, "1.00000E-3"},
        {formatExponent6, -9.9999951L, "-1.00000E+1"},
        {formatExponent6, 0.0L, "0.00000E+0"},
        {formatExponent6, -0.0L, "0.00000E+0"},
        {formatExponent6, LDBL_MAX, "1.18973E+4932"},
        {formatExponent6, -LDBL_MAX, "-1.18973E+4932"},
        {formatExponent6, LDBL_TRUE_MIN, "3.64520E-4951"},
        {formatExponent6, LDBL_MIN, "3.36210E-4932"},
        {formatExponent6, kInfinity, "INF"},
        {formatExponent6, -kInfinity, "-INF"},
        {formatExponent6, kNan, "NAN"},
        // 15 significant digits, trailing zeros removed; fixed for 0.0001 <=
        // |v| < 1e15, scientific without "+" otherwise.
        {formatGeneral15, 0.0001L, "0.0001"},
        {formatGeneral15, 0.00001L, "1E-5"},
        {formatGeneral15, 1.5e-5L, "1.5E-5"},
        {formatGeneral15, 1e15L, "1E15"},
        {formatGeneral15, -2.5e20L, "-2.5E20"},
        {formatGeneral15, 999999999999999.0L, "999999999999999"},
        {formatGeneral15, 123.456L, "123.456"},
        {formatGeneral15, 100.0L, "100"},
        {formatGeneral15, -0.5L, "-0.5"},
        {formatGeneral15, 1.0L / 3.0L, "0.333333333333333"},
        {formatGeneral15, 2.0L / 3.0L, "0.666666666666667"},
        {formatGeneral15, 0.000123456789012345678L, "0.000123456789012346"},
        {formatGeneral15, 1.23456789012345678e-7L, "1.23456789012346E-7"},
        {formatGeneral15, 1.25e300L, "1.25E300"},
        // The notation is decided on the rounded value.
        {formatGeneral15, 999999999999999.5L, "1E15"},
        {formatGeneral15, -999999999999999.5L, "-1E15"},
        {formatGeneral15, 9.99999999999999999e-5L, "0.0001"},
        {formatGeneral15, 9.9999999999999e-5L, "9.9999999999999E-5"},
        // Halves away from zero; 0.5 + 2^-60 lies far below the 15th digit.
        {formatGeneral15, 1234567890123445.0L, "1.23456789012345E15"},
        {formatGeneral15, -1234567890123445.0L, "-1.23456789012345E15"},
        {formatGeneral15, 12345678901234.25L, "12345678901234.3"},
        {formatGeneral15, 0.5L + 0x1p-60L, "0.5"},
        {formatGeneral15, 0.0L, "0"},
        {formatGeneral15, -0.0L, "0"},
        {formatGeneral15, LDBL_MAX, "1.18973149535723E4932"},
        {formatGeneral15, LDBL_TRUE_MIN, "3.64519953188247E-4951"},
        {formatGeneral15, kInfinity, "INF"},
        {formatGeneral15, kNan, "NAN"},
        // Fixed, 5 or 6 decimals, after rounding to 7 significant digits or
        // to the decimals, whichever keeps fewer.
        {formatFixed5, 123.456789L, "123.45680"},
        {formatFixed5, -0.5L, "-0.50000"},
        {formatFixed5, 0.000012345L, "0.00001"},
        {formatFixed5, 12345678.9L, "1.234568E7"},
        {formatFixed5, 0.0L, "0.00000"},
        {formatFixed6, 0.00012345678L, "0.000123"},
        {formatFixed6, -2.5L, "-2.500000"},
        {formatFixed6, 0.0L, "0.000000"},
        {formatFixed5, 123456.789L, "123456.80000"},
        {formatFixed5, 1234567.89L, "1234568.00000"},
        {formatFixed5, 1.23456789L, "1.23457"},
        {formatFixed5, 0.0123456789L, "0.01235"},
        {formatFixed6, 1.23456789L, "1.234568"},
        {formatFixed6, 12.3456789L, "12.345680"},
        {formatFixed5, 0.000015625L, "0.00002"},
        {formatFixed5, 0.000004L, "0.00000"},
        {formatFixed5, 0.000006L, "0.00001"},
        // Halves away from zero: 1/64, the half at the 8th significant digit,
        // the extended 2.000005 just above the half, 1/128.
        {formatFixed5, 0.015625L, "0.01563"},
        {formatFixed5, -0.015625L, "-0.01563"},
        {formatFixed5, 1234.5625L, "1234.56300"},
        {formatFixed5, 2.000005L, "2.00001"},
        {formatFixed6, 0.0078125L, "0.007813"},
        {formatFixed6, -0.0078125L, "-0.007813"},
        {formatFixed5, 0.5L, "0.50000"},
        // Carries, and scientific from 1E7 on.
        {formatFixed5, 999999.96L, "1000000.00000"},
        {formatFixed5, 9999999.4L, "9999999.00000"},
        {formatFixed5, 9999999.5L, "1E7"},
        {formatFixed5, 99999999.6L, "1E8"},
        {formatFixed5, 10000000.0L, "1E7"},
        {formatFixed5, 12000000.0L, "1.2E7"},
        {formatFixed5, -12345678.9L, "-1.234568E7"},
        {formatFixed5, 1e300L, "1E300"},
        {formatFixed5, 0.999999L, "1.00000"},
        {formatFixed5, 9.999995L, "10.00000"},
        {formatFixed6, 99999999.6L, "1E8"},
        {formatFixed5, LDBL_MAX, "1.189731E4932"},
        {formatFixed5, -LDBL_MAX, "-1.189731E4932"},
        // Zero has no minus sign.
        {formatFixed5, -0.0L, "0.00000"},
        {formatFixed5, -0.000004L, "0.00000"},
        {formatFixed5, -0.0000076L, "-0.00001"},
        {formatFixed6, -0.0000004L, "0.000000"},
        {formatFixed5, LDBL_TRUE_MIN, "0.00000"},
        {formatFixed5, -LDBL_TRUE_MIN, "0.00000"},
        {formatFixed5, kInfinity, "INF"},
        {formatFixed6, -kInfinity, "-INF"},
        {formatFixed5, kNan, "NAN"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.format(c.value), c.text) << std::hexfloat << c.value;
}

TEST_F(NumberFormat, CommaSeparator) {
    setDecimalSeparator(',');
    EXPECT_EQ(formatExponent6(0.00001L), "1,00000E-5");
    EXPECT_EQ(formatExponent6(-2.5L), "-2,50000E+0");
    EXPECT_EQ(formatGeneral15(-0.5L), "-0,5");
    EXPECT_EQ(formatGeneral15(1.5e-5L), "1,5E-5");
    EXPECT_EQ(formatGeneral15(100.0L), "100");
    EXPECT_EQ(formatFixed5(123.456789L), "123,45680");
    EXPECT_EQ(formatFixed5(12345678.9L), "1,234568E7");
    EXPECT_EQ(formatFixed6(-2.5L), "-2,500000");
}

// --- Properties on many random values ------------------------------------

// A random finite extended value: full 64-bit significand, decimal exponent
// roughly uniform in [minPower, maxPower], random sign.
class RandomExtended {
  public:
    RandomExtended(int minPower, int maxPower) : power_(minPower, maxPower) {}

    long double next() {
        const unsigned long long bits = engine_() | (1ULL << 63);
        const long double significand = std::ldexp(static_cast<long double>(bits), -63);  // [1, 2)
        const int binaryExponent = static_cast<int>(std::lround(power_(engine_) * 3.321928));
        const long double magnitude = std::ldexp(significand, binaryExponent);
        return (engine_() & 1) != 0 ? -magnitude : magnitude;
    }

  private:
    std::mt19937_64 engine_{20260801};
    std::uniform_int_distribution<int> power_;
};

// True when the exact decimal expansion of `value` is a half at the place
// after `keptDigits` significant digits, the one case where printf's
// half-to-even differs from half away from zero.
bool isHalfAfterDigit(long double value, int keptDigits) {
    char text[128];
    std::snprintf(text, sizeof text, "%.70Le", std::fabs(value));
    std::string digits;
    for (const char* p = text; *p != '\0' && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9')
            digits.push_back(*p);
    }
    if (digits.size() <= static_cast<std::size_t>(keptDigits) || digits[keptDigits] != '5')
        return false;
    return digits.find_first_not_of('0', keptDigits + 1) == std::string::npos;
}

// The power of ten of the leading digit of the exact value.
int decimalExponent(long double value) {
    char text[128];
    std::snprintf(text, sizeof text, "%.70Le", std::fabs(value));
    return std::atoi(std::strchr(text, 'e') + 1);
}

// The C library's rounding of `value` to `digits` significant digits, read
// back in the C locale (printf's separator follows LC_NUMERIC).
long double printfRounded(long double value, int digits) {
    char text[128];
    std::snprintf(text, sizeof text, "%.*Le", digits - 1, value);
    for (char* p = text; *p != '\0'; ++p) {
        if (*p == ',')
            *p = '.';
    }
    return std::strtold(text, nullptr);
}

// Each format on random values: the text reads back to the C library's
// rounding of the value to the digits the format keeps (halves left out:
// printf rounds them to even), and has the format's shape.
TEST_F(NumberFormat, RandomValuesRoundAsTheCLibraryDoes) {
    const struct {
        std::string (*format)(long double);
        int minPower, maxPower, count;
        int (*keptDigits)(long double value);
        bool (*shaped)(const std::string& text, long double value);
    } properties[] = {
        // 15 digits, no trailing zero, scientific outside 0.0001 <= |v| < 1e15.
        {formatGeneral15, -30, 30, 20000, [](long double) { return 15; },
         [](const std::string& text, long double) {
             const long double magnitude = fabsl(parseExtended(text).value_or(0));
             const bool scientific = magnitude < 0.0001L || magnitude >= 1e15L;
             return (text.find('E') != std::string::npos) == scientific &&
                    (scientific || text.find('.') == std::string::npos || text.back() != '0');
         }},
        // One digit, the separator, five decimals, "E".
        {formatExponent6, -4000, 4000, 5000, [](long double) { return 6; },
         [](const std::string& text, long double value) {
             const std::size_t first = value < 0 ? 1 : 0;
             return text[first + 1] == '.' && text[first + 7] == 'E';
         }},
        // Five decimals, after rounding to 7 significant digits or to the
        // decimals, whichever keeps fewer.
        {formatFixed5, -4, 6, 5000,
         [](long double value) { return std::min(7, decimalExponent(value) + 6); },
         [](const std::string& text, long double) { return text.size() - text.find('.') == 6u; }},
    };
    for (const auto& property : properties) {
        RandomExtended random(property.minPower, property.maxPower);
        int compared = 0;
        for (int i = 0; i < property.count; ++i) {
            const long double value = random.next();
            const int kept = property.keptDigits(value);
            if (kept < 1 || isHalfAfterDigit(value, kept))
                continue;
            const std::string text = property.format(value);
            const std::optional<long double> parsed = parseExtended(text);
            ASSERT_TRUE(parsed.has_value()) << text;
            // The text holds the decimal value exactly; both sides are its
            // correctly rounded extended value.
            ASSERT_EQ(*parsed, printfRounded(value, kept)) << text;
            ASSERT_TRUE(property.shaped(text, value)) << text;
            ++compared;
        }
        EXPECT_GT(compared, property.count * 9 / 10);
    }
}

}  // namespace
}  // namespace quorvane
