#include "data/number_text.h"

#include <gtest/gtest.h>
#include <locale.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <random>
#include <string>

#include "data/error.h"
#include "data/floating_point.h"
#include "support/expect_error.h"

namespace quorvane {
namespace {

// --- Syntax, run under both separators -----------------------------------
// Cases are written with '.', which `local` turns into the separator under
// test.

class NumberTextSyntax : public ::testing::TestWithParam<char> {
  protected:
    void SetUp() override { setDecimalSeparator(GetParam()); }
    void TearDown() override { setDecimalSeparator('.'); }

    static std::string local(std::string text) {
        for (char& ch : text) {
            if (ch == '.')
                ch = GetParam();
        }
        return text;
    }
    static std::optional<double> doubleOf(const std::string& text) {
        return parseDouble(local(text));
    }
    static std::optional<long double> extendedOf(const std::string& text) {
        return parseExtended(local(text));
    }
};

INSTANTIATE_TEST_SUITE_P(BothSeparators, NumberTextSyntax, ::testing::Values('.', ','),
                         [](const ::testing::TestParamInfo<char>& info) {
                             return info.param == '.' ? std::string("Point") : std::string("Comma");
                         });

TEST_P(NumberTextSyntax, BlanksSignsMantissaAndExponentForms) {
    const std::pair<const char*, double> cases[] = {
        {"1.5", 1.5},    {"   1.5  ", 1.5}, {"-1.5", -1.5},  {"+1.5", 1.5},
        {"  -.5", -0.5}, {"5.", 5.0},       {"007", 7.0},    {"1e1", 10.0},
        {"1.5E3", 1500}, {"1.5e+3", 1500},  {"1e", 1.0},     {"1e+", 1.0},
        {"1e-", 1.0},    {"-2.5E ", -2.5},  {"1e0005", 1e5}, {"0e99999999999999999999", 0.0}};
    for (const auto& [text, value] : cases) {  // all exact in binary
        EXPECT_EQ(doubleOf(text), value) << text;
        EXPECT_EQ(extendedOf(text), static_cast<long double>(value)) << text;
    }
}

TEST_P(NumberTextSyntax, LoneSeparatorReadsAsZero) {
    const std::optional<double> zero = doubleOf(".");
    ASSERT_TRUE(zero.has_value());
    EXPECT_EQ(*zero, 0.0);
    EXPECT_FALSE(std::signbit(*zero));
    const std::optional<double> negativeZero = doubleOf("-.");
    ASSERT_TRUE(negativeZero.has_value());
    EXPECT_EQ(*negativeZero, 0.0);
    EXPECT_TRUE(std::signbit(*negativeZero));
    EXPECT_EQ(extendedOf(" +. "), 0.0L);
    EXPECT_EQ(doubleOf(".e5"), 0.0);
}

TEST_P(NumberTextSyntax, RefusesMalformedTexts) {
    const char* const texts[] = {
        "",      "   ",   "+",     "-",      "E5",      "e5",   "-E5",      "1.2.3", "..",
        "1e5.5", "1e+-5", "1ee5",  "--1",    "+-1",     "- 1",  "1 2",      "1.5x",  "x1.5",
        "1_000", "\t1",   "1\t",   "1\n",    "inf",     "-inf", "infinity", "nan",   "NaN",
        "0x1p3", "0x10",  "1e5 e", "1.5e3.", "\xa0\x31"};  // a no-break space before "1"
    for (const char* text : texts) {
        EXPECT_FALSE(doubleOf(text).has_value()) << '"' << text << '"';
        EXPECT_FALSE(extendedOf(text).has_value()) << '"' << text << '"';
    }
}

TEST_P(NumberTextSyntax, RangeOfEachType) {
    EXPECT_FALSE(doubleOf("1e400").has_value());
    EXPECT_FALSE(doubleOf("-1e400").has_value());
    EXPECT_EQ(extendedOf("1e400"), 1e400L);
    EXPECT_EQ(extendedOf("-1e400"), -1e400L);
    EXPECT_FALSE(doubleOf("1e5000").has_value());
    EXPECT_FALSE(extendedOf("1e5000").has_value());
    EXPECT_FALSE(extendedOf("1e99999999999999999999").has_value());
    EXPECT_EQ(doubleOf("1.7976931348623157e308"), DBL_MAX);
    EXPECT_EQ(extendedOf("1.18973149535723176502e4932"), LDBL_MAX);
}

// A refused text leaves no fault for the next command's checks; a fault
// raised before the conversion stays raised.
TEST_P(NumberTextSyntax, OverflowLeavesTheFaultFlagsAsTheyWere) {
    clearFloatingPointFaults();
    EXPECT_FALSE(doubleOf("1e400").has_value());
    EXPECT_FALSE(extendedOf("1e5000").has_value());
    EXPECT_EQ(raisedFloatingPointFaults(), 0);
    std::feraiseexcept(FE_OVERFLOW);
    EXPECT_FALSE(doubleOf("1e400").has_value());
    EXPECT_EQ(raisedFloatingPointFaults(), FE_OVERFLOW);
    clearFloatingPointFaults();
}

TEST_P(NumberTextSyntax, UnderflowReadsAsDenormalOrZeroSilently) {
    EXPECT_EQ(doubleOf("1e-400"), 0.0);
    EXPECT_EQ(doubleOf("-1e-400"), -0.0);
    EXPECT_EQ(doubleOf("1e-320"), 1e-320);
    EXPECT_EQ(doubleOf("4.9406564584124654e-324"), 4.9406564584124654e-324);
    EXPECT_EQ(extendedOf("1e-400"), 1e-400L);
    EXPECT_EQ(extendedOf("1e-4940"), 1e-4940L);
    EXPECT_EQ(extendedOf("1e-5000"), 0.0L);
    EXPECT_EQ(extendedOf("1e-99999999999999999999"), 0.0L);
}

// The references are the compiler's own (correctly rounded) conversions of
// the same literals.
TEST_P(NumberTextSyntax, CorrectlyRoundedDoubles) {
    EXPECT_EQ(doubleOf("0.1"), 0.1);
    EXPECT_EQ(doubleOf("10e-6"), 10e-6);
    EXPECT_EQ(doubleOf("9007199254740993"), 9007199254740992.0);  // half: to even
    EXPECT_EQ(doubleOf("9007199254740993.0000000000000000000000001"), 9007199254740994.0);
    EXPECT_EQ(doubleOf("9007199254740995"), 9007199254740996.0);
    EXPECT_EQ(doubleOf("2.2250738585072011e-308"), 2.2250738585072011e-308);
    EXPECT_EQ(doubleOf("2.4703282292062328e-324"), 4.9406564584124654e-324);
    EXPECT_EQ(doubleOf("3.14159265358979323846264338327950288419716939937510582097494459"),
              3.14159265358979323846264338327950288419716939937510582097494459);
}

TEST_P(NumberTextSyntax, CorrectlyRoundedExtendedNotThroughDouble) {
    EXPECT_EQ(extendedOf("10e-6"), 10e-6L);
    EXPECT_NE(extendedOf("10e-6"), static_cast<long double>(10e-6));
    EXPECT_EQ(extendedOf("0.1"), 0.1L);
    EXPECT_EQ(extendedOf("5e-6"), 5e-6L);
    EXPECT_EQ(extendedOf("18446744073709551617"), 18446744073709551616.0L);  // half: to even
    EXPECT_EQ(extendedOf("18446744073709551617.0000000000000000000001"), 18446744073709551618.0L);
    EXPECT_EQ(extendedOf("2.71828182845904523536028747135266249775724709369995957496696763"),
              2.71828182845904523536028747135266249775724709369995957496696763L);
}

TEST_P(NumberTextSyntax, VeryLongTexts) {
    const std::string zeros(300, '0');
    EXPECT_EQ(doubleOf(zeros + "1.5"), 1.5);
    EXPECT_EQ(doubleOf("." + zeros + "15e301"), 1.5);
    EXPECT_EQ(extendedOf("  -" + zeros + "2.5" + zeros + "e" + zeros + "1  "), -25.0L);
    EXPECT_FALSE(doubleOf(zeros + "1.5.").has_value());
}

// Random digit strings: the parse must equal the C library's conversion of
// the same digits written with a point in the C locale.
TEST_P(NumberTextSyntax, RandomDigitStringsMatchTheCLibrary) {
    std::mt19937 engine(4711);
    std::uniform_int_distribution<int> digit(0, 9);
    std::uniform_int_distribution<int> length(1, 40);
    std::uniform_int_distribution<int> exponent(-330, 330);
    const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    ASSERT_NE(cLocale, static_cast<locale_t>(0));
    for (int i = 0; i < 3000; ++i) {
        std::string text = (i % 3 == 0) ? "-" : "";
        const int integerDigits = length(engine) / 2;
        for (int k = 0; k < integerDigits; ++k)
            text.push_back(static_cast<char>('0' + digit(engine)));
        text.push_back('.');
        const int fractionDigits = length(engine);
        for (int k = 0; k < fractionDigits; ++k)
            text.push_back(static_cast<char>('0' + digit(engine)));
        text.push_back('e');
        text += std::to_string(exponent(engine));
        const double expectedDouble = strtod_l(text.c_str(), nullptr, cLocale);
        const long double expectedExtended = strtold_l(text.c_str(), nullptr, cLocale);
        if (std::isinf(expectedDouble)) {
            EXPECT_FALSE(doubleOf(text).has_value()) << text;
        } else {
            EXPECT_EQ(doubleOf(text), expectedDouble) << text;
        }
        EXPECT_EQ(extendedOf(text), expectedExtended) << text;
    }
    freelocale(cLocale);
}

// --- Separator-specific --------------------------------------------------

class NumberTextSeparator : public ::testing::Test {
  protected:
    void TearDown() override { setDecimalSeparator('.'); }
};

TEST_F(NumberTextSeparator, OnlyTheCurrentSeparatorIsAccepted) {
    setDecimalSeparator('.');
    EXPECT_EQ(decimalSeparator(), '.');
    EXPECT_FALSE(parseDouble("1,5").has_value());
    EXPECT_EQ(parseDouble("1.5"), 1.5);
    setDecimalSeparator(',');
    EXPECT_EQ(decimalSeparator(), ',');
    EXPECT_EQ(parseDouble("1,5"), 1.5);
    EXPECT_EQ(parseExtended("-1,5e-1"), -0.15L);
    EXPECT_FALSE(parseDouble("1.5").has_value());
    EXPECT_FALSE(parseExtended("1.5").has_value());
    EXPECT_FALSE(parseDouble("1,000,5").has_value());
}

// --- Integers --------------------------------------------------------------

TEST(IntegerText, AcceptedForms) {
    const std::pair<std::string, int> cases[] = {{"3", 3},
                                                 {" 3 ", 3},
                                                 {"+7", 7},
                                                 {"-7", -7},
                                                 {"007", 7},
                                                 {"0", 0},
                                                 {"2147483647", INT32_MAX},
                                                 {"-2147483648", INT32_MIN},
                                                 {std::string(100, '0') + "42", 42}};
    for (const auto& [text, value] : cases)
        EXPECT_EQ(parseInteger(text), value) << text;
}

TEST(IntegerText, RefusedForms) {
    for (const char* text :
         {"", "  ", "+", "-", "3.0", "3,0", "3e2", "- 7", "+-7", "1 2", "\t3", "3\t", "0x10", "abc",
          "2147483648", "-2147483649", "99999999999999999999", "4294967296"}) {
        EXPECT_FALSE(parseInteger(text).has_value()) << '"' << text << '"';
    }
}

// --- Messages --------------------------------------------------------------

TEST(NumberTextMessages, NameTheTextAsTyped) {
    const auto floating = [](const std::string& text) {
        return "'" + text + "' is not a valid floating point value";
    };
    const auto integer = [](const std::string& text) {
        return "'" + text + "' is not a valid integer value";
    };
    EXPECT_EQ(testing::errorOf([] { textToDouble("abc"); }), floating("abc"));
    EXPECT_EQ(testing::errorOf([] { textToExtended(" 1.2.3 "); }), floating(" 1.2.3 "));
    EXPECT_EQ(testing::errorOf([] { textToDouble("1e400"); }), floating("1e400"));
    EXPECT_EQ(testing::errorOf([] { textToInteger(""); }), integer(""));
    EXPECT_EQ(testing::errorOf([] { textToInteger("2147483648"); }), integer("2147483648"));
}

TEST(NumberTextMessages, ValidTextsConvert) {
    setDecimalSeparator('.');
    EXPECT_EQ(textToDouble(" -1.25 "), -1.25);
    EXPECT_EQ(textToExtended("10e-6"), 10e-6L);
    EXPECT_EQ(textToInteger(" 50 "), 50);
}

TEST(ErrorBoxText, AppendsFullStopOnlyWhenMissing) {
    EXPECT_EQ(errorBoxText("'abc' is not a valid integer value"),
              "'abc' is not a valid integer value.");
    EXPECT_EQ(errorBoxText("File not found."), "File not found.");
    EXPECT_EQ(errorBoxText("Ends with a blank "), "Ends with a blank .");
    EXPECT_EQ(errorBoxText(""), ".");
}

// --- Separator from the environment ----------------------------------------

// The separator of LC_ALL, which is restored afterwards.
TEST(DecimalSeparatorFromEnvironment, PointUnlessTheLocaleHasAComma) {
    const char* saved = std::getenv("LC_ALL");
    const std::string savedText = saved != nullptr ? saved : "";
    for (const char* name : {"C", "xx_NOWHERE.UTF-8"}) {
        setenv("LC_ALL", name, 1);
        EXPECT_EQ(decimalSeparatorFromEnvironment(), '.') << name;
    }
    bool commaLocale = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "de_DE", "nl_NL.UTF-8"}) {
        const locale_t probe = newlocale(LC_NUMERIC_MASK, name, static_cast<locale_t>(0));
        if (probe == static_cast<locale_t>(0) || commaLocale)
            continue;
        freelocale(probe);
        setenv("LC_ALL", name, 1);
        EXPECT_EQ(decimalSeparatorFromEnvironment(), ',') << name;
        commaLocale = true;
    }
    if (saved != nullptr)
        setenv("LC_ALL", savedText.c_str(), 1);
    else
        unsetenv("LC_ALL");
    if (!commaLocale)
        GTEST_SKIP() << "no locale with a decimal comma is installed";
}

}  // namespace
}  // namespace quorvane
