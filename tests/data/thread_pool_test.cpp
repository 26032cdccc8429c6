#include "data/thread_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cfenv>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

namespace quorvane {
namespace {

class ThreadPoolTest : public ::testing::Test {
  protected:
    void SetUp() override { clearFloatingPointFaults(); }
    void TearDown() override {
        setParallelThreadCount(0);
        std::fesetround(FE_TONEAREST);
        clearFloatingPointFaults();
    }
};

// Waits until `started` reaches `count`; false after ten seconds. Two tasks
// that wait for each other can only both finish when they run at once.
// Kept out of line so that the division happens after the rounding mode was
// set (the compiler may otherwise move it across fesetround).
[[gnu::noinline]] long double oneThird() {
    volatile long double one = 1.0L;
    volatile long double third = one / 3.0L;
    return third;
}

bool waitForAll(std::atomic<int>& started, int count) {
    ++started;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (started.load() < count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

TEST_F(ThreadPoolTest, RunsEveryIndexExactlyOnceWhateverTheThreadCount) {
    for (const int threads : {1, 2, 3, 8}) {
        setParallelThreadCount(threads);
        std::vector<std::atomic<int>> runs(60);
        auto task = [&](int index) { ++runs[index]; };
        parallelFor(5, 54, task);
        parallelFor(1, 0, task);  // an empty range runs nothing
        for (int index = 0; index < 60; ++index) {
            EXPECT_EQ(runs[index].load(), index >= 5 && index <= 54 ? 1 : 0)
                << "index " << index << " with " << threads << " threads";
        }
    }
}

TEST_F(ThreadPoolTest, OneThreadRunsEverythingOnTheCallingThread) {
    setParallelThreadCount(1);
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> elsewhere{0};
    auto task = [&](int) {
        if (std::this_thread::get_id() != caller)
            ++elsewhere;
    };
    parallelFor(1, 40, task);
    EXPECT_EQ(elsewhere.load(), 0);
}

// Two threads run two tasks at the same time; each task starts with clear
// flags (the caller's invalid operation is not seen), and the faults of
// every thread reach the caller.
TEST_F(ThreadPoolTest, FaultsOfEveryThreadReachTheCallerAndNoneComeFromIt) {
    setParallelThreadCount(2);
    volatile long double zero = 0.0L;
    volatile long double invalid = zero / zero;  // raised on the caller only
    (void)invalid;
    clearFloatingPointFaults();
    std::atomic<int> started{0};
    std::atomic<int> met{0};
    std::atomic<int> dirty{0};
    auto task = [&](int index) {
        met += waitForAll(started, 2) ? 1 : 0;
        if (raisedFloatingPointFaults() != 0)
            ++dirty;
        volatile long double large = 1e4000L;
        volatile long double product = 1.0L;
        if (index == 1)
            product = large * large;  // overflow
        if (index == 2)
            product = large / 0.0L;  // division by zero
        (void)product;
    };
    const FloatingPointFaults faults = parallelFor(1, 2, task);
    EXPECT_EQ(met.load(), 2);
    EXPECT_EQ(dirty.load(), 0);
    EXPECT_EQ(faults, FE_OVERFLOW | FE_DIVBYZERO);
}

TEST_F(ThreadPoolTest, PoolThreadsUseTheCallersRoundingMode) {
    setParallelThreadCount(2);
    std::fesetround(FE_DOWNWARD);
    const long double downward = oneThird();
    std::fesetround(FE_TONEAREST);
    const long double nearest = oneThird();
    ASSERT_NE(downward, nearest);

    std::fesetround(FE_DOWNWARD);
    std::atomic<int> started{0};
    long double results[3] = {};
    auto task = [&](int index) {
        waitForAll(started, 2);
        results[index] = oneThird();
    };
    parallelFor(1, 2, task);
    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(results[1], downward);
    EXPECT_EQ(results[2], downward);
}

TEST_F(ThreadPoolTest, ALoopInsideATaskRunsOnThatTaskThread) {
    setParallelThreadCount(2);
    std::atomic<int> innerRuns{0};
    std::atomic<int> innerElsewhere{0};
    auto outer = [&](int) {
        const std::thread::id self = std::this_thread::get_id();
        auto inner = [&](int) {
            ++innerRuns;
            if (std::this_thread::get_id() != self)
                ++innerElsewhere;
        };
        parallelFor(1, 5, inner);
    };
    parallelFor(1, 4, outer);
    EXPECT_EQ(innerRuns.load(), 20);
    EXPECT_EQ(innerElsewhere.load(), 0);
}

TEST_F(ThreadPoolTest, EnvironmentVariableSetsTheDefaultThreadCount) {
    const char* saved = std::getenv("QUORVANE_THREADS");
    const std::string savedText = saved ? saved : "";
    unsetenv("QUORVANE_THREADS");
    const int machine = defaultParallelThreadCount();
    EXPECT_GE(machine, 1);

    setenv("QUORVANE_THREADS", "3", 1);
    EXPECT_EQ(defaultParallelThreadCount(), 3);
    setenv("QUORVANE_THREADS", "1", 1);
    EXPECT_EQ(defaultParallelThreadCount(), 1);
    for (const char* refused : {"0", "-2", "65", "abc", "2x", ""}) {
        setenv("QUORVANE_THREADS", refused, 1);
        EXPECT_EQ(defaultParallelThreadCount(), machine) << "'" << refused << "'";
    }

    setenv("QUORVANE_THREADS", "2", 1);
    setParallelThreadCount(5);
    EXPECT_EQ(parallelThreadCount(), 5);
    setParallelThreadCount(0);
    EXPECT_EQ(parallelThreadCount(), 2);
    setParallelThreadCount(1000);
    EXPECT_EQ(parallelThreadCount(), kMaxParallelThreads);

    if (saved) {
        setenv("QUORVANE_THREADS", savedText.c_str(), 1);
    } else {
        unsetenv("QUORVANE_THREADS");
    }
}

}  // namespace
}  // namespace quorvane
