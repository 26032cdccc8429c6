// On-demand verification of erfc and erfcx against MPFR (not part of CTest;
// scripts/verify_erfc.sh runs it): random arguments of erfc_oracle.h, every
// result within the bounds of extended_erfc.h and with its faults.
//
//   extended_erfc_verify [count] [threads]
//
// count random arguments (default 10^8) over `threads` threads (default 2).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "data/erfc_oracle.h"

int main(int argc, char** argv) {
    using namespace quorvane::testing;
    const long long count = argc > 1 ? std::atoll(argv[1]) : 100000000LL;
    const int threads = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
    std::vector<ErfcFindings> findings(threads);
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([&, t] {
            ErfcArgumentSampler sampler(1000 + t);
            std::vector<long double> batch;
            const long long share = count / threads + (t < count % threads ? 1 : 0);
            for (long long done = 0; done < share; done += static_cast<long long>(batch.size())) {
                batch.clear();
                for (long long i = 0; i < std::min(share - done, 65536LL); ++i)
                    batch.push_back(sampler.next());
                checkErfc(batch.data(), batch.size(), findings[t]);
            }
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    for (int t = 1; t < threads; ++t)
        findings[0].merge(findings[t]);
    findings[0].print();
    const bool within = findings[0].withinBounds();
    std::printf("%s\n", within ? "within the bounds" : "BOUNDS EXCEEDED");
    return within ? 0 : 1;
}
