// Curves recorded on one time axis. In a pump-probe or flash-photolysis run
// every wavelength is recorded at the same delays, so the traces have the
// same times line for line; every exponential of the fit depends on a time
// and the shared log-rates only, so curves of one axis can share them.
//
// Two curves share an axis when their point counts are equal and their times
// are the same doubles bit for bit, point for point. The grouping is found
// from the workspace after the curve data changed (the generation moved, or
// curveCount differs from the count it was found for), not at every use.
//
// Whatever writes the times, values or point count of a curve slot calls
// noteCurveDataChanged: the reader and Clear do, and so must tests and tools
// that write curve data directly. A grouping is a statement about the data
// as of the last notification; a pass that shares work through it follows an
// AxisSharing plan (below), whose curves still compare the times they share,
// so that data written without a notification costs speed, never a wrong
// result.
#pragma once

#include <cstdint>

#include "data/workspace.h"

namespace quorvane {

// Marks the curve data as changed: the generation moves on.
void noteCurveDataChanged();

// Moves on at every notification; starts at 1.
std::uint64_t curveDataGeneration();

struct TimeAxes {
    int curveCount;  // curves 1..curveCount are grouped
    int axisCount;   // distinct axes among them
    // For each curve: the lowest-numbered curve on its axis (itself when it
    // is the first), and its axis numbered 1..axisCount in order of first
    // appearance.
    int representative[kMaxCurves + 1];
    int axis[kMaxCurves + 1];
};

// Curves a and b of the workspace have the same point count and the same
// times, bit for bit: the test the grouping applies, for a user that checks
// a grouping against the data as they are now.
bool sameTimes(int a, int b);

// The grouping of curves 1..workspace.curveCount, found anew when the curve
// data changed since it was last found. Called on the thread that owns the
// workspace.
const TimeAxes& timeAxes();

// Which curves of one pass over curves 1..curveCount share the work of an
// axis: the curves of an axis of the grouping that have the point count of
// its first curve, when there are at least two of them. The first curve's
// times form the shared axis; every other curve works on an axis of its own.
// Both fit engines plan with it: the curve passes of the normal equations
// (lsq/curve_passes.cpp) share batches of exponentials, the variable
// projection (fit/curve_projection.cpp) the factorisations of an axis.
inline constexpr int kMaxSharedAxes = kMaxCurves / 2;

struct AxisSharing {
    int longestCurve;     // the most points of any of the curves
    int sharedAxisCount;  // shared axes a = 1..sharedAxisCount, in order of their first curves
    int firstCurve[kMaxSharedAxes + 1];  // the curve whose times form shared axis a
    // The shared axis of curve c, 0 for a curve on an axis of its own.
    int sharedAxisOf[kMaxCurves + 1];
    // The curves of shared axis a in increasing order, its first curve first:
    // sharingCurves[axisStart[a]] .. sharingCurves[axisStart[a + 1] - 1].
    int axisStart[kMaxSharedAxes + 2];
    int sharingCurves[kMaxCurves];
    // The curves on axes of their own, in increasing order.
    int loneCount;
    int loneCurves[kMaxCurves];
};

// Plans a pass over curves 1..curves (at most workspace.curveCount) from
// timeAxes(). With share false every curve is on an axis of its own (a pass
// with nothing to share).
void planAxisSharing(int curves, bool share, AxisSharing& plan);

// The check of a curve that the plan puts on a shared axis, made before it
// uses the axis: its times are still those of the axis's first curve, bit
// for bit (sameTimes; always true for the first curve itself). A curve that
// fails it works on an axis of its own.
bool keepsSharedAxis(const AxisSharing& plan, int curve);

}  // namespace quorvane
