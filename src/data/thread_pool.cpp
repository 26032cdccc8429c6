#include "data/thread_pool.h"

#include <atomic>
#include <cerrno>
#include <cfenv>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace quorvane {

namespace {

// True on a thread while it runs tasks of a loop: a loop started from inside
// a task must not wait for threads that are busy with the outer loop.
thread_local bool insideLoop = false;

int clampThreadCount(long count) {
    if (count < 1)
        return 1;
    if (count > kMaxParallelThreads)
        return kMaxParallelThreads;
    return static_cast<int>(count);
}

// One loop at a time; the workers sleep between loops. Worker w (0-based)
// takes part in a loop when w < activeWorkers, so lowering the thread count
// only leaves threads idle.
class ThreadPool {
  public:
    ThreadPool() { workers_.reserve(kMaxParallelThreads); }

    ~ThreadPool() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& worker : workers_)
            worker.join();
    }

    ThreadPool(const ThreadPool&) = delete;
    ThreadPool& operator=(const ThreadPool&) = delete;

    // Starts workers until `count` exist. Called on the loop's calling thread
    // only, never during a loop.
    void ensureWorkers(int count) {
        while (static_cast<int>(workers_.size()) < count) {
            const int id = static_cast<int>(workers_.size());
            workers_.emplace_back([this, id] { workerLoop(id); });
        }
    }

    FloatingPointFaults run(int first, int last, ParallelTask task, void* context, int helpers) {
        fenv_t environment;
        fegetenv(&environment);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            task_ = task;
            context_ = context;
            last_ = last;
            next_.store(first, std::memory_order_relaxed);
            environment_ = environment;
            activeWorkers_ = helpers;
            finishedWorkers_ = 0;
            workerFaults_ = 0;
            ++generation_;
        }
        wake_.notify_all();

        runTasks();

        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [this] { return finishedWorkers_ == activeWorkers_; });
        return workerFaults_ | raisedFloatingPointFaults();
    }

  private:
    void runTasks() {
        insideLoop = true;
        for (;;) {
            const int index = next_.fetch_add(1, std::memory_order_relaxed);
            if (index > last_)
                break;
            task_(context_, index);
        }
        insideLoop = false;
    }

    void workerLoop(int id) {
        std::uint64_t seenGeneration = 0;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || generation_ != seenGeneration; });
                if (stopping_)
                    return;
                seenGeneration = generation_;
                if (id >= activeWorkers_)
                    continue;
                fesetenv(&environment_);
            }
            clearFloatingPointFaults();
            runTasks();
            const FloatingPointFaults faults = raisedFloatingPointFaults();
            bool last;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                workerFaults_ |= faults;
                last = ++finishedWorkers_ == activeWorkers_;
            }
            if (last)
                done_.notify_one();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::vector<std::thread> workers_;

    // The current loop; written under the mutex before the generation moves.
    ParallelTask task_ = nullptr;
    void* context_ = nullptr;
    int last_ = 0;
    std::atomic<int> next_{0};
    fenv_t environment_{};
    int activeWorkers_ = 0;
    int finishedWorkers_ = 0;
    FloatingPointFaults workerFaults_ = 0;
    std::uint64_t generation_ = 0;
    bool stopping_ = false;
};

ThreadPool& pool() {
    static ThreadPool instance;
    return instance;
}

int& configuredThreadCount() {
    static int count = defaultParallelThreadCount();
    return count;
}

}  // namespace

int defaultParallelThreadCount() {
    if (const char* text = std::getenv("QUORVANE_THREADS")) {
        char* end = nullptr;
        errno = 0;
        const long count = std::strtol(text, &end, 10);
        if (end != text && *end == '\0' && errno == 0 && count >= 1 &&
            count <= kMaxParallelThreads) {
            return static_cast<int>(count);
        }
    }
    return clampThreadCount(static_cast<long>(std::thread::hardware_concurrency()));
}

int parallelThreadCount() {
    return configuredThreadCount();
}

void setParallelThreadCount(int count) {
    configuredThreadCount() = count < 1 ? defaultParallelThreadCount() : clampThreadCount(count);
}

void startParallelThreads() {
    const int threads = parallelThreadCount();
    if (threads > 1 && !insideLoop)
        pool().ensureWorkers(threads - 1);
}

FloatingPointFaults runParallel(int first, int last, ParallelTask task, void* context) {
    const int tasks = last - first + 1;
    if (tasks <= 0)
        return raisedFloatingPointFaults();
    const int threads = parallelThreadCount();
    const int helpers = (threads < tasks ? threads : tasks) - 1;
    if (helpers <= 0 || insideLoop) {
        for (int index = first; index <= last; ++index)
            task(context, index);
        return raisedFloatingPointFaults();
    }
    ThreadPool& threadPool = pool();
    threadPool.ensureWorkers(threads - 1);
    return threadPool.run(first, last, task, context, helpers);
}

}  // namespace quorvane
