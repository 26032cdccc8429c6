#include "data/floating_point.h"

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <string>

#include "data/error.h"
#include "data/extended_exp.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

// Operands are volatile so that the compiler cannot fold the faulting
// operation at compile time (a folded 1/0 raises no flag at run time).
volatile double zeroDouble = 0.0;
volatile double oneDouble = 1.0;
volatile long double zero = 0.0L;
volatile long double one = 1.0L;
volatile long double minusOne = -1.0L;
volatile long double big = 20000.0L;
volatile long double sink;

// The message that checkFloatingPointFaults() raises, or "" when it passes.
std::string faultMessage() {
    try {
        checkFloatingPointFaults();
    } catch (const QuorvaneError& error) {
        return error.message();
    }
    return "";
}

class FloatingPointFaults : public testing::WorkspaceTest {};

TEST_F(FloatingPointFaults, DivisionByZero) {
    sink = one / zero;  // x87
    EXPECT_EQ(faultMessage(), "Floating point division by zero");
    sink = oneDouble / zeroDouble;  // SSE
    EXPECT_EQ(faultMessage(), "Floating point division by zero");
    sink = logl(zero);  // a pole
    EXPECT_EQ(faultMessage(), "Floating point division by zero");
}

TEST_F(FloatingPointFaults, InvalidOperation) {
    sink = zero / zero;
    EXPECT_EQ(faultMessage(), "Invalid floating point operation");
    sink = zeroDouble / zeroDouble;
    EXPECT_EQ(faultMessage(), "Invalid floating point operation");
    sink = logl(minusOne);
    EXPECT_EQ(faultMessage(), "Invalid floating point operation");
}

TEST_F(FloatingPointFaults, Overflow) {
    sink = extendedExp(big);
    EXPECT_EQ(faultMessage(), "Floating point overflow");
    volatile double large = DBL_MAX;
    volatile double product = large * 2.0;
    (void)product;
    EXPECT_EQ(faultMessage(), "Floating point overflow");
}

TEST_F(FloatingPointFaults, UnderflowDenormalsAndInexactPassSilently) {
    sink = extendedExp(-big);
    EXPECT_EQ(sink, 0.0L);
    volatile long double smallest = LDBL_MIN;
    sink = smallest / 3.0L;  // a denormal result
    sink = sink * 0.5L;      // a denormal operand
    sink = one / 3.0L;
    volatile double tinyDouble = DBL_MIN;
    volatile double denormal = tinyDouble / 7.0;
    (void)denormal;
    EXPECT_TRUE(std::fetestexcept(FE_UNDERFLOW | FE_INEXACT)) << "the test raised nothing";
    EXPECT_EQ(faultMessage(), "");
}

TEST_F(FloatingPointFaults, CheckClearsTheFlags) {
    sink = one / zero;
    EXPECT_NE(faultMessage(), "");
    EXPECT_EQ(raisedFloatingPointFaults(), 0);
    EXPECT_EQ(faultMessage(), "");
    sink = zero / zero;
    clearFloatingPointFaults();
    EXPECT_EQ(faultMessage(), "");
}

TEST_F(FloatingPointFaults, RootCauseComesFirst) {
    // An overflow that turns into inf - inf: overflow and invalid.
    const long double huge = extendedExp(big);
    sink = huge - huge;
    EXPECT_EQ(raisedFloatingPointFaults(), FE_OVERFLOW | FE_INVALID);
    EXPECT_EQ(faultMessage(), "Floating point overflow");
    // A division by zero that turns into inf * 0: division by zero and invalid.
    const long double infinite = one / zero;
    sink = infinite * zero;
    EXPECT_EQ(faultMessage(), "Floating point division by zero");
    // All three: division by zero is reported.
    std::feraiseexcept(FE_INVALID | FE_OVERFLOW | FE_DIVBYZERO);
    EXPECT_EQ(faultMessage(), "Floating point division by zero");
}

TEST_F(FloatingPointFaults, ThrowsForAGivenSetOfFlags) {
    EXPECT_NO_THROW(throwIfFloatingPointFault(0));
    try {
        throwIfFloatingPointFault(FE_OVERFLOW);
        ADD_FAILURE() << "no error";
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.message(), "Floating point overflow");
    }
}

}  // namespace
}  // namespace quorvane
