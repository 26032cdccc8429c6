// The sequential scheme's transformation between decay- and
// evolution-associated amplitudes, and its refusals.

#include "fit/evolution_spectra.h"

#include <gtest/gtest.h>

#include <cmath>

#include "support/expect_error.h"

namespace quorvane {
namespace {

const std::vector<std::string> kLabels = {"t1", "t2", "t3", "t4", "step"};

long double largestRelativeDifference(const std::vector<long double>& a,
                                      const std::vector<long double>& b) {
    long double largest = 0.0L;
    for (std::size_t i = 0; i < a.size(); ++i)
        largest = std::max(largest, fabsl(a[i] - b[i]) / fabsl(b[i]));
    return largest;
}

TEST(EvolutionSpectra, DecayToEvolutionAndBackGivesTheDecayAmplitudes) {
    struct Case {
        std::vector<long double> rates;
        std::vector<long double> das;
    };
    const std::vector<Case> cases = {
        {{1e5L}, {0.3L}},
        {{1e3L, 1e5L, 1e4L}, {0.2L, -0.4L, 0.05L}},
        // A last species that never decays (the response's step).
        {{2e6L, 3e4L, 1e5L, 7e2L, 0.0L}, {0.1L, -0.2L, 0.3L, 0.04L, -0.01L}},
        // Close rates (relative difference 1e-3), still distinct.
        {{1.001e4L, 1e4L}, {0.5L, -0.5005L}},
    };
    for (const Case& c : cases) {
        const SequentialScheme scheme = sequentialScheme(c.rates, kLabels);
        std::vector<long double> das;
        for (const int component : scheme.components)
            das.push_back(c.das[component]);
        const std::vector<long double> eas = evolutionFromDecay(scheme, das);
        EXPECT_LT(largestRelativeDifference(decayFromEvolution(scheme, eas), das), 1e-15L);
        // Only species 1 at time zero: its EAS is the signal then, the sum of the DAS.
        long double atZero = 0.0L;
        for (const long double amplitude : das)
            atZero += amplitude;
        EXPECT_NEAR(static_cast<double>(eas[0]), static_cast<double>(atZero), 1e-14);
        for (std::size_t i = 1; i < scheme.rates.size(); ++i)
            EXPECT_GT(scheme.rates[i - 1], scheme.rates[i]);
    }
}

TEST(EvolutionSpectra, EqualOrIndistinguishableRatesAreRefusedByName) {
    struct Case {
        std::vector<long double> rates;
        std::string refused;  // the message's start, or kNoError
    };
    const std::vector<Case> cases = {
        {{1e4L, 1e3L, 1e3L}, "t2 and t3 have equal or indistinguishable rates"},
        {{1e3L, 1e4L, 1e4L * (1 + 1e-7L)}, "t3 and t2 have equal or indistinguishable rates"},
        {{1e4L, 1e4L * (1 + 1e-5L)}, testing::kNoError},
        {{0.0L, 5.0L, 0.0L, 1.0L, 0.0L}, "t1 and t3 have equal or indistinguishable rates"},
        {{1e4L, INFINITY}, "t2 has no finite rate"},
        {{1e4L, -1.0L}, "t2 has no finite rate"},
    };
    for (const Case& c : cases) {
        const std::string message = testing::errorOf([&] { sequentialScheme(c.rates, kLabels); });
        EXPECT_EQ(message.substr(0, c.refused.size()), c.refused) << message;
    }
}

}  // namespace
}  // namespace quorvane
