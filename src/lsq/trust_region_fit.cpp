#include "lsq/trust_region_fit.h"

#include <cmath>
#include <cstdint>

namespace quorvane {

namespace {

constexpr long double kAcceptRatio = 1e-4L;

bool allFinite(const long double* v, int size) {
    for (int j = 0; j < size; ++j)
        if (!std::isfinite(v[j]))
            return false;
    return true;
}

// Raises D_j to the column norms of the point's Jacobian; a zero D_j
// becomes 1 (a column that is zero everywhere met so far).
void raiseScale(const LeastSquaresPoint& point, long double* scale) {
    for (int j = 0; j < point.system.size; ++j) {
        scale[j] = fmaxl(scale[j], jacobianColumnNorm(point.system, j));
        if (scale[j] == 0.0L)
            scale[j] = 1.0L;
    }
}

}  // namespace

long double scaledGradient(const LeastSquaresPoint& point) {
    if (point.sumOfSquares == 0.0L)
        return 0.0L;
    const long double residualNorm = sqrtl(point.sumOfSquares);
    long double largest = 0.0L;
    for (int j = 0; j < point.system.size; ++j) {
        const long double columnNorm = jacobianColumnNorm(point.system, j);
        if (columnNorm > 0.0L)
            largest =
                fmaxl(largest, fabsl(halfGradient(point.system, j)) / (columnNorm * residualNorm));
    }
    return largest;
}

TrustRegionOutcome runTrustRegionFit(TrustRegionProblem& problem, const LeastSquaresPoint& start,
                                     long double* x, int iterationCount) {
    const int n = start.system.size;
    TrustRegionOutcome outcome;
    LeastSquaresPoint current = start;
    LeastSquaresPoint trial;
    long double scale[kMaxTrustRegionParameters] = {};
    raiseScale(current, scale);
    const int radiusParameters = problem.radiusParameterCount(n);
    long double radius = kInitialRadius * euclideanNorm(scale, radiusParameters);
    long double lambda = 0.0L;
    if (scaledGradient(current) <= kScaledGradientTolerance) {
        outcome.stop = FitStop::Gradient;
        return outcome;
    }

    // A 64-bit counter: the count may be the largest int.
    for (std::int64_t counter = 1; counter <= iterationCount; ++counter) {
        const int iteration = static_cast<int>(counter);
        problem.beginIteration(iteration, current.sumOfSquares);
        outcome.iterations = iteration;

        long double step[kMaxTrustRegionParameters];
        trustRegionStep(current.system, scale, radius, lambda, step);
        const long double stepLength = scaledNorm(scale, step, n);
        if (iteration == 1)
            radius = fminl(radius, stepLength);
        long double point[kMaxTrustRegionParameters];
        for (int j = 0; j < n; ++j)
            point[j] = x[j] + step[j];

        trial.valid = false;
        if (allFinite(point, n) && std::isfinite(stepLength))
            problem.evaluate(point, trial);
        const bool valid = trial.valid && std::isfinite(trial.sumOfSquares);

        // Relative reductions, as ratios of sums of squares.
        const long double S = current.sumOfSquares;
        const bool comparable = valid && trial.sumOfSquares < 100.0L * S;
        const long double actual = comparable ? 1.0L - trial.sumOfSquares / S : -1.0L;
        const long double modelled = triangleTimesNorm(current.system, step);
        const long double linearPart = modelled * modelled / S;
        const long double dampingPart = lambda * stepLength * stepLength / S;
        const long double predicted = linearPart + 2.0L * dampingPart;
        const long double directional = -(linearPart + dampingPart);
        const long double ratio = predicted != 0.0L ? actual / predicted : 0.0L;

        if (ratio <= 0.25L) {
            long double shrink =
                actual >= 0.0L ? 0.5L : 0.5L * directional / (directional + 0.5L * actual);
            if (!comparable || !(shrink >= 0.1L))
                shrink = 0.1L;
            radius = shrink * fminl(radius, stepLength / 0.1L);
            lambda = lambda / shrink;
        } else if (lambda == 0.0L || ratio >= 0.75L) {
            radius = stepLength / 0.5L;
            lambda = 0.5L * lambda;
        }

        // When neither reduction can be told from the rounding of the sums,
        // the step of the exact gradient is taken even against a sum larger
        // by less than that tolerance: it ends the fit.
        const bool fallConverged = fabsl(actual) <= kRelativeFallTolerance &&
                                   predicted <= kRelativeFallTolerance && 0.5L * ratio <= 1.0L;
        const bool accepted = ratio >= kAcceptRatio || (fallConverged && valid);
        if (accepted) {
            for (int j = 0; j < n; ++j)
                x[j] = point[j];
            current = trial;
            raiseScale(current, scale);
            problem.acceptLastPoint(x);
        }
        problem.endIteration(iteration);

        if (fallConverged) {
            outcome.stop = FitStop::SumOfSquares;
            return outcome;
        }
        if (radius <= kRelativeStepTolerance * euclideanNorm(scale, radiusParameters)) {
            outcome.stop = FitStop::Step;
            return outcome;
        }
        if (accepted && scaledGradient(current) <= kScaledGradientTolerance) {
            outcome.stop = FitStop::Gradient;
            return outcome;
        }
    }
    return outcome;
}

}  // namespace quorvane
