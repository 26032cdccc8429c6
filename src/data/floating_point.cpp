#include "data/floating_point.h"

#include <cfenv>

#include "data/error.h"

namespace quorvane {

namespace {
constexpr int kFaultFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
}

void clearFloatingPointFaults() {
    std::feclearexcept(FE_ALL_EXCEPT);
}

FloatingPointFaults raisedFloatingPointFaults() {
    return std::fetestexcept(kFaultFlags);
}

FloatingPointFaults takeFloatingPointFaults() {
    const FloatingPointFaults faults = raisedFloatingPointFaults();
    if (faults != 0)
        clearFloatingPointFaults();
    return faults;
}

void throwIfFloatingPointFault(FloatingPointFaults faults) {
    if (faults & FE_DIVBYZERO)
        throw QuorvaneError("Floating point division by zero");
    if (faults & FE_OVERFLOW)
        throw QuorvaneError("Floating point overflow");
    if (faults & FE_INVALID)
        throw QuorvaneError("Invalid floating point operation");
}

void checkFloatingPointFaults() {
    const FloatingPointFaults faults = raisedFloatingPointFaults();
    clearFloatingPointFaults();
    throwIfFloatingPointFault(faults);
}

}  // namespace quorvane
