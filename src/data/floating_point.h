// Floating-point faults. Invalid operations, division by zero and overflow
// are errors of the running command; underflow, denormal operands and inexact
// results pass silently. The faults are detected through the status flags of
// the floating-point unit (x87 and SSE alike): clear them, compute, test.
//
// The flags are per thread. Work done on a pool thread clears its own flags
// first and hands raisedFloatingPointFaults() back to the waiting caller,
// which merges them with its own before throwing.
#pragma once

#include <cfenv>

namespace quorvane {

// Bit set of the fault flags (FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW).
using FloatingPointFaults = int;

void clearFloatingPointFaults();
FloatingPointFaults raisedFloatingPointFaults();

// Fault collection: the faults raised on the calling thread since its flags
// were last clear, which are clear again afterwards. Whoever charges faults
// to a result takes them with one of these right after the values that
// raised them, so that each result carries the faults of its own values.
// (Only the three fault flags are ever read, so the flags are cleared just
// when one of them is set.)
FloatingPointFaults takeFloatingPointFaults();

// The same for the x87 unit alone, in a few cycles instead of a library
// call: for loops in extended precision (which is the x87 unit) that take
// the faults several times per point. The x87 flags share their bit
// positions with FE_INVALID, FE_DIVBYZERO and FE_OVERFLOW. The memory
// clobber keeps the stores of the values before it in place.
inline FloatingPointFaults takeX87Faults() {
    unsigned short status;
    asm volatile("fnstsw %0" : "=a"(status) : : "memory");
    const FloatingPointFaults faults = status & (FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
    if (faults != 0)
        asm volatile("fnclex" : : : "memory");
    return faults;
}

// Throws QuorvaneError for the root cause when any fault flag is set:
// "Floating point division by zero" before "Floating point overflow" before
// "Invalid floating point operation" (a division by zero or an overflow is
// what usually leads to a later invalid operation).
void throwIfFloatingPointFault(FloatingPointFaults faults);

// Tests the calling thread's flags and throws as above; the flags are
// cleared either way.
void checkFloatingPointFaults();

}  // namespace quorvane
