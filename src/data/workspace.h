// The one global state of Quorvane: loaded traces, counters, the fit's
// parameters and the vectors and matrices of the Levenberg–Marquardt
// iteration. Every numerical routine reads and writes it directly.
//
// Storage is static, zero-filled at process start and never allocated or
// freed. All indices are 1-based: curves 1..40, points 1..20000, components
// 1..9, parameter entries and matrix rows/columns 1..300. Index 0 of every
// array is unused so that the code reads like the index rules below.
//
// Precision: trace data are 64-bit doubles; everything of the fit is 80-bit
// extended (`long double` on x86-64, 64-bit mantissa).
//
// Parameter layout, with n = componentCount and C = curveCount:
//   offsetIndex(c)       = (c-1)(n+1) + 1        offset Y0 of curve c
//   amplitudeIndex(c, j) = (c-1)(n+1) + 1 + j    amplitude Aj of curve c, j = 1..n
//   rateIndex(j)         = (n+1)C + j            logRate -ln(tj), j = 1..9
//   fittedParameterCount = (n+1)C + n
// A Start writes entries 1..(n+1)C+9, which must not exceed 300.
#pragma once

#include <cstdint>

namespace quorvane {

inline constexpr int kMaxCurves = 40;
inline constexpr int kMaxPoints = 20000;
inline constexpr int kMaxParameters = 300;
inline constexpr int kMaxComponents = 9;
// The log-rate entries after the per-curve blocks: one for each time
// constant t1..t9, all nine written at every Start, the first n fitted.
inline constexpr int kLogRateEntries = 9;

// One loaded trace (one text file). Point i is (times[i], values[i]) for
// i = 1..pointCount, in file order; entries above pointCount are stale.
struct Curve {
    double values[kMaxPoints + 1];
    double times[kMaxPoints + 1];
};

struct Workspace {
    std::int32_t curveCount;
    std::int32_t componentCount;
    std::int32_t layoutComponentCount;
    Curve curves[kMaxCurves + 1];
    // The point counts form an array of their own; only 1..40 are used.
    std::int32_t pointCount[kMaxParameters + 1];
    long double normalMatrix[kMaxParameters + 1][kMaxParameters + 1];
    long double covarianceMatrix[kMaxParameters + 1][kMaxParameters + 1];
    long double ParameterVector[kMaxParameters + 1];
    long double stepVector[kMaxParameters + 1];
    long double trialVector[kMaxParameters + 1];
    long double gradientVector[kMaxParameters + 1];
    long double lambda;
    std::int32_t fitCount;
    // Curves whose blocks of ParameterVector hold coefficients laid out for
    // layoutComponentCount, that is the curveCount of the last Start. Curves
    // loaded after it get start values instead of whatever stood there.
    std::int32_t laidOutCurveCount;
    // The probe wavelength of curve c, in the unit of its source: from a
    // matrix file its column (or the mean of its bin), from a trace file the
    // number its name begins with (trace_wavelength.h), NaN when the name
    // begins with none. Written with the curve's data, never cleared.
    double wavelength[kMaxCurves + 1];
};

// The single instance; zero-initialised static storage.
extern Workspace workspace;

// The index rules for the blocks of n = componentCount components over
// C = curveCount curves. The workspace's own rules below are these with its
// current counts; an explicit layout serves where the blocks are laid out
// for other counts (the old layout that relayoutCoefficients reads).
struct ParameterLayout {
    int componentCount;  // n
    int curveCount;      // C

    // (c-1)(n+1) + 1
    constexpr int offsetIndex(int curve) const { return (curve - 1) * (componentCount + 1) + 1; }
    // (c-1)(n+1) + 1 + j
    constexpr int amplitudeIndex(int curve, int component) const {
        return offsetIndex(curve) + component;
    }
    // (n+1)C: every curve's offset and amplitudes, the entries before the
    // log-rates.
    constexpr int coefficientCount() const { return (componentCount + 1) * curveCount; }
    // (n+1)C + j
    constexpr int rateIndex(int component) const { return coefficientCount() + component; }
    // (n+1)C + n
    constexpr int fittedParameterCount() const { return rateIndex(componentCount); }
    // (n+1)C + 9: what a Start writes, which must not exceed 300.
    constexpr int entriesWrittenByStart() const { return rateIndex(kLogRateEntries); }
};

// The layout of the current componentCount and curveCount.
inline ParameterLayout currentLayout() {
    return ParameterLayout{workspace.componentCount, workspace.curveCount};
}

// Index rules, always with the current componentCount and curveCount.
inline int offsetIndex(int curve) {
    return currentLayout().offsetIndex(curve);
}
inline int amplitudeIndex(int curve, int component) {
    return currentLayout().amplitudeIndex(curve, component);
}
inline int rateIndex(int component) {
    return currentLayout().rateIndex(component);
}
inline int fittedParameterCount() {
    return currentLayout().fittedParameterCount();
}

// Entries that a Start writes for n components and C curves: (n+1)C + 9.
inline int entriesWrittenByStart(int componentCount, int curveCount) {
    return ParameterLayout{componentCount, curveCount}.entriesWrittenByStart();
}

// curveCount and fitCount to 0; normalMatrix and stepVector all 0; the curve
// data count as changed (data/time_axes.h). Leaves
// componentCount, layoutComponentCount, ParameterVector, trialVector,
// gradientVector, covarianceMatrix, lambda, the curves and point counts.
void resetWorkspace();

// Called by Start right after componentCount was read:
//  1. fitCount == 0: layoutComponentCount = componentCount and every offset
//     and amplitude (entries 1..(n+1)C) = 1.0;
//  2. componentCount != layoutComponentCount: relayoutCoefficients().
//  3. curves loaded since the last Start (laidOutCurveCount < curveCount) get
//     the start values 1.0 in their blocks, like the curves of a first fit;
//     laidOutCurveCount = curveCount.
// The caller has checked that (n+1)C + 9 <= 300 and 1 <= n <= 9.
void prepareCoefficients();

// Moves each curve's block from the layout for L = layoutComponentCount to the
// layout for n = componentCount: clears normalMatrix and stepVector, keeps the
// offset and the first min(n, L) amplitudes, new amplitudes start at 1.0, then
// layoutComponentCount = n. Only the laidOutCurveCount curves that hold old
// blocks are read; the others start at 1.0. The log-rates after the blocks
// are left to Start.
void relayoutCoefficients();

}  // namespace quorvane
