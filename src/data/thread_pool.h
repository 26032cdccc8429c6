// A fixed pool of worker threads for loops whose iterations are independent
// (the per-curve work of a build or a sum of squares).
//
// Thread count: std::thread::hardware_concurrency(), unless the environment
// variable QUORVANE_THREADS holds a whole number 1..64; 1 is the sequential
// path, which starts no thread at all. The pool threads are started once, the
// first time a loop needs them, and live until the process ends; a loop
// itself allocates nothing and the calling thread takes part in it and waits
// for the others, so nothing else runs between its start and its end.
//
// Results must not depend on the thread count: a task writes only its own
// slot of an output array (for instance one curve's subtotals), and the
// caller combines the slots in index order after the loop.
//
// Floating-point faults: the status flags are per thread. Each pool thread
// takes over the caller's floating-point environment (rounding, precision,
// masks) with its flags cleared, and the flags it raised are handed back. The
// calling thread's own flags are left as its share of the tasks set them.
#pragma once

#include "data/floating_point.h"

namespace quorvane {

inline constexpr int kMaxParallelThreads = 64;

// Threads that share a loop, the calling thread included (at least 1).
int parallelThreadCount();

// Changes the thread count for the following loops (tests, benchmarks);
// count < 1 restores the machine's default (QUORVANE_THREADS or the core
// count); larger values are capped at kMaxParallelThreads. Must not be called
// from inside a loop. Starting more pool threads allocates; only here and at
// the first loop.
void setParallelThreadCount(int count);

// The default: QUORVANE_THREADS when it is a whole number 1..64, otherwise
// the core count (1 when the machine does not tell).
int defaultParallelThreadCount();

// Starts the pool threads of the current thread count now, if they do not
// run yet (otherwise the first loop that needs them starts them). A Start
// calls it before its iterations, so that no iteration allocates.
void startParallelThreads();

using ParallelTask = void (*)(void* context, int index);

// Runs task(context, index) once for every index = first..last (none when
// last < first), spread over the threads; returns when all have finished.
// Tasks must not throw. Returns the fault flags raised on the pool threads
// merged with the calling thread's flags at the end of the loop. A loop
// started from inside a task runs sequentially on that thread.
FloatingPointFaults runParallel(int first, int last, ParallelTask task, void* context);

// The same for any callable `function(int index)`, taken by reference.
template <typename Function>
FloatingPointFaults parallelFor(int first, int last, Function& function) {
    return runParallel(
        first, last, [](void* context, int index) { (*static_cast<Function*>(context))(index); },
        &function);
}

}  // namespace quorvane
