// The search for the lowest minimum of the sum of squares: Start with the
// variable-projection method (variable_projection.h) run from the typed time
// constants and from further starts spread over the data's times, keeping the
// lowest converged result.
//
// The starts. Start 1 is the typed one (the boxes as given). The further
// `count` starts (kStartsPerComponent n by default) form a Latin hypercube in
// the n log time constants over [ln h, ln T], h the data's shortest time step
// and T its longest time (time_constant_range.h): in dimension d the K points
// take the K strata of width (ln T - ln h)/K once each, at the stratum's
// centre, in an order drawn by a Fisher–Yates shuffle from SplitMix64 with
// the fixed seed kStartSeed (the same starts on every machine). Each start's
// time constants are then sorted and pushed apart so that neighbours differ
// by at least kStartSpacingFactor (upwards, then from T downwards; evenly
// over [h, T] when the range is too narrow for that). The boxes t(n+1)..t9
// keep their typed texts. Without a range of times only the typed start runs.
//
// The runs, one after another (each projection is spread over the thread pool
// and its result does not depend on the thread count, so neither does the
// search's):
//   1. the typed start runs with the typed iteration count;
//   2. every further start is projected once (its offsets and amplitudes
//      solved at its time constants); the kScoutedStarts of them with the
//      lowest sums of squares run at most kScoutIterations iterations each
//      (with the instrument response in use, every further start runs); the
//      others are counted as not finished;
//   3. the kFinishedScouts lowest of those that ended by the iteration count
//      go on from where they ended, for the typed count less the scout's; the
//      others are counted as not finished.
// In steps 2 and 3, a run whose current log-rates (sorted) come within
// kNearMinimumLogRate of those of a converged minimum found before, in every
// component, is stopped at the top of that iteration and counted as reaching
// that minimum.
//
// Minima. A run that ends by itself gives a result: converged when a
// convergence test ended it, not the iteration count. Two results are the
// same minimum when every sorted log-rate differs by at most
// kSameMinimumLogRate and their sums by at most kSameMinimumSum relative to
// the larger; otherwise they are distinct. The lowest result is the lowest
// converged one; when none converged, the lowest of all, and the report says
// so.
//
// At the end the lowest result is fitted once more from the start that gave
// it, with the caller's hooks: the workspace, the boxes written back, the
// fitted curves and the verdict are exactly those of a single Start from
// that start (with the typed iteration count, or for a continued start the
// rest of it), and fitCount counts the search as one Start. With the instrument response in use
// every run starts its centre and width from the typed values; only the time constants vary.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "fit/time_constant_range.h"

namespace quorvane {

inline constexpr int kStartsPerComponent = 8;
inline constexpr long double kStartSpacingFactor = 2.0L;
inline constexpr std::uint64_t kStartSeed = 0x51f0c3a7d2b4e965ULL;
inline constexpr int kScoutedStarts = 6;
inline constexpr int kScoutIterations = 2;
inline constexpr int kFinishedScouts = 2;
inline constexpr long double kNearMinimumLogRate = 0.3L;
inline constexpr long double kSameMinimumLogRate = 1e-3L;
inline constexpr long double kSameMinimumSum = 1e-6L;

// Time constants t1..tn of one start, ascending (entries past n unused).
using SearchStart = std::array<long double, kMaxComponents>;

// The further starts of the search for n components (count of them).
std::vector<SearchStart> searchStarts(const TimeConstantRange& range, int n, int count);

struct SearchMinimum {
    long double sumOfSquares = 0.0L;
    SearchStart timeConstants{};  // ascending
    int startsReached = 0;
    bool converged = false;
    int firstStart = 0;  // 1: the typed start
    StartBoxes boxes;    // the run that gave it
};

struct MinimumSearchResult {
    int componentCount = 0;
    int startCount = 0;  // the typed one included
    int unfinishedStarts = 0;
    std::vector<SearchMinimum> minima;  // lowest sum first
    bool lowestConverged = false;
    std::string sumText;  // the final Start's text for the sum-of-squares label
};

struct MinimumSearchHooks {
    // The hooks of the final fit (write-back, fitted curves, verdict); their
    // processEvents runs at the top of every iteration of every run, their
    // setProgress receives the search's progress over all its runs.
    StartHooks result;
    // Asked in every iteration and between runs; true stops the search with
    // a QuorvaneError, the workspace left as the stopped run left it (a
    // point of that fit, its coefficients solved at its log-rates) and
    // fitCount as before the search.
    std::function<bool()> stopRequested;
};

// extraStarts < 0: kStartsPerComponent n. Throws QuorvaneError as Start does.
MinimumSearchResult searchLowestMinimum(const StartBoxes& typed, int extraStarts,
                                        const MinimumSearchHooks& hooks);

// "Search: 25 starts, 3 distinct minima; the lowest reached by 17" (and
// "; none ended by a convergence test" when no run did).
std::string searchSummaryLine(const MinimumSearchResult& result);

// The summary, then one line per minimum, lowest first:
// "  S = 1.23456E-3  t = 1.00000E-5 2.00000E-4  starts 17  converged".
std::vector<std::string> searchReportLines(const MinimumSearchResult& result);

}  // namespace quorvane
