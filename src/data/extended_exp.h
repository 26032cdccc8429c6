// The exponential of the fit, in extended precision: exactly expl(argument),
// bit for bit, with one shortcut. An argument below -11400 gives +0 at once:
// expl returns +0 from about -11399.4986 down (e^a is then below half the
// smallest denormal, 2^-16446, and rounds to 0), but reaches that result on
// a slow path that costs several times a normal call. Arguments that far
// down are common in the fit (late points of fast components). Only the
// underflow and inexact flags, which pass silently in this program, and
// errno are not raised for them; a NaN argument still goes to expl.
#pragma once

#include <cmath>

namespace quorvane {

inline constexpr long double kCertainUnderflowBound = -11400.0L;

inline long double extendedExp(long double argument) {
    return argument < kCertainUnderflowBound ? 0.0L : expl(argument);
}

}  // namespace quorvane
