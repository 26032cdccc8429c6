#include "data/trace_wavelength.h"

#include <charconv>
#include <limits>
#include <optional>

#include "data/number_text.h"

namespace quorvane {

namespace {

constexpr std::size_t kWavelengthCharacters = 3;

}  // namespace

const char* wavelengthUnitText(WavelengthUnit unit) {
    return unit == WavelengthUnit::Wavenumber ? "cm^-1" : "nm";
}

double wavelengthOfTraceTitle(const std::string& title) {
    const std::optional<double> value = parseDouble(title.substr(0, kWavelengthCharacters));
    return value ? *value : std::numeric_limits<double>::quiet_NaN();
}

std::string wavelengthLabel(double wavelength, WavelengthUnit unit) {
    // to_chars, unlike printf, ignores the C library's locale.
    char text[64];
    const auto written =
        std::to_chars(text, text + sizeof text, wavelength, std::chars_format::general, 6);
    std::string label(text, written.ptr);
    for (char& ch : label) {
        if (ch == '.')
            ch = decimalSeparator();
    }
    return label + " " + wavelengthUnitText(unit);
}

}  // namespace quorvane
