// On-demand verification of the extended exponential against MPFR (not part
// of CTest; scripts/verify_exp.sh runs it). Every argument goes through
// extendedExp and through the block form on each path the processor has
// (in place, in blocks of uneven lengths); every result must have the bits
// of the correctly rounded e^x.
//
//   extended_exp_verify [count] [threads] [search steps]
//
// count random arguments (default 10^9, ArgumentSampler), the constructed
// hard cases near 0, and the arguments found by stepping `search steps`
// arguments (default 2^36) in runs of 2^20 from random starts for e^x within
// 2^-24 units in the last place of a midpoint.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "data/exp_paths.h"
#include "data/exponential_oracle.h"
#include "data/extended_exp.h"

namespace quorvane {
namespace {

constexpr double kHardCaseThreshold = 0x1p-24;
constexpr std::int64_t kStepsPerRun = 1 << 20;

struct Tally {
    std::atomic<long long> checked{0};
    std::atomic<long long> differences{0};
    std::atomic<long long> hardCases{0};
    std::mutex lock;
    double closest = 1.0;
    std::vector<int> hardCasesBelow = std::vector<int>(64);  // [k]: distance < 2^-k
};

std::vector<ExponentialPath> availablePaths() {
    std::vector<ExponentialPath> paths;
    for (const ExponentialPath path :
         {ExponentialPath::scalar, ExponentialPath::avx2, ExponentialPath::avx512}) {
        if (exponentialPathAvailable(path))
            paths.push_back(path);
    }
    return paths;
}

// Checks the arguments on every path; prints and counts each difference.
void check(const std::vector<long double>& arguments, Tally& tally) {
    static const std::vector<ExponentialPath> paths = availablePaths();
    std::vector<long double> expected(arguments.size());
    for (std::size_t i = 0; i < arguments.size(); ++i)
        expected[i] = testing::oracleExp(arguments[i]);
    auto compare = [&](const std::vector<long double>& results, const char* path) {
        for (std::size_t i = 0; i < arguments.size(); ++i) {
            if (!testing::sameExtended(results[i], expected[i])) {
                ++tally.differences;
                std::lock_guard<std::mutex> guard(tally.lock);
                std::printf("DIFFERENCE (%s): exp(%La) = %La, expected %La\n", path, arguments[i],
                            results[i], expected[i]);
            }
        }
    };
    std::vector<long double> results(arguments.size());
    for (std::size_t i = 0; i < arguments.size(); ++i)
        results[i] = extendedExp(arguments[i]);
    compare(results, "extendedExp");
    for (const ExponentialPath path : paths) {
        results = arguments;
        for (std::size_t start = 0, length = 1; start < results.size();
             start += length, length = length % 61 + 1) {
            const int count = static_cast<int>(std::min(length, results.size() - start));
            extendedExpBlockOn(path, results.data() + start, results.data() + start, count);
        }
        compare(results, path == ExponentialPath::scalar ? "block, scalar"
                         : path == ExponentialPath::avx2 ? "block, AVX2"
                                                         : "block, AVX-512");
    }
    tally.checked += static_cast<long long>(arguments.size());
}

void checkRandom(long long count, unsigned seed, Tally& tally) {
    testing::ArgumentSampler sampler(seed);
    std::vector<long double> batch;
    for (long long done = 0; done < count; done += static_cast<long long>(batch.size())) {
        batch.clear();
        for (long long i = 0; i < std::min(count - done, 65536LL); ++i)
            batch.push_back(sampler.next());
        check(batch, tally);
    }
}

// Runs from random starts in the normal range of e^x, weighted like the
// random arguments.
void searchAndCheck(long long runs, unsigned seed, Tally& tally) {
    testing::ArgumentSampler sampler(seed);
    std::vector<long double> found;
    for (long long run = 0; run < runs; ++run) {
        long double start;
        do
            start = sampler.next();
        while (!(std::fabs(start) >= 0x1p-60L && start > -11354.0L && start < 11356.0L));
        for (const testing::HardCase& hard :
             testing::searchHardCases(start, kStepsPerRun, kHardCaseThreshold)) {
            found.push_back(hard.argument);
            std::lock_guard<std::mutex> guard(tally.lock);
            tally.closest = std::min(tally.closest, hard.distance);
            for (int k = 24; k < 64 && hard.distance < std::ldexp(1.0, -k); ++k)
                ++tally.hardCasesBelow[k];
        }
    }
    tally.hardCases += static_cast<long long>(found.size());
    check(found, tally);
}

}  // namespace
}  // namespace quorvane

int main(int argc, char** argv) {
    using namespace quorvane;
    const long long count = argc > 1 ? std::atoll(argv[1]) : 1000000000LL;
    const int threads = argc > 2 ? std::atoi(argv[2]) : 2;
    const long long searchSteps = argc > 3 ? std::atoll(argv[3]) : (1LL << 36);
    const long long runs = (searchSteps + kStepsPerRun - 1) / kStepsPerRun;

    std::printf("paths:");
    for (const ExponentialPath path : availablePaths())
        std::printf(" %s", path == ExponentialPath::scalar ? "scalar"
                           : path == ExponentialPath::avx2 ? "AVX2"
                                                           : "AVX-512");
    std::printf(" (and extendedExp one at a time)\n");

    Tally tally;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            const long long share = count / threads + (t < count % threads ? 1 : 0);
            checkRandom(share, 1000 + t, tally);
            searchAndCheck(runs / threads + (t < runs % threads ? 1 : 0), 2000 + t, tally);
        });
    }
    std::vector<long double> nearZero = testing::hardCasesNearZero();
    check(nearZero, tally);
    for (std::thread& worker : workers)
        worker.join();

    std::printf("random arguments:          %lld\n", count);
    std::printf("constructed near 0:        %zu\n", nearZero.size());
    std::printf(
        "searched steps:            %lld, hard cases found within 2^-24 ulp of a "
        "midpoint: %lld\n",
        runs * kStepsPerRun, tally.hardCases.load());
    for (int k = 26; k < 64 && tally.hardCasesBelow[k] > 0; k += 2)
        std::printf("    within 2^-%d ulp: %d\n", k, tally.hardCasesBelow[k]);
    if (tally.hardCases > 0)
        std::printf("    closest: 2^%.2f ulp\n", std::log2(tally.closest));
    std::printf("arguments checked:         %lld\n", tally.checked.load());
    std::printf("differences:               %lld\n", tally.differences.load());
    return tally.differences == 0 ? 0 : 1;
}
