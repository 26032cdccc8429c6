#include "fit/fit_driver.h"

#include <cmath>
#include <cstdint>
#include <optional>

#include "data/error.h"
#include "data/extended_exp.h"
#include "data/floating_point.h"
#include "data/number_format.h"
#include "data/number_text.h"
#include "data/thread_pool.h"
#include "data/workspace.h"
#include "fit/goodness_of_fit.h"
#include "fit/model.h"
#include "fit/response_curve.h"
#include "fit/response_model.h"
#include "fit/response_start.h"
#include "fit/variable_projection.h"
#include "lsq/linear_solver.h"
#include "lsq/normal_equations.h"

namespace quorvane {

namespace {

// Every constant of the fit is an extended constant.
constexpr long double kInitialLambda = 0.001L;
constexpr long double kDampingFactor = 10.0L;
// The iterations in which only the per-curve coefficients follow the step.
constexpr int kIterationsWithFixedRates = 4;

// Details of the errors of the two count boxes, which have no label.
constexpr const char* kComponentBox = "Box of the number of components.";
constexpr const char* kIterationBox = "Box of the number of iterations.";

bool startRunning = false;

// Marks a Start as running for as long as it is in scope, also when it ends
// by an exception.
class RunningStart {
  public:
    RunningStart() { startRunning = true; }
    ~RunningStart() { startRunning = false; }
    RunningStart(const RunningStart&) = delete;
    RunningStart& operator=(const RunningStart&) = delete;
};

// The checks made before anything of the workspace changes. The iteration
// text is only looked at here: when it is no integer, its own error comes
// later, in its place after the coefficients and lambda have been set.
void refuseImpossibleStart(int components, const std::string& iterationText) {
    if (components < 1 || components > kMaxComponents) {
        throw QuorvaneError("The number of components must be between 1 and " +
                            std::to_string(kMaxComponents) + ", not " + std::to_string(components));
    }
    const int curves = workspace.curveCount;
    const int entries = entriesWrittenByStart(components, curves);
    if (entries > kMaxParameters) {
        // (n+1)C + 9 <= 300 holds for C <= 291 / (n+1).
        const int fittingCurves = (kMaxParameters - kLogRateEntries) / (components + 1);
        throw QuorvaneError(
            "A fit of " + std::to_string(curves) + " traces with " + std::to_string(components) +
            " components needs " + std::to_string(entries) + " parameter entries, and at most " +
            std::to_string(kMaxParameters) + " are available: with " + std::to_string(components) +
            " components at most " + std::to_string(fittingCurves) + " traces can be fitted");
    }
    const std::optional<std::int32_t> iterations = parseInteger(iterationText);
    if (iterations && *iterations >= 1 && curves == 0) {
        throw QuorvaneError("No trace is loaded: open a trace file before Start");
    }
}

// Step 5: the nine log-rates -ln(t_k), k = 1..9, parsed in extended
// precision and stored one by one, each checked before it is stored (t = 0
// is a division by zero, t < 0 an invalid operation).
void storeLogRates(const TimeConstantTexts& texts) {
    for (int k = 1; k <= kLogRateEntries; ++k) {
        const long double logRate = withErrorDetail("Box t" + std::to_string(k) + ".", [&] {
            const long double timeConstant = textToExtended(texts[k - 1]);
            clearFloatingPointFaults();
            const long double value = -logl(timeConstant);
            checkFloatingPointFaults();
            return value;
        });
        workspace.ParameterVector[rateIndex(k)] = logRate;
    }
}

// A fit whose traces or model were changed by a command run during the
// event pass cannot go on: its N and its index rules no longer hold.
void refuseChangedWorkspace(int curves, int components) {
    if (workspace.curveCount != curves || workspace.componentCount != components ||
        workspace.layoutComponentCount != components) {
        throw QuorvaneError(
            "The traces or the component count were changed during the fit: the fit was "
            "stopped, Start again");
    }
}

// One Levenberg–Marquardt iteration i; returns the sum of squares at its
// start. ParameterVector changes only after every computation of the
// iteration has passed its fault check, so a fault leaves it at the last
// accepted iteration. Allocates nothing.
long double iterate(int iteration) {
    clearFloatingPointFaults();
    buildNormalMatrix();
    buildGradientVector();
    checkFloatingPointFaults();
    solveStep();
    const long double trial = trialSumSquaredResiduals();
    const long double current = sumSquaredResiduals();
    checkFloatingPointFaults();

    if (trial < current) {
        const int released = iteration <= kIterationsWithFixedRates
                                 ? currentLayout().coefficientCount()
                                 : fittedParameterCount();
        workspace.lambda = workspace.lambda / kDampingFactor;
        for (int m = 1; m <= released; ++m)
            workspace.ParameterVector[m] = workspace.ParameterVector[m] + workspace.stepVector[m];
    } else {
        workspace.lambda = workspace.lambda * kDampingFactor;
    }
    // Only lambda can fault here (an overflow after thousands of rejected
    // steps); the parameters were formed and checked as the trial vector.
    checkFloatingPointFaults();
    return current;
}

// Step 6 with the variable-projection method: the same event pass, guard
// and progress around each of its iterations.
void iterateByVariableProjection(int iterationCount, int curves, int components,
                                 const StartHooks& hooks, FitRecord& record,
                                 std::string& startNote) {
    ProjectionIterationHooks iterationHooks;
    iterationHooks.beginIteration = [&](int, long double) {
        if (hooks.processEvents)
            hooks.processEvents();
        refuseChangedWorkspace(curves, components);
    };
    iterationHooks.endIteration = [&](int iteration) {
        if (hooks.setProgress)
            hooks.setProgress(startProgressPosition(iteration, iterationCount));
    };
    const TrustRegionOutcome outcome = fitByVariableProjection(
        iterationCount, iterationHooks, &startNote, &record.mergedComponents, &record.recentSums);
    if (outcome.stop != FitStop::IterationCount && iterationCount > 0 && hooks.setProgress)
        hooks.setProgress(100);
    if (hooks.reportIterationsEnd)
        hooks.reportIterationsEnd(outcome.stop != FitStop::IterationCount);
}

}  // namespace

int startProgressPosition(int iteration, int iterationCount) {
    // i * 100 overflows 32 bits from i = 21474837 on.
    return static_cast<int>((static_cast<std::int64_t>(iteration) * 100) / iterationCount);
}

bool startInProgress() {
    return startRunning;
}

std::string runStart(const StartBoxes& boxes, const StartHooks& hooks, FitMethod method) {
    if (startRunning)
        throw QuorvaneError("A fit is running: wait until it has ended");
    refuseResponseWithMethod(boxes.response, method);

    // 1. Component count, checked before anything changes.
    const std::int32_t components =
        withErrorDetail(kComponentBox, [&] { return textToInteger(boxes.componentCount); });
    refuseImpossibleStart(components, boxes.iterationCount);
    const RunningStart running;

    // 2.-5.
    workspace.componentCount = components;
    prepareCoefficients();
    workspace.lambda = kInitialLambda;
    const std::int32_t iterationCount =
        withErrorDetail(kIterationBox, [&] { return textToInteger(boxes.iterationCount); });
    storeLogRates(boxes.timeConstants);
    prepareResponse(boxes.response);

    // 6. The iterations; none when the count is 0 or negative. The pool
    // threads of the builds exist before the first one, so that no
    // iteration allocates.
    const int curves = workspace.curveCount;
    startParallelThreads();
    FitRecord record;
    record.method = method;
    // What the variable projection moved of the start, for the verdict.
    std::string startNote;
    if (method == FitMethod::VariableProjection) {
        iterateByVariableProjection(iterationCount, curves, components, hooks, record, startNote);
    } else {
        // A 64-bit counter: the count may be the largest int32.
        for (std::int64_t i = 1; i <= iterationCount; ++i) {
            const int iteration = static_cast<int>(i);
            if (hooks.processEvents)
                hooks.processEvents();
            refuseChangedWorkspace(curves, components);
            record.recentSums.record(iterate(iteration));
            if (hooks.setProgress)
                hooks.setProgress(startProgressPosition(iteration, iterationCount));
        }
    }

    // 7. Write-back t_k = exp(-logRate_k), all nine.
    const TimeConstantTexts texts = timeConstantTexts();
    if (hooks.writeTimeConstants)
        hooks.writeTimeConstants(texts);
    if (responseInUse() && hooks.writeResponse)
        hooks.writeResponse(fittedResponseBoxes(boxes.response));

    // 8.-9. The fitted curves.
    if (hooks.replaceFittedCurves)
        hooks.replaceFittedCurves();

    // 10.-11. The sum is formed before the fit is counted, so that a Start
    // whose final sum faults does not count as completed.
    clearFloatingPointFaults();
    const long double sum = sumSquaredResiduals();
    checkFloatingPointFaults();
    workspace.fitCount = workspace.fitCount + 1;
    if (hooks.reportVerdict) {
        record.finalSum = sum;
        FitVerdict verdict = judgeFit(record);
        verdict.message += startNote;
        hooks.reportVerdict(verdict);
    }
    return formatGeneral15(sum);
}

TimeConstantTexts timeConstantTexts() {
    TimeConstantTexts texts;
    clearFloatingPointFaults();
    long double timeConstants[kLogRateEntries + 1];
    for (int k = 1; k <= kLogRateEntries; ++k)
        timeConstants[k] = extendedExp(-workspace.ParameterVector[rateIndex(k)]);
    checkFloatingPointFaults();
    for (int k = 1; k <= kLogRateEntries; ++k)
        texts[k - 1] = formatExponent6(timeConstants[k]);
    return texts;
}

const std::array<long double, kPlotGridPoints + 1>& plotGrid() {
    static const std::array<long double, kPlotGridPoints + 1> grid = [] {
        std::array<long double, kPlotGridPoints + 1> times{};
        int index = 0;
        std::int64_t scale = 1;
        for (int decade = 1; decade <= 8; ++decade) {
            scale = scale * 10;
            for (int i = 1; i <= 10; ++i) {
                times[++index] = (static_cast<long double>(scale) * 1e-8L) * i;
            }
        }
        return times;
    }();
    return grid;
}

void fittedCurvePoints(int curve, std::array<double, kPlotGridPoints + 1>& x,
                       std::array<double, kPlotGridPoints + 1>& y) {
    const bool withResponse = responseInUse();
    std::array<long double, kPlotGridPoints + 1> responseGrid;
    if (withResponse)
        responseCurveTimes(curve, responseGrid);
    const std::array<long double, kPlotGridPoints + 1>& grid =
        withResponse ? responseGrid : plotGrid();
    clearFloatingPointFaults();
    x[0] = 0;
    y[0] = 0;
    for (int i = 1; i <= kPlotGridPoints; ++i) {
        x[i] = static_cast<double>(grid[i]);
        y[i] = static_cast<double>(evaluateModelAt(curve, grid[i]));
    }
    checkFloatingPointFaults();
}

}  // namespace quorvane
