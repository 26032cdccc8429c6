// A set of stores of extended values for the tasks of a parallel loop that
// run at one time: a task takes a free one and gives it back.
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

#include "data/thread_pool.h"

namespace quorvane {

// Grown on the calling thread before a loop, so that the loops allocate
// nothing.
class StoreSet {
  public:
    // Stores 0..count-1 hold at least `size` values.
    void prepare(int count, std::size_t size) {
        count_ = count;
        for (int s = 0; s < count; ++s)
            if (stores_[s].size() < size)
                stores_[s].resize(size);
    }

    int acquire() {
        for (int s = 0;; s = (s + 1) % count_)
            if (!busy_[s].exchange(true, std::memory_order_acquire))
                return s;
    }

    void release(int store) { busy_[store].store(false, std::memory_order_release); }

    long double* data(int store) { return stores_[store].data(); }

  private:
    int count_ = 0;
    std::vector<long double> stores_[kMaxParallelThreads];
    std::atomic<bool> busy_[kMaxParallelThreads] = {};
};

}  // namespace quorvane
