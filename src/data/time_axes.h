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
// as of the last notification; a user whose result depends on it (the curve
// passes of lsq/) still compares the times it shares, so that data written
// without a notification costs speed, never a wrong result.
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

}  // namespace quorvane
