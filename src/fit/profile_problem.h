// The trust-region problem of one profile point: the variable projection's
// sum of squares (curve_projection.h) over the log-rates with component
// `held` fixed at a given log-rate, the other n-1 free.
//
// The free parameters x (0-based, n-1 entries) are the log-rates of the
// components other than `held`, in increasing component order. The
// projection at the full log-rates gives the triangle R of the whole
// Jacobian and Q^T r; without the held column R is upper triangular except
// for one subdiagonal from that column on, which Givens rotations of
// neighbouring rows (applied to Q^T r as well) reduce again: the first n-1
// rows are the R and Q^T r of the free parameters (the last row lies outside
// their span). With `held` = 0 nothing is held and all n log-rates are free.
//
// A trial outside `bounds`, one that faults, and one at which a component
// cannot be told apart from the others is not valid: the trust region
// shrinks. `proceed`, asked at every iteration, ends the fit by throwing
// ProfileCancelled when it returns false.
#pragma once

#include <functional>

#include "fit/curve_projection.h"
#include "fit/time_constant_range.h"
#include "lsq/trust_region_fit.h"

namespace quorvane {

struct ProfileCancelled {};

class ProfileProblem final : public TrustRegionProblem {
  public:
    ProfileProblem(int held, long double heldLogRate, const LogRateBounds& bounds,
                   std::function<bool()> proceed);

    void evaluate(const long double* x, LeastSquaresPoint& point) override;
    void acceptLastPoint(const long double* x) override;
    void beginIteration(int iteration, long double sumOfSquares) override;
    void endIteration(int) override {}

    int freeCount() const { return freeCount_; }
    // S of the point accepted last.
    long double acceptedSumOfSquares() const { return acceptedSum_; }
    // The full log-rates [1..n] of x.
    void fullLogRates(const long double* x, long double* logRates) const;

  private:
    int held_;
    long double heldLogRate_;
    int freeCount_;
    LogRateBounds bounds_;
    std::function<bool()> proceed_;
    long double acceptedSum_ = 0.0L;
    long double trialSum_ = 0.0L;
    long double rates_[kMaxComponents + 1] = {};
    Projection projection_;
};

// Fits the free log-rates from x (in: the start; out: the last accepted
// point). False, with x unchanged, when the start is not valid.
bool fitProfilePoint(ProfileProblem& problem, long double* x);

}  // namespace quorvane
