// The Start command of the global fit, free of any window: it works from the
// texts of the eleven boxes and reports back through hooks, so that the
// desktop program and the batch command run the very same routine.
//
// Order of one Start:
//   1. parse the component-count text (integer) and check it (1..9, and
//      (n+1)C + 9 <= 300 entries) before anything changes; a Start with no
//      trace and at least one iteration is refused here too (the iteration
//      text is only peeked at: when it is no integer, its error comes in
//      step 4); a Start given while another one runs is refused;
//   2. componentCount = n; prepareCoefficients();
//   3. lambda = 0.001L;
//   4. parse the iteration-count text (integer);
//   5. for k = 1..9 parse box t_k (extended) and store -ln(t) at rateIndex(k);
//   5a. each -ln(t) is checked before it is stored: t = 0 throws "Floating
//      point division by zero", t < 0 "Invalid floating point operation";
//   6. with the classic method (the default), for i = 1..iterationCount:
//      hooks.processEvents(); build the damped
//      system, solve; trial = trialSumSquaredResiduals(); current =
//      sumSquaredResiduals(); trial < current accepts: lambda /= 10 and the
//      step is added to entries 1..(n+1)C (i <= 4) or 1..N (i >= 5);
//      otherwise lambda *= 10; hooks.setProgress((i*100) / iterationCount),
//      i*100 in 64 bits. A command run in the event pass that changes
//      curveCount or the component layout stops the fit with an error;
//      with variable projection (variable_projection.h) the same event
//      pass, guard and progress come with each of its iterations, the
//      progress goes to 100 when a convergence test ends the fit early, and
//      lambda keeps the 0.001 of step 3;
//   7. hooks.writeTimeConstants with exp(-logRate_k) in the exponent format;
//   8. hooks.replaceFittedCurves() (the window frees the previous fitted
//      curves and plots fittedCurvePoints for every curve);
//   9. the final sumSquaredResiduals() is formed (and checked), fitCount + 1;
//  10. hooks.reportVerdict with the verdict on the result
//      (convergence_verdict.h), when that hook is set;
//  11. returns that sum in the general 15-digit format.
// Any error throws QuorvaneError at the point where it happens; what was
// changed before stays changed (a fault inside the loop leaves
// ParameterVector at the last accepted iteration).
#pragma once

#include <array>
#include <functional>
#include <string>

#include "fit/convergence_verdict.h"
#include "fit/fit_method.h"
#include "fit/response_boxes.h"

namespace quorvane {

// Texts of the boxes read by Start: component count, iteration count, t1..t9,
// and the instrument-response dialog's (off by default).
struct StartBoxes {
    std::string componentCount = "4";
    std::string iterationCount = "50";
    std::array<std::string, 9> timeConstants = {"10e-6", "100e-6", "2e-3",  "20e-3", "8e-3",
                                                "2e-3",  "8e-3",   "40e-3", "10e-6"};
    ResponseBoxes response;
};

using TimeConstantTexts = std::array<std::string, 9>;

// Every hook may be left empty. The iteration loop itself allocates nothing;
// the hooks should not either when they are called once per iteration.
struct StartHooks {
    std::function<void()> processEvents;
    std::function<void(int position)> setProgress;
    std::function<void(const TimeConstantTexts& texts)> writeTimeConstants;
    // With the instrument response on: the response's boxes with the fitted
    // values written back (the fixed ones as typed), like the time constants.
    std::function<void(const ResponseBoxes& fitted)> writeResponse;
    std::function<void()> replaceFittedCurves;
    // After a completed Start.
    std::function<void(const FitVerdict& verdict)> reportVerdict;
    // With variable projection, when its iterations have ended: true when a
    // convergence test ended them, false when the iteration count did.
    std::function<void(bool convergenceTestHeld)> reportIterationsEnd;
};

// Runs one Start; returns the text for the sum-of-squares label.
std::string runStart(const StartBoxes& boxes, const StartHooks& hooks,
                     FitMethod method = FitMethod::Classic);

// The texts Start writes back into the boxes t1..t9: exp(-logRate_k) of the
// current ParameterVector in the exponent format. Throws on a floating-point
// fault (an overflowing exponential) before any text is formed.
TimeConstantTexts timeConstantTexts();

// The progress-bar position after iteration i of `iterationCount`:
// (i*100) div iterationCount, formed in 64 bits so that huge counts do not
// overflow.
int startProgressPosition(int iteration, int iterationCount);

// True while runStart runs (also inside its processEvents hook), the one
// record that a fit is running: runStart refuses a Start given meanwhile, and
// the main window keeps the commands that would change the traces under the
// fit off and holds back Exit until the fit has ended.
bool startInProgress();

// The 80 times of a fitted curve, 1-based: for decade d = 1..8 with
// scale = 10^d and i = 1..10, time = (scale * 1e-8L) * i, in extended.
inline constexpr int kPlotGridPoints = 80;
const std::array<long double, kPlotGridPoints + 1>& plotGrid();

// One fitted curve: x[i] = plotGrid()[i] rounded to double, y[i] =
// evaluateModelAt(curve, plotGrid()[i]) rounded to double, i = 1..80; while
// the instrument response is on, at the times of response_curve.h instead.
// Throws on a floating-point fault.
void fittedCurvePoints(int curve, std::array<double, kPlotGridPoints + 1>& x,
                       std::array<double, kPlotGridPoints + 1>& y);

}  // namespace quorvane
