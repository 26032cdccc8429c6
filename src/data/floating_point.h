// Floating-point faults. Invalid operations, division by zero and overflow
// are errors of the running command; underflow, denormal operands and inexact
// results pass silently. The faults are detected through the status flags of
// the floating-point unit (x87 and SSE alike): clear them, compute, test.
//
// The flags are per thread. Work done on a pool thread clears its own flags
// first and hands raisedFloatingPointFaults() back to the waiting caller,
// which merges them with its own before throwing.
#pragma once

namespace quorvane {

// Bit set of the fault flags (FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW).
using FloatingPointFaults = int;

void clearFloatingPointFaults();
FloatingPointFaults raisedFloatingPointFaults();

// Throws QuorvaneError for the root cause when any fault flag is set:
// "Floating point division by zero" before "Floating point overflow" before
// "Invalid floating point operation" (a division by zero or an overflow is
// what usually leads to a later invalid operation).
void throwIfFloatingPointFault(FloatingPointFaults faults);

// Tests the calling thread's flags and throws as above; the flags are
// cleared either way.
void checkFloatingPointFaults();

}  // namespace quorvane
