#include "data/extended_exp.h"

#include <cfenv>

namespace quorvane {

FloatingPointFaults extendedExpBlock(const long double* arguments, long double* results,
                                     int count) {
    constexpr int kFaultFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
    std::fexcept_t saved;
    std::fegetexceptflag(&saved, kFaultFlags);
    FloatingPointFaults faults = 0;
    for (int i = 0; i < count; ++i) {
        const long double argument = arguments[i];
        const long double result = extendedExp(argument);
        // expl raises nothing for a NaN argument; the block reports it as the
        // invalid operation it stands for. An infinite result of a finite
        // argument is an overflow.
        if (std::isnan(argument))
            faults |= FE_INVALID;
        else if (std::isinf(result) && !std::isinf(argument))
            faults |= FE_OVERFLOW;
        results[i] = result;
    }
    std::fesetexceptflag(&saved, kFaultFlags);
    return faults;
}

}  // namespace quorvane
