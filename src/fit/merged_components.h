// Components that merged in a variable-projection fit, split again.
//
// Two equal log-rates k_i = k_j are a saddle of the projected sum of squares
// S(k): exchanging the two rates leaves S unchanged, so its gradient along
// k_i - k_j vanishes there, and a Levenberg–Marquardt fit that reaches the
// pair's common value never leaves it, however often it is restarted. A fit
// that ends near such a point is "merged":
//   - two log-rates differ by at most kMergedLogRateGap (their time
//     constants agree to 1 %).
// Each merged pair (the closest first, each component in one pair at most)
// is restarted from its mean log-rate m moved apart, k_i = m - ln f and k_j =
// m + ln f (time constants t f and t / f, f = kSplitFactors in turn), the
// other log-rates as the fit left them, and refitted; the first refit whose
// sum of squares lies below (1 - kSplitGain) S of the merged fit is kept and
// the search goes on from it (its pairs are looked at anew), at most
// n - 1 times. A pair that no factor separates stays merged. A fit whose sum
// of squares is at most kExactFitShare of the data's own sum of squares
// reproduces them to rounding: its merged pairs are not tried, they stay
// merged.
//
// Iterations: the fit and each refit are separate fits of at most the typed
// iteration count; the splitting therefore costs at most
// 3 (n - 1) floor(n / 2) more fits, and only when components merged. The
// refits let the window process its events at every iteration, as the fit
// does, but do not move the progress bar.
//
// When no split is kept, ParameterVector is given back bit for bit as the
// merged fit left it.
#pragma once

#include <functional>

#include "fit/convergence_verdict.h"
#include "lsq/trust_region_fit.h"

namespace quorvane {

inline constexpr long double kMergedLogRateGap = 0.01L;
inline constexpr long double kSplitGain = 1e-6L;
inline constexpr long double kExactFitShare = 1e-20L;
inline constexpr long double kSplitFactors[] = {2.0L, 4.0L, 10.0L};

// One fit from the log-rates start[1..n]: false when the start itself
// faults (nothing of ParameterVector is changed then); otherwise it leaves
// the fit's result in ParameterVector and gives its sum of squares, outcome
// and the sums at the starts of its last iterations.
struct RefitResult {
    long double sumOfSquares = 0.0L;
    TrustRegionOutcome outcome;
    RecentSums recentSums;
};
using Refit = std::function<bool(const long double* start, RefitResult& result)>;

// The merged pairs (i < j) of logRates[1..n], closest first, each component
// in one pair at most; returns their count.
int findMergedPairs(const long double* logRates, int n, ComponentPair* pairs);

// Splits the merged pairs of the fit that `fitted` describes (its result in
// ParameterVector) by refits; on return `fitted` and ParameterVector are
// those of the fit kept, and `merged` lists the pairs split and those that
// stayed merged.
void splitMergedComponents(const Refit& refit, RefitResult& fitted, MergedComponents& merged);

}  // namespace quorvane
