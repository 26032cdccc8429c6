// The differential spectra without their charts: for each filled chart k the
// points (wavelength of curve c, amplitude k of curve c), c = 1..curveCount
// in load order.
//
// Chart k (1..9) is filled when k = 1 or k <= K (K = layoutComponentCount);
// the amplitude k of curve c is ParameterVector[(c-1)(K+1)+1+k], rounded to
// double. The wavelength of a curve is read from a title: its first three
// characters (the whole title when it is shorter), converted by textToDouble,
// so "450nm.txt" gives 450, "1064.txt" 106 and "45 nm.txt" 45. It is read
// anew for every filled chart.
//
// The builder hands every point to the caller as soon as it is computed, so
// that a failure leaves what was added before it: complete series in the
// earlier charts and the points of the earlier curves in the current one.
// The chart keeps its points in ascending wavelength; the builder does not
// sort.
#pragma once

#include <functional>
#include <string>

namespace quorvane {

// The title that carries curve c's wavelength (the trace's file name).
using CurveTitleSource = std::function<std::string(int curve)>;

struct SpectraSink {
    // A new series for chart k, before its first point.
    std::function<void(int chart)> beginChart;
    std::function<void(int chart, double wavelength, double amplitude)> addPoint;
};

// The wavelength read from a title; throws QuorvaneError "'%s' is not a valid
// floating point value" with the characters taken.
double wavelengthFromTitle(const std::string& title);

// Number of the last chart filled: max(1, K).
int filledSpectraCharts();

// Runs the command's loop over k = 1..filledSpectraCharts() and c = 1..C.
// Curves whose amplitudes would lie beyond the 300 parameter entries (traces
// loaded after a fit) are refused with a QuorvaneError before anything is
// added; a title that is not a number throws where it is read; an amplitude
// too large for a double throws "Floating point overflow" at its point.
void buildDifferentialSpectra(const CurveTitleSource& titleOf, const SpectraSink& sink);

}  // namespace quorvane
