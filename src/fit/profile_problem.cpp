#include "fit/profile_problem.h"

#include <cmath>
#include <utility>

namespace quorvane {

namespace {

// Refits start next to the previous profile point: a few iterations do.
constexpr int kProfileFitIterations = 200;

// Removes column `removed` (0-based) of the n x n triangle with its Q^T r and
// restores the triangle by Givens rotations of rows l, l+1.
void dropColumn(const TrustRegionSystem& full, int removed, TrustRegionSystem& reduced) {
    const int n = full.size;
    long double a[kMaxTrustRegionParameters][kMaxTrustRegionParameters] = {};
    long double b[kMaxTrustRegionParameters] = {};
    for (int row = 0; row < n; ++row) {
        for (int column = 0, kept = 0; column < n; ++column)
            if (column != removed)
                a[row][kept++] = full.triangle[row][column];
        b[row] = full.projectedResidual[row];
    }
    for (int l = removed; l < n - 1; ++l) {
        const long double top = a[l][l];
        const long double below = a[l + 1][l];
        if (below == 0.0L)
            continue;
        const long double radius = hypotl(top, below);
        const long double c = top / radius;
        const long double s = below / radius;
        for (int column = l; column < n - 1; ++column) {
            const long double upper = a[l][column];
            const long double lower = a[l + 1][column];
            a[l][column] = c * upper + s * lower;
            a[l + 1][column] = -s * upper + c * lower;
        }
        a[l + 1][l] = 0.0L;
        const long double upper = b[l];
        b[l] = c * upper + s * b[l + 1];
        b[l + 1] = -s * upper + c * b[l + 1];
    }
    reduced = TrustRegionSystem{};
    reduced.size = n - 1;
    for (int row = 0; row < n - 1; ++row) {
        for (int column = 0; column < n - 1; ++column)
            reduced.triangle[row][column] = a[row][column];
        reduced.projectedResidual[row] = b[row];
    }
}

}  // namespace

ProfileProblem::ProfileProblem(int held, long double heldLogRate, const LogRateBounds& bounds,
                               std::function<bool()> proceed)
    : held_(held),
      heldLogRate_(heldLogRate),
      freeCount_(workspace.componentCount - (held > 0 ? 1 : 0)),
      bounds_(bounds),
      proceed_(std::move(proceed)) {}

void ProfileProblem::fullLogRates(const long double* x, long double* logRates) const {
    for (int j = 1, free = 0; j <= workspace.componentCount; ++j)
        logRates[j] = j == held_ ? heldLogRate_ : x[free++];
}

void ProfileProblem::evaluate(const long double* x, LeastSquaresPoint& point) {
    const int n = workspace.componentCount;
    point.valid = false;
    fullLogRates(x, rates_);
    if (bounds_.known)
        for (int j = 1; j <= n; ++j)
            if (j != held_ && (rates_[j] < bounds_.lowest[j] || rates_[j] > bounds_.highest[j]))
                return;
    projectCurves(rates_, nullptr, projection_);
    if (!projection_.valid || !std::isfinite(projection_.sumOfSquares))
        return;
    for (int j = 1; j <= n; ++j)
        if (projection_.indistinguishable[j])
            return;
    point.valid = true;
    point.sumOfSquares = projection_.sumOfSquares;
    trialSum_ = projection_.sumOfSquares;
    if (held_ > 0)
        dropColumn(projection_.system, held_ - 1, point.system);
    else
        point.system = projection_.system;
}

void ProfileProblem::acceptLastPoint(const long double*) {
    acceptedSum_ = trialSum_;
}

void ProfileProblem::beginIteration(int, long double) {
    if (proceed_ && !proceed_())
        throw ProfileCancelled{};
}

bool fitProfilePoint(ProfileProblem& problem, long double* x) {
    LeastSquaresPoint start;
    problem.evaluate(x, start);
    if (!start.valid)
        return false;
    problem.acceptLastPoint(x);
    if (problem.freeCount() > 0)
        runTrustRegionFit(problem, start, x, kProfileFitIterations);
    return true;
}

}  // namespace quorvane
