#include "fit/minimum_search.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <numeric>
#include <optional>

#include "data/error.h"
#include "data/number_format.h"
#include "data/number_text.h"
#include "fit/curve_projection.h"
#include "fit/response_model.h"

namespace quorvane {

namespace {

// SplitMix64: a fixed, portable sequence of 64-bit numbers.
class SplitMix64 {
  public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        return z ^ (z >> 31);
    }
    // Uniform in 0..bound-1 by rejection, so that no value is favoured.
    std::uint64_t below(std::uint64_t bound) {
        const std::uint64_t limit = ~0ULL - (~0ULL % bound);
        std::uint64_t value = next();
        while (value >= limit)
            value = next();
        return value % bound;
    }

  private:
    std::uint64_t state_;
};

// Sorts logTimes[0..n-1] and pushes neighbours at least `spacing` apart
// inside [low, high], evenly spread when the range is too narrow.
void spaceApart(long double* logTimes, int n, long double low, long double high,
                long double spacing) {
    std::sort(logTimes, logTimes + n);
    if (n < 2)
        return;
    if (spacing * (n - 1) > high - low) {
        for (int j = 0; j < n; ++j)
            logTimes[j] = low + (high - low) * j / (n - 1);
        return;
    }
    for (int j = 1; j < n; ++j)
        logTimes[j] = std::max(logTimes[j], logTimes[j - 1] + spacing);
    logTimes[n - 1] = std::min(logTimes[n - 1], high);
    for (int j = n - 2; j >= 0; --j)
        logTimes[j] = std::min(logTimes[j], logTimes[j + 1] - spacing);
}

// The text Start reads back as exactly this value: 21 significant digits
// round-trip the 64-bit mantissa.
std::string exactText(long double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.20Le", value);
    std::string result(text);
    std::replace(result.begin(), result.end(), '.', decimalSeparator());
    return result;
}

// The current log-rates of components 1..n, ascending.
std::array<long double, kMaxComponents> sortedLogRates(int n) {
    std::array<long double, kMaxComponents> rates{};
    for (int j = 1; j <= n; ++j)
        rates[j - 1] = workspace.ParameterVector[rateIndex(j)];
    std::sort(rates.begin(), rates.begin() + n);
    return rates;
}

bool withinLogRate(const std::array<long double, kMaxComponents>& a,
                   const std::array<long double, kMaxComponents>& b, int n, long double tolerance) {
    for (int j = 0; j < n; ++j) {
        if (fabsl(a[j] - b[j]) > tolerance)
            return false;
    }
    return true;
}

// Thrown from the iteration hook of a run that came near a known minimum.
struct NearKnownMinimum {
    std::size_t minimum;
};

struct RunResult {
    bool nearMinimum = false;
    std::size_t minimum = 0;  // when nearMinimum
    bool converged = false;
    long double sumOfSquares = 0.0L;
    std::array<long double, kMaxComponents> logRates{};  // ascending
    std::string sumText;
};

class Search {
  public:
    Search(const MinimumSearchHooks& hooks, int plannedRuns)
        : hooks_(hooks), plannedRuns_(plannedRuns) {}

    // One Start from `boxes`; with `watchMinima`, stopped near a converged
    // minimum found before. `final` uses the caller's result hooks.
    RunResult run(const StartBoxes& boxes, bool watchMinima, bool final) {
        checkStop();
        RunResult result;
        StartHooks hooks;
        if (final)
            hooks = hooks_.result;
        hooks.processEvents = [&] {
            if (hooks_.result.processEvents)
                hooks_.result.processEvents();
            checkStop();
            if (watchMinima)
                stopNearKnownMinimum();
        };
        hooks.setProgress = [this](int position) { showProgress(position); };
        hooks.reportIterationsEnd = [&result](bool converged) { result.converged = converged; };
        try {
            result.sumText = runStart(boxes, hooks, FitMethod::VariableProjection);
        } catch (const NearKnownMinimum& near) {
            result.nearMinimum = true;
            result.minimum = near.minimum;
        }
        ++runsDone_;
        showProgress(0);
        if (!result.nearMinimum) {
            result.sumOfSquares = parseExtended(result.sumText).value_or(0.0L);
            result.logRates = sortedLogRates(workspace.componentCount);
        }
        return result;
    }

