// No heap allocation inside the iterations of a Start or inside a build: the
// workspace, the pool threads and every scratch area exist beforehand. This
// program replaces the global operator new and counts the allocations of
// every thread while a window is open.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "data/thread_pool.h"
#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "fit/goodness_of_fit.h"
#include "lsq/linear_solver.h"
#include "lsq/normal_equations.h"
#include "support/synthetic_traces.h"

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void* allocate(std::size_t size) {
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1);
    if (void* memory = std::malloc(size == 0 ? 1 : size))
        return memory;
    throw std::bad_alloc();
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    if (counting.load(std::memory_order_relaxed))
        allocations.fetch_add(1);
    const std::size_t align = static_cast<std::size_t>(alignment);
    const std::size_t rounded = (size + align - 1) / align * align;
    if (void* memory = std::aligned_alloc(align, rounded == 0 ? align : rounded))
        return memory;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}
void* operator new[](std::size_t size) {
    return allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    try {
        return allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return allocateAligned(size, alignment);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}

namespace quorvane {
namespace {

// Opens the counting window; close() returns the allocations inside it.
class AllocationWindow {
  public:
    void open() {
        allocations.store(0);
        counting.store(true);
    }
    long close() {
        counting.store(false);
        return allocations.load();
    }
};

// Three noisy traces of three components on one axis from 1e-7 to 1.
void loadTraces() {
    for (unsigned c = 1; c <= 3; ++c)
        testing::addDecay({0.002L * c,
                           {0.03L, 0.03L + 0.01L * c, 0.03L + 0.02L * c},
                           {5e-6L, 1e-4L, 3e-3L},
                           1e-4,
                           c},
                          {400, 1e-7, 1.0});
}

class Allocations : public testing::WorkspaceTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        WorkspaceTest::SetUp();
        setParallelThreadCount(GetParam());
        loadTraces();
    }
    void TearDown() override { setParallelThreadCount(0); }
};

TEST_P(Allocations, TheCounterSeesAnAllocation) {
    AllocationWindow window;
    window.open();
    int* probe = new int(3);
    const long seen = window.close();
    delete probe;
    EXPECT_EQ(seen, 1);
}

struct StartAllocations {
    int eventPasses = 0;
    long atLastProgress = -1;  // -1: no progress update came
};

// From the first event pass to the last progress update: every iteration of
// a Start, with the time constants released from iteration 5 on (classic).
StartAllocations allocationsOfStart(FitMethod method) {
    StartBoxes boxes;
    boxes.componentCount = "3";
    boxes.iterationCount = "8";
    boxes.timeConstants = {"6e-6", "8e-5", "4e-3",  "20e-3", "8e-3",
                           "2e-3", "8e-3", "40e-3", "10e-6"};
    AllocationWindow window;
    StartAllocations result;
    StartHooks hooks;
    hooks.processEvents = [&] {
        if (result.eventPasses++ == 0)
            window.open();
    };
    hooks.setProgress = [&](int) { result.atLastProgress = allocations.load(); };
    runStart(boxes, hooks, method);
    window.close();
    return result;
}

TEST_P(Allocations, NoneDuringTheIterationsOfAStart) {
    // Variable projection first, while its stores are still to be grown.
    const StartAllocations projection = allocationsOfStart(FitMethod::VariableProjection);
    EXPECT_GE(projection.eventPasses, 2);
    EXPECT_EQ(projection.atLastProgress, 0);
    const StartAllocations classic = allocationsOfStart(FitMethod::Classic);
    EXPECT_EQ(classic.eventPasses, 8);
    EXPECT_EQ(classic.atLastProgress, 0);
}

TEST_P(Allocations, NoneInBuildsSolvesSumsAndTheInversion) {
    workspace.componentCount = 3;
    workspace.layoutComponentCount = 3;
    const int s = 4 * workspace.curveCount;
    for (int q = 1; q <= s; ++q)
        workspace.ParameterVector[q] = 0.02L;
    const long double timeConstants[] = {0, 6e-6L, 8e-5L, 4e-3L};
    for (int m = 1; m <= 3; ++m)
        workspace.ParameterVector[s + m] = -logl(timeConstants[m]);
    workspace.lambda = 0.001L;
    // Once outside the window: the pool threads start at the first loop.
    buildNormalMatrix();

    AllocationWindow window;
    window.open();
    buildNormalMatrix();
    buildGradientVector();
    solveStep();
    trialSumSquaredResiduals();
    sumSquaredResiduals();
    workspace.ParameterVector[1] += 0.001L;  // the gradient and the sum are formed anew
    buildGradientVector();
    sumSquaredResiduals();
    workspace.lambda = 0.0L;
    buildNormalMatrix();
    invertNormalMatrix(fittedParameterCount());
    EXPECT_EQ(window.close(), 0);
}

INSTANTIATE_TEST_SUITE_P(ThreadCounts, Allocations, ::testing::Values(1, 2));

}  // namespace
}  // namespace quorvane
