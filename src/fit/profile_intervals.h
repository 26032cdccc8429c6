// Confidence intervals of the time constants by profiling the sum of
// squares, for the plain model (no instrument response).
//
// The sum of squares here is the variable projection's S(k) of
// curve_projection.h: at log-rates k = (k_1..k_n), k_j = -ln t_j, every
// curve's offset and amplitudes are the exact linear least-squares solution.
// Its profile in component j is
//   S_j(u) = min over the other n-1 log-rates of S(k) with ln t_j = u,
// each value a trust-region fit (trust_region_fit.h) of the n-1 free
// log-rates with k_j = -u held. With m points, N = (n+1) C + n fitted
// parameters and S_min the least sum of squares, the 95 % interval of t_j is
// the set of t = exp(u) around the fitted t_j where
//   S_j(u) <= S_threshold = S_min (1 + F(0.95; 1, m - N) / (m - N))
// (the likelihood-ratio region of one parameter with the variance estimated,
// f_quantile.h). Near the minimum S_j is a parabola, and the interval is
// t_j exp(+-sqrt(F) SE(ln t_j)), about ln t_j +- 1.96 SE for many points;
// where the profile is not a parabola the two sides differ.
//
// The run:
//   1. The minimum: from the log-rates in ParameterVector, all n refitted
//      (a converged fit does not move; one stopped early reaches the least
//      S). Its t_j are the centres reported. SE(ln t_j) = s sqrt(((R^T
//      R)^-1)_jj), s^2 = S_min / (m - N), from the projection's triangle R
//      there (0.05 when R is singular) sets the scale of the steps.
//   2. Each side of each t_j (ln t_j going up, then down): the held value
//      moves away from the fitted one by d_1 = SE(ln t_j), then d_{i+1} =
//      d_i + min(d_i / 2, 0.5) (a growth of 1.5 until steps of 0.5 in ln t),
//      each refit warm-started from the free log-rates of the point before.
//      The first point with S_j >= S_threshold brackets the crossing.
//   3. The crossing: regula falsi in ln t on S_j(u) - S_threshold, in the
//      Illinois form (the value of an end kept twice is halved), a bisection
//      when an estimate falls outside the middle 98 % of the bracket; it ends
//      when |S_j - S_threshold| <= 1e-3 (S_threshold - S_min), when the
//      bracket is narrower than min(1e-4, 1e-3 SE(ln t_j)) in ln t (1e-4
//      relative in t at most), or after 40 evaluations. The end reported is
//      the bracket's end nearer the threshold in S.
// Stopping rules of a side:
//   - it reaches the edge of the data's range of time constants (the
//     shortest step h to the longest time T of time_constant_range.h,
//     widened to a decade beyond the fitted t_j) with S_j still below the
//     threshold: the side is not bounded, and the edge is its limit
//     ("> T": the data cannot exclude longer time constants);
//   - a profile point is not valid (its projection faults, or two components
//     cannot be told apart there, or its refit cannot start): the side stops
//     there, unbounded, with a note; the last valid point is its limit;
//   - 80 points without a crossing: as a point that is not valid.
// The other log-rates' trials are kept in the box of trialLogRateBounds, and
// a trial that makes a component indistinguishable is rejected, as in the
// variable-projection fit.
//
// Refused, with a message and no intervals: no fit, no degrees of freedom
// (m - N <= 0), a fault or an indistinguishable component at the minimum, and
// with the instrument response in use (its parameters would have to be
// profiled as well; the standard errors stand for that fit).
//
// The workspace is left exactly as it was: ParameterVector is saved and
// restored bit for bit, nothing else is written; the floating-point flags
// are left clear. Faults never escape. projectCurves runs on the thread
// pool; only one profile or fit may run at a time.
#pragma once

#include <functional>
#include <string>

#include "data/workspace.h"

namespace quorvane {

inline constexpr double kIntervalConfidence = 0.95;

struct TimeConstantInterval {
    long double fitted = 0.0L;  // t_j at the minimum
    // [lower, upper] in t. A side not bounded has its limit there: the edge
    // of the range searched or the last valid profile point.
    long double lower = 0.0L;
    long double upper = 0.0L;
    bool lowerBounded = false;
    bool upperBounded = false;
    std::string note;  // why a side stopped early; "" otherwise
};

struct ProfileIntervals {
    bool valid = false;
    bool cancelled = false;
    std::string message;  // why there are none, when not valid
    int componentCount = 0;
    long pointCount = 0;     // m
    int parameterCount = 0;  // N
    double quantile = 0.0;   // F(0.95; 1, m - N)
    long double minimumSumOfSquares = 0.0L;
    long double threshold = 0.0L;
    TimeConstantInterval interval[kMaxComponents + 1];  // [j], j = 1..n
    long profilePoints = 0;                             // refits made, all sides together
};

// Asked between profile points and between the iterations of their refits
// with the fraction done (0..1); returning false cancels the run, which then
// returns with `cancelled` set, not valid, and the workspace restored.
using ProfileProgress = std::function<bool(double fractionDone)>;

// At the workspace's current fit. Never throws for data the fit took.
ProfileIntervals computeProfileIntervals(const ProfileProgress& progress = {});

}  // namespace quorvane