    // Counts a finished run as reaching a minimum, new or known.
    void record(const RunResult& run, int start, const StartBoxes& boxes) {
        const int n = workspace.componentCount;
        if (run.nearMinimum) {
            ++minima_[run.minimum].minimum.startsReached;
            return;
        }
        for (Found& found : minima_) {
            const long double larger = std::max(found.minimum.sumOfSquares, run.sumOfSquares);
            if (withinLogRate(found.logRates, run.logRates, n, kSameMinimumLogRate) &&
                fabsl(found.minimum.sumOfSquares - run.sumOfSquares) <= kSameMinimumSum * larger) {
                ++found.minimum.startsReached;
                // The converged run represents the minimum.
                if (run.converged && !found.minimum.converged)
                    found = makeFound(run, start, boxes, found.minimum.startsReached);
                return;
            }
        }
        minima_.push_back(makeFound(run, start, boxes, 1));
    }

    std::vector<SearchMinimum> minimaLowestFirst() const {
        std::vector<SearchMinimum> minima;
        for (const Found& found : minima_)
            minima.push_back(found.minimum);
        std::stable_sort(minima.begin(), minima.end(),
                         [](const SearchMinimum& a, const SearchMinimum& b) {
                             return a.sumOfSquares < b.sumOfSquares;
                         });
        return minima;
    }

    // The final run fills the progress bar's last share.
    void beginLastRun() { runsDone_ = std::max(runsDone_, plannedRuns_ - 1); }

    void setStartsDone(int done, int total) {
        startsDone_ = done;
        startTotal_ = total;
    }

  private:
    struct Found {
        SearchMinimum minimum;
        std::array<long double, kMaxComponents> logRates{};
    };

    Found makeFound(const RunResult& run, int start, const StartBoxes& boxes, int reached) const {
        const int n = workspace.componentCount;
        Found found;
        found.logRates = run.logRates;
        found.minimum.sumOfSquares = run.sumOfSquares;
        found.minimum.converged = run.converged;
        found.minimum.startsReached = reached;
        found.minimum.firstStart = start;
        found.minimum.boxes = boxes;
        // Ascending time constants are the descending log-rates.
        for (int j = 0; j < n; ++j)
            found.minimum.timeConstants[j] = expl(-run.logRates[n - 1 - j]);
        return found;
    }

    void stopNearKnownMinimum() const {
        const int n = workspace.componentCount;
        const std::array<long double, kMaxComponents> current = sortedLogRates(n);
        for (std::size_t m = 0; m < minima_.size(); ++m) {
            if (minima_[m].minimum.converged &&
                withinLogRate(minima_[m].logRates, current, n, kNearMinimumLogRate))
                throw NearKnownMinimum{m};
        }
    }

    void checkStop() const {
        if (hooks_.stopRequested && hooks_.stopRequested()) {
            throw QuorvaneError("The search was stopped after " + std::to_string(startsDone_) +
                                " of " + std::to_string(startTotal_) + " starts");
        }
    }

    void showProgress(int position) const {
        if (!hooks_.result.setProgress)
            return;
        const int runs = std::max(plannedRuns_, runsDone_ + 1);
        hooks_.result.setProgress((runsDone_ * 100 + position) / runs);
    }

