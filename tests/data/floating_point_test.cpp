#include "data/floating_point.h"

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <functional>
#include <string>

#include "data/error.h"
#include "data/extended_exp.h"
#include "support/expect_error.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::errorOf;
using testing::kNoError;

// Operands are volatile so that the compiler cannot fold the faulting
// operation at compile time (a folded 1/0 raises no flag at run time).
volatile double zeroDouble = 0.0;
volatile double oneDouble = 1.0;
volatile double largestDouble = DBL_MAX;
volatile long double zero = 0.0L;
volatile long double one = 1.0L;
volatile long double big = 20000.0L;
volatile long double sink;

class FloatingPointFaults : public testing::WorkspaceTest {};

// On the x87 and the SSE unit; the root cause comes first when one fault
// leads to another (overflow to inf - inf, a division by zero to inf * 0).
TEST_F(FloatingPointFaults, EachFaultHasItsMessage) {
    const std::pair<std::function<void()>, const char*> faults[] = {
        {[] { sink = one / zero; }, "Floating point division by zero"},
        {[] { sink = oneDouble / zeroDouble; }, "Floating point division by zero"},
        {[] { sink = logl(zero); }, "Floating point division by zero"},
        {[] { sink = zero / zero; }, "Invalid floating point operation"},
        {[] { sink = zeroDouble / zeroDouble; }, "Invalid floating point operation"},
        {[] { sink = logl(-one); }, "Invalid floating point operation"},
        {[] { sink = extendedExp(big); }, "Floating point overflow"},
        {[] { sink = largestDouble * 2.0; }, "Floating point overflow"},
        {[] { sink = extendedExp(big) - extendedExp(big); }, "Floating point overflow"},
        {[] { sink = (one / zero) * zero; }, "Floating point division by zero"},
        {[] { std::feraiseexcept(FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO); },
         "Floating point division by zero"},
        // Underflow, denormal results and operands and inexact pass silently.
        {[] {
             sink = extendedExp(-big);
             sink = LDBL_MIN;
             sink = sink / 3.0L;  // a denormal result
             sink = sink * 0.5L;  // a denormal operand
             sink = one / 3.0L;
             sink = DBL_MIN / (oneDouble * 7.0);
             EXPECT_TRUE(std::fetestexcept(FE_UNDERFLOW | FE_INEXACT));
         },
         nullptr},
    };
    for (const auto& [operation, message] : faults) {
        operation();
        EXPECT_EQ(errorOf(checkFloatingPointFaults), message ? message : kNoError);
        // The check clears the flags.
        EXPECT_EQ(raisedFloatingPointFaults(), 0);
    }
    sink = zero / zero;
    clearFloatingPointFaults();
    EXPECT_EQ(errorOf(checkFloatingPointFaults), kNoError);
    EXPECT_EQ(errorOf([] { throwIfFloatingPointFault(0); }), kNoError);
    EXPECT_EQ(errorOf([] { throwIfFloatingPointFault(FE_OVERFLOW); }), "Floating point overflow");
}

}  // namespace
}  // namespace quorvane
