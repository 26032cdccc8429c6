// A Levenberg–Marquardt fit of a few parameters x with a trust region and
// scaling in the manner of Moré (MINPACK's lmder), in extended precision,
// for a problem that evaluates its sum of squares S(x) = ||r(x)||^2 and the
// triangle of its Jacobian at any point.
//
// One iteration: the step p of trustRegionStep for the current radius;
// the trial point x + p is evaluated; with the actual relative reduction
// actred = 1 - S(x+p)/S(x) (-1 when S(x+p) >= 100 S(x), or when the trial
// is invalid: a floating-point fault or a non-finite value), the predicted
// prered = (||R p||^2 + 2 lambda ||D p||^2) / S(x) and ratio = actred /
// prered:
//   - ratio <= 0.25: the radius shrinks to t min(radius, 10 ||D p||), with
//     t = 0.5, or the quadratic interpolation of Moré when actred < 0,
//     bounded below by 0.1 (t = 0.1 for an invalid trial); lambda /= t;
//   - ratio >= 0.75 or lambda = 0: radius = 2 ||D p||, lambda /= 2;
//   - ratio >= 1e-4 accepts the trial point.
// D_j is the largest Euclidean norm of Jacobian column j met at an accepted
// point (1 while it is 0); ||D|| below is over the problem's
// radiusParameterCount. The first radius is kInitialRadius ||D||, so that
// the first steps may change each parameter by about 1, and it is cut to
// ||D p|| of the first step. Nothing depends on the origin of x, so a problem
// whose parameters are logarithms (log-rates) is fitted the same way in any
// unit.
//
// Convergence tests, after every iteration, the first that holds stops:
//   - sum of squares: |actred| <= kRelativeFallTolerance and prered <= the
//     same and ratio <= 2: another step would lower S by a relative 1e-16;
//   - step: radius <= kRelativeStepTolerance ||D||: no parameter can move by
//     more than about 1e-11 any more;
//   - gradient (at the start and at every accepted point): the largest
//     cosine between r and a column of J, |(J^T r)_j| / (||J_j|| ||r||), is
//     at most kScaledGradientTolerance (1e-12); S = 0 passes it at once.
// Otherwise the fit ends after `iterationCount` iterations.
#pragma once

#include "lsq/trust_region_step.h"

namespace quorvane {

inline constexpr long double kRelativeFallTolerance = 1e-16L;
inline constexpr long double kRelativeStepTolerance = 1e-11L;
inline constexpr long double kScaledGradientTolerance = 1e-12L;
inline constexpr long double kInitialRadius = 1.0L;

// What an evaluation gives.
struct LeastSquaresPoint {
    bool valid = false;  // false: a fault or a non-finite sum; the point is rejected
    long double sumOfSquares = 0.0L;
    TrustRegionSystem system;
};

class TrustRegionProblem {
  public:
    virtual ~TrustRegionProblem() = default;
    // Evaluates the point x (system.size parameters). Must not throw for a
    // bad point: it reports it as invalid.
    virtual void evaluate(const long double* x, LeastSquaresPoint& point) = 0;
    // The point evaluated last becomes the current one (x is its parameters).
    virtual void acceptLastPoint(const long double* x) = 0;
    // Around every iteration; may throw to end the fit (x stays the last
    // accepted point). sumOfSquares: S of the current point.
    virtual void beginIteration(int iteration, long double sumOfSquares) = 0;
    virtual void endIteration(int iteration) = 0;
    // The norm of D that sets the first radius and the step test is taken
    // over the first this many parameters: all of them by default; a problem
    // whose first parameters are the unit-free ones (log-rates) and whose
    // others carry a unit names the unit-free ones, so that the fit does not
    // depend on the unit.
    virtual int radiusParameterCount(int size) const { return size; }
};

enum class FitStop {
    IterationCount,  // the iterations typed ran out
    SumOfSquares,    // the relative fall of the sum of squares
    Step,            // the relative step
    Gradient,        // the scaled gradient
};

struct TrustRegionOutcome {
    FitStop stop = FitStop::IterationCount;
    int iterations = 0;
};

// Fits from x (in: the start point, whose evaluation `start` the caller made
// and found valid; out: the last accepted point) for at most iterationCount
// iterations (none when it is 0 or negative).
TrustRegionOutcome runTrustRegionFit(TrustRegionProblem& problem, const LeastSquaresPoint& start,
                                     long double* x, int iterationCount);

// The largest cosine |(J^T r)_j| / (||J_j|| ||r||) over the columns with
// ||J_j|| > 0; 0 when S = 0.
long double scaledGradient(const LeastSquaresPoint& point);

}  // namespace quorvane