    const MinimumSearchHooks& hooks_;
    int plannedRuns_;
    int runsDone_ = 0;
    int startsDone_ = 0;
    int startTotal_ = 0;
    std::vector<Found> minima_;
};

StartBoxes boxesFrom(const StartBoxes& typed, const std::array<long double, kMaxComponents>& values,
                     int n, bool logRates, int iterations) {
    StartBoxes boxes = typed;
    for (int j = 0; j < n; ++j)
        boxes.timeConstants[static_cast<std::size_t>(j)] =
            exactText(logRates ? expl(-values[j]) : values[j]);
    boxes.iterationCount = std::to_string(iterations);
    return boxes;
}

// The indices of the `count` starts whose projection (the sum of squares
// with the offsets and amplitudes solved at the start's time constants) is
// lowest, in that order; a start whose projection faults comes last. With the
// response in use, every start in its order.
std::vector<std::size_t> lowestProjectedStarts(const std::vector<SearchStart>& starts, int n,
                                               int count) {
    std::vector<std::size_t> order(starts.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (responseInUse())
        return order;
    const auto projection = std::make_unique<Projection>();
    std::vector<long double> sums;
    for (const SearchStart& start : starts) {
        long double logRates[kMaxComponents + 1] = {};
        for (int j = 1; j <= n; ++j)
            logRates[j] = -logl(start[static_cast<std::size_t>(j - 1)]);
        projectCurves(logRates, nullptr, *projection);
        sums.push_back(projection->valid ? projection->sumOfSquares
                                         : std::numeric_limits<long double>::infinity());
    }
    std::stable_sort(order.begin(), order.end(),
                     [&sums](std::size_t a, std::size_t b) { return sums[a] < sums[b]; });
    order.resize(static_cast<std::size_t>(count));
    return order;
}

}  // namespace

std::vector<SearchStart> searchStarts(const TimeConstantRange& range, int n, int count) {
    std::vector<SearchStart> starts;
    if (!range.known || count <= 0 || n < 1 || n > kMaxComponents)
        return starts;
    const long double low = logl(range.shortestStep);
    const long double high = logl(range.longestTime);
    SplitMix64 random(kStartSeed);
    // The strata of every dimension in shuffled order.
    std::vector<std::vector<int>> strata(static_cast<std::size_t>(n));
    for (std::vector<int>& order : strata) {
        order.resize(static_cast<std::size_t>(count));
        std::iota(order.begin(), order.end(), 0);
        for (int i = count - 1; i > 0; --i) {
            const auto other =
                static_cast<std::size_t>(random.below(static_cast<std::uint64_t>(i) + 1));
            std::swap(order[static_cast<std::size_t>(i)], order[other]);
        }
    }
    for (int i = 0; i < count; ++i) {
        long double logTimes[kMaxComponents];
        for (int d = 0; d < n; ++d) {
            const int stratum = strata[static_cast<std::size_t>(d)][static_cast<std::size_t>(i)];
            logTimes[d] = low + (high - low) * (stratum + 0.5L) / count;
        }
        spaceApart(logTimes, n, low, high, logl(kStartSpacingFactor));
        SearchStart start{};
        for (int d = 0; d < n; ++d)
            start[static_cast<std::size_t>(d)] = expl(logTimes[d]);
        starts.push_back(start);
    }
    return starts;
}

namespace {

MinimumSearchResult searchFrom(const StartBoxes& typed, int extraStarts,
                               const MinimumSearchHooks& hooks, int fitCountBefore) {
    const std::int32_t n = textToInteger(typed.componentCount);
    const std::int32_t iterations = textToInteger(typed.iterationCount);
    const int count = extraStarts < 0 ? kStartsPerComponent * std::max(n, 1) : extraStarts;
    const std::vector<SearchStart> starts = n >= 1 && n <= kMaxComponents
                                                ? searchStarts(dataTimeConstantRange(), n, count)
                                                : std::vector<SearchStart>{};
    const int scoutIterations = std::min(iterations, kScoutIterations);
    const int startTotal = 1 + static_cast<int>(starts.size());
    const int scoutCount = responseInUse()
                               ? static_cast<int>(starts.size())
                               : std::min(kScoutedStarts, static_cast<int>(starts.size()));
    const int finishable = iterations > scoutIterations ? std::min(kFinishedScouts, scoutCount) : 0;
    Search search(hooks, 1 + scoutCount + finishable + 1);
    search.setStartsDone(0, startTotal);

    // 1. The typed start.
    search.record(search.run(typed, false, false), 1, typed);
    search.setStartsDone(1, startTotal);

    // 2. The further starts with the lowest projected sums, a few iterations
    // each.
    const std::vector<std::size_t> scouted = lowestProjectedStarts(starts, n, scoutCount);
    struct Unfinished {
        int start;
        RunResult run;
    };
    std::vector<Unfinished> unfinished;
    int done = 1;
    for (const std::size_t i : scouted) {
        const StartBoxes boxes = boxesFrom(typed, starts[i], n, false, scoutIterations);
        const RunResult scout = search.run(boxes, true, false);
        const int start = static_cast<int>(i) + 2;
        if (scout.nearMinimum || scout.converged)
            search.record(scout, start, boxes);
        else
            unfinished.push_back({start, scout});
        search.setStartsDone(++done, startTotal);
    }

    // 3. The lowest unfinished ones go on from where they ended.
    std::stable_sort(unfinished.begin(), unfinished.end(),
                     [](const Unfinished& a, const Unfinished& b) {
                         return a.run.sumOfSquares < b.run.sumOfSquares;
                     });
    const std::size_t goOn = std::min(unfinished.size(), static_cast<std::size_t>(finishable));
    for (std::size_t i = 0; i < goOn; ++i) {
        const StartBoxes boxes =
            boxesFrom(typed, unfinished[i].run.logRates, n, true, iterations - scoutIterations);
        search.record(search.run(boxes, true, false), unfinished[i].start, boxes);
    }
    // Without iterations left, a scout's end is its result.
    if (finishable == 0) {
        for (const Unfinished& scout : unfinished)
            search.record(scout.run, scout.start,
                          boxesFrom(typed, starts[static_cast<std::size_t>(scout.start - 2)], n,
                                    false, scoutIterations));
        unfinished.clear();
    }

    MinimumSearchResult result;
    result.componentCount = n;
    result.startCount = startTotal;
    result.unfinishedStarts =
        static_cast<int>(unfinished.size() - goOn + (starts.size() - scouted.size()));
    result.minima = search.minimaLowestFirst();
    const auto lowest = std::find_if(result.minima.begin(), result.minima.end(),
                                     [](const SearchMinimum& m) { return m.converged; });
    result.lowestConverged = lowest != result.minima.end();
    if (lowest != result.minima.end() && lowest != result.minima.begin())
        std::rotate(result.minima.begin(), lowest, lowest + 1);

    // 4. The lowest result once more, as a single Start from its start; the
    // search counts as one completed Start.
    workspace.fitCount = fitCountBefore;
    search.beginLastRun();
    result.sumText = search.run(result.minima.front().boxes, false, true).sumText;
    if (hooks.result.setProgress)
        hooks.result.setProgress(100);
    return result;
}

}  // namespace

MinimumSearchResult searchLowestMinimum(const StartBoxes& typed, int extraStarts,
                                        const MinimumSearchHooks& hooks) {
    // Only a completed search counts, as one Start.
    const int fitCountBefore = workspace.fitCount;
    try {
        return searchFrom(typed, extraStarts, hooks, fitCountBefore);
    } catch (...) {
        workspace.fitCount = fitCountBefore;
        throw;
    }
}

std::string searchSummaryLine(const MinimumSearchResult& result) {
    const std::size_t distinct = result.minima.size();
    std::string line = "Search: " + std::to_string(result.startCount) + " starts, " +
                       std::to_string(distinct) +
                       (distinct == 1 ? " distinct minimum" : " distinct minima");
    if (!result.minima.empty())
        line += "; the lowest reached by " + std::to_string(result.minima.front().startsReached);
    if (!result.lowestConverged)
        line += "; none ended by a convergence test";
    if (result.unfinishedStarts > 0)
        line += "; " + std::to_string(result.unfinishedStarts) + " not finished";
    return line;
}

std::vector<std::string> searchReportLines(const MinimumSearchResult& result) {
    std::vector<std::string> lines{searchSummaryLine(result)};
    for (const SearchMinimum& minimum : result.minima) {
        std::string line = "  S = " + formatExponent6(minimum.sumOfSquares) + "  t =";
        for (int j = 0; j < result.componentCount; ++j)
            line += ' ' + formatExponent6(minimum.timeConstants[static_cast<std::size_t>(j)]);
        line += "  starts " + std::to_string(minimum.startsReached);
        line += minimum.converged ? "  converged" : "  not converged";
        lines.push_back(line);
    }
    return lines;
}

}  // namespace quorvane
