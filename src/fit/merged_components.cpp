#include "fit/merged_components.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "data/workspace.h"

namespace quorvane {

namespace {

// The data's own sum of squares, sum over curves of sum of y*y.
long double dataSumOfSquares() {
    long double total = 0.0L;
    for (int c = 1; c <= workspace.curveCount; ++c) {
        long double curveSum = 0.0L;
        for (int i = 1; i <= workspace.pointCount[c]; ++i) {
            const long double y = workspace.curves[c].values[i];
            curveSum = curveSum + y * y;
        }
        total = total + curveSum;
    }
    return total;
}

void currentLogRates(int n, long double* logRates) {
    for (int j = 1; j <= n; ++j)
        logRates[j] = workspace.ParameterVector[rateIndex(j)];
}

// Refits the pair from its mean moved apart by each factor in turn; true
// (with the refit's result in ParameterVector and `fitted`) for the first
// that lowers the sum of squares enough, false with ParameterVector as it
// was.
bool splitPair(const Refit& refit, const ComponentPair& pair, int n, RefitResult& fitted) {
    long double saved[kMaxParameters + 1];
    std::memcpy(saved, workspace.ParameterVector, sizeof saved);
    long double logRates[kMaxComponents + 1] = {};
    currentLogRates(n, logRates);
    const long double mean = 0.5L * (logRates[pair.first] + logRates[pair.second]);
    for (const long double factor : kSplitFactors) {
        long double start[kMaxComponents + 1];
        std::copy(logRates, logRates + n + 1, start);
        start[pair.first] = mean - logl(factor);
        start[pair.second] = mean + logl(factor);
        RefitResult result;
        const bool ran = refit(start, result);
        if (ran && result.sumOfSquares < (1.0L - kSplitGain) * fitted.sumOfSquares) {
            fitted = result;
            return true;
        }
        if (ran)
            std::memcpy(workspace.ParameterVector, saved, sizeof saved);
    }
    return false;
}

}  // namespace

int findMergedPairs(const long double* logRates, int n, ComponentPair* pairs) {
    bool paired[kMaxComponents + 1] = {};
    int count = 0;
    for (;;) {
        ComponentPair closest;
        long double gap = kMergedLogRateGap;
        for (int i = 1; i <= n; ++i) {
            for (int j = i + 1; j <= n; ++j) {
                const long double distance = fabsl(logRates[i] - logRates[j]);
                if (!paired[i] && !paired[j] && distance <= gap) {
                    gap = distance;
                    closest = {i, j};
                }
            }
        }
        if (closest.first == 0)
            return count;
        paired[closest.first] = paired[closest.second] = true;
        pairs[count++] = closest;
    }
}

void splitMergedComponents(const Refit& refit, RefitResult& fitted, MergedComponents& merged) {
    const int n = workspace.componentCount;
    merged = MergedComponents{};
    long double logRates[kMaxComponents + 1] = {};
    currentLogRates(n, logRates);
    ComponentPair pairs[kMaxComponents];
    int pairCount = findMergedPairs(logRates, n, pairs);
    // A fit that reproduces the data to rounding has nothing to gain.
    const bool exact = pairCount > 0 && fitted.sumOfSquares <= kExactFitShare * dataSumOfSquares();
    for (int round = 1; round < n && pairCount > 0 && !exact; ++round) {
        bool kept = false;
        for (int p = 0; p < pairCount && !kept; ++p) {
            kept = splitPair(refit, pairs[p], n, fitted);
            if (kept)
                merged.split[merged.splitCount++] = pairs[p];
        }
        if (!kept)
            break;
        currentLogRates(n, logRates);
        pairCount = findMergedPairs(logRates, n, pairs);
    }
    for (int p = 0; p < pairCount; ++p)
        merged.merged[merged.mergedCount++] = pairs[p];
}

}  // namespace quorvane
