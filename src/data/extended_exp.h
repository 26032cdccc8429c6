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

#include "data/floating_point.h"

namespace quorvane {

inline constexpr long double kCertainUnderflowBound = -11400.0L;

inline long double extendedExp(long double argument) {
    return argument < kCertainUnderflowBound ? 0.0L : expl(argument);
}

// The exponentials of a block of arguments at once:
// results[i] = extendedExp(arguments[i]) for i = 0..count-1, the same bits.
// Returns the faults that the `count` scalar calls would raise (FE_OVERFLOW
// for a finite argument whose exponential overflows, FE_INVALID for a NaN
// argument) and leaves the calling thread's FE_INVALID, FE_DIVBYZERO and
// FE_OVERFLOW flags as they were, so that a caller can charge the faults to
// whichever results use these exponentials. `arguments` and `results` may be
// the same array.
FloatingPointFaults extendedExpBlock(const long double* arguments, long double* results, int count);

}  // namespace quorvane
