#include "chart/axis_label_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "data/number_text.h"

namespace quorvane {

namespace {

// The decimal exponent e with 10^e <= magnitude < 10^(e+1), magnitude > 0.
int decimalExponent(double magnitude) {
    int exponent = static_cast<int>(std::floor(std::log10(magnitude)));
    // log10 of an exact power of ten can land just below the integer.
    if (std::pow(10.0, exponent + 1) <= magnitude)
        ++exponent;
    return exponent;
}

// Fixed notation needs at most this many decimals, below this magnitude.
constexpr int kMostPlainDecimals = 4;
constexpr double kPlainMagnitude = 1e6;

}  // namespace

std::string formatPowerOfTenLabel(double value, double resolution) {
    if (value == 0 || !std::isfinite(value))
        return "0e0";
    const double magnitude = std::fabs(value);
    int exponent = decimalExponent(magnitude);
    const int decimals = resolution > 0 && std::isfinite(resolution)
                             ? std::clamp(exponent - decimalExponent(resolution), 0, 15)
                             : 0;
    // The mantissa rounded half away from zero at `decimals` decimals; a
    // mantissa that rounds to 10 is 1 of the next power.
    const double scale = std::pow(10.0, decimals);
    double mantissa = std::round(magnitude / std::pow(10.0, exponent) * scale) / scale;
    if (mantissa < 1) {
        mantissa = std::round(magnitude / std::pow(10.0, exponent - 1) * scale) / scale;
        --exponent;
    }
    if (mantissa >= 10) {
        mantissa /= 10;
        ++exponent;
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, mantissa);
    std::string digits = buffer;
    if (decimals > 0) {
        while (digits.back() == '0')
            digits.pop_back();
        if (digits.back() == '.')
            digits.pop_back();
        std::replace(digits.begin(), digits.end(), '.', decimalSeparator());
    }
    return (value < 0 ? "-" : "") + digits + 'e' + std::to_string(exponent);
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

std::string formatTimeLabel(double value, double resolution) {
    if (!std::isfinite(value))
        return "0";
    const double magnitude = std::fabs(value);
    const double spacing = resolution > 0 && std::isfinite(resolution)
                               ? resolution
                               : std::pow(10.0, magnitude > 0 ? decimalExponent(magnitude) : 0);
    // A tick at a rounding residue of zero is zero.
    if (magnitude < spacing * 1e-9)
        return "0";
    const int decimals = std::max(0, -decimalExponent(spacing));
    if (decimals > kMostPlainDecimals || magnitude >= kPlainMagnitude)
        return formatPowerOfTenLabel(value, resolution);
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    std::string text = buffer;
    if (decimals > 0) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
        std::replace(text.begin(), text.end(), '.', decimalSeparator());
    }
    if (text == "-0")
        text = "0";
    return text;
}

}  // namespace quorvane
