// The number texts the program writes. Each uses decimalSeparator() and
// rounds the exact decimal expansion of the extended value (no double
// rounding through printf's half-to-even).
#pragma once

#include <string>

namespace quorvane {

// Scientific with 6 significant digits, rounded to nearest, halves away from
// zero: one digit, the separator, five digits, "E", "-" or "+", the exponent
// without leading zeros. 0.00001 -> "1.00000E-5", 2.5 -> "2.50000E+0".
std::string formatExponent6(long double value);

// General with 15 significant digits, halves away from zero, trailing zeros
// removed. Fixed notation when 0.0001 <= |rounded value| < 1e15, otherwise
// scientific: one digit, the separator only if more digits follow, "E", "-"
// only for negative exponents, no leading zeros. Zero is "0".
std::string formatGeneral15(long double value);

// Fixed with `decimals` digits after the separator, the value first rounded
// to 7 significant digits or to `decimals` decimals, whichever keeps fewer
// digits (halves away from zero). A value that rounds to zero has no minus
// sign; at least one digit before the separator. More than 7 digits before
// the separator: scientific with 7 significant digits, trailing zeros
// dropped, "E" and the unsigned power of ten (12345678.9 -> "1.234568E7").
std::string formatFixedRounded7(long double value, int decimals);

// The two uses: the parameter report (5 decimals) and the
// variance–covariance grid (6 decimals).
inline std::string formatFixed5(long double value) {
    return formatFixedRounded7(value, 5);
}
inline std::string formatFixed6(long double value) {
    return formatFixedRounded7(value, 6);
}

}  // namespace quorvane
