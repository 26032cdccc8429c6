#include "chart/axis_label_format.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "data/number_text.h"

namespace quorvane {

std::string formatPowerOfTenLabel(double value) {
    if (value == 0 || !std::isfinite(value))
        return "0e0";
    const bool negative = value < 0;
    const double magnitude = std::fabs(value);
    int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    // log10 of an exact power of ten can land just below the integer.
    if (std::pow(10.0, exponent + 1) <= magnitude)
        ++exponent;
    double mantissa = std::round(magnitude / std::pow(10.0, exponent));
    if (mantissa < 1) {
        mantissa = std::round(magnitude / std::pow(10.0, exponent - 1));
        --exponent;
    }
    if (mantissa >= 10) {
        mantissa = 1;
        ++exponent;
    }
    std::string text = negative ? "-" : "";
    text += std::to_string(static_cast<int>(mantissa));
    text += 'e';
    text += std::to_string(exponent);
    return text;
}

std::string formatGroupedDecimalLabel(double value) {
    if (!std::isfinite(value))
        return "0";
    // Rounding half away from zero at the sixth decimal, then the exact
    // digits of the rounded value.
    const double scaled = std::round(std::fabs(value) * 1e6);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.0f", scaled);
    std::string digits = buffer;
    if (digits.size() < 7)
        digits.insert(0, 7 - digits.size(), '0');
    std::string whole = digits.substr(0, digits.size() - 6);
    std::string fraction = digits.substr(digits.size() - 6);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();

    const char separator = decimalSeparator();
    const char grouping = separator == ',' ? '.' : ',';
    std::string grouped;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            grouped += grouping;
        grouped += whole[i];
    }
    std::string text = (value < 0 && scaled != 0) ? "-" : "";
    text += grouped;
    if (!fraction.empty()) {
        text += separator;
        text += fraction;
    }
    return text;
}

}  // namespace quorvane
