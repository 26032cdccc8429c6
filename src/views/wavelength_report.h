// The differential spectra without their charts: for each filled chart k the
// points (wavelength of curve c, amplitude k of curve c), c = 1..curveCount
// in load order.
//
// Chart k (1..9) is filled when k = 1 or k <= K (K = layoutComponentCount);
// the amplitude k of curve c is ParameterVector[(c-1)(K+1)+1+k], rounded to
// double. The wavelength of curve c is workspace.wavelength[c]: what the
// trace reader read from the file's name (wavelengthFromTitle), or the
// wavelength of a trace chosen from a matrix file. Where it is NaN (a trace
// file whose name gives no number) the curve's title is read again, so that
// the command fails with the conversion's message naming the characters
// taken.
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

// The title of curve c (the trace's file name): read when the curve has no
// stored wavelength.
using CurveTitleSource = std::function<std::string(int curve)>;

struct SpectraSink {
    // A new series for chart k, before its first point.
    std::function<void(int chart)> beginChart;
    std::function<void(int chart, double wavelength, double amplitude)> addPoint;
};

// The wavelength read from a title: its first three characters (the whole
// title when it is shorter), converted by textToDouble, so "450nm.txt" gives
// 450, "1064.txt" 106 and "45 nm.txt" 45. Throws QuorvaneError "'%s' is not a
// valid floating point value" with the characters taken.
double wavelengthFromTitle(const std::string& title);

// Number of the last chart filled: max(1, K).
int filledSpectraCharts();

// Runs the command's loop over k = 1..filledSpectraCharts() and c = 1..C.
// Curves whose amplitudes would lie beyond the 300 parameter entries (traces
// loaded after a fit) are refused with a QuorvaneError before anything is
// added; a curve without a wavelength whose title is not a number throws
// where it is read; an amplitude
// too large for a double throws "Floating point overflow" at its point.
void buildDifferentialSpectra(const CurveTitleSource& titleOf, const SpectraSink& sink);

}  // namespace quorvane
