// The verdict after a fit, for both methods: has it reached the minimum of
// the sum of squares?
//
// It is judged at the result, from the variable projection at the result's
// log-rates (curve_projection.h), with m points, N = (n+1)C + n parameters,
// S the sum of squares at the result and S* its least value at the result's
// log-rates:
//   - coefficient excess S - S* = sum over curves of ||Phi (a - a*)||^2: how
//     far the offsets and amplitudes are from their linear optimum;
//   - rate fall ||Q^T r*||^2: the fall of S* that a Gauss–Newton step of the
//     log-rates promises, the projected gradient J^T r* scaled by the
//     inverse of the projected curvature (J^T r* = R^T Q^T r*);
//   - expected fall = coefficient excess + rate fall;
//   - residual variance s2 = S*/(m - N) (S* when m <= N);
//   - the Gauss–Newton step of the log-rates, -R^-1 Q^T r* (0 for a
//     dependent column), whose entries are relative changes of the time
//     constants; and the largest change of a coefficient relative to the
//     largest coefficient of its curve.
// Converged when either
//   - expected fall <= kVarianceShare s2: the parameters lie within about a
//     tenth of their standard errors of the minimum (a parameter at d
//     standard errors from it raises S by about d^2 s2), or
//   - no time constant and no coefficient would change by more than
//     kRelativeChange: the result holds the minimum to 9 digits (the test
//     for data that the model reproduces exactly, where s2 is only the
//     rounding of the data).
// The message gives the relative fall of S over the last (at most 5)
// iterations, computed from the sums at their starts and the final sum, and
// names the components that the data cannot tell apart: a basis column that
// depends on the others in some curve (equal rates), a log-rate that the
// projected Jacobian does not determine, or two log-rates that differ by
// less than two standard errors of their difference (covariance s2 (R^T
// R)^-1).
//
// With the instrument response on (response_model.h), the projection is
// that of response_projection.h: the rate fall and the Gauss–Newton step
// cover the response's fitted parameters too (their steps relative to the
// FWHM), N counts them and the step amplitudes, and the coefficient excess
// and change count the step amplitudes.
//
// Judging reads the workspace and writes nothing of it (nor the results kept
// for the classic fit's next build); it leaves the floating-point flags
// clear.
#pragma once

#include <string>

#include "data/workspace.h"
#include "fit/fit_method.h"

namespace quorvane {

inline constexpr int kRecentIterations = 5;
inline constexpr long double kVarianceShare = 0.01L;
inline constexpr long double kRelativeChange = 1e-9L;

// The sums of squares at the start of the last iterations of a Start.
class RecentSums {
  public:
    void record(long double sumAtIterationStart);
    // Recorded iterations, at most kRecentIterations.
    int count() const { return count_; }
    // The sum at the start of the earliest of them.
    long double earliest() const;

  private:
    long double sums_[kRecentIterations] = {};
    int count_ = 0;
    int next_ = 0;
};

// Two components, i < j, numbered as the boxes t1..t9.
struct ComponentPair {
    int first = 0;
    int second = 0;
};

// What the variable-projection fit did with components that merged
// (merged_components.h): the pairs it split again, and those that stayed
// merged after every try.
struct MergedComponents {
    int splitCount = 0;
    ComponentPair split[kMaxComponents] = {};
    int mergedCount = 0;
    ComponentPair merged[kMaxComponents] = {};
};

struct FitRecord {
    FitMethod method = FitMethod::Classic;
    RecentSums recentSums;
    MergedComponents mergedComponents;
    long double finalSum = 0.0L;  // S after the fit, as Label1 shows it
};

struct FitVerdict {
    bool converged = false;
    // One line: "Converged", or "Not converged: ..." with advice.
    std::string message;
    bool judged = false;  // false: the projection at the result faulted
    long double expectedFall = 0.0L;
    long double residualVariance = 0.0L;
    long double largestRateStep = 0.0L;
    long double coefficientChange = 0.0L;
};

// The marked components of 1..n as the messages name them: "t3", "t2 and
// t3", "t2, t3 and t5"; empty when none is marked.
std::string componentList(const bool* marked, int n);

// Judges the workspace's current fit (componentCount, curves,
// ParameterVector) with the record of the Start that made it.
FitVerdict judgeFit(const FitRecord& record);

}  // namespace quorvane
