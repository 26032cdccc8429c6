#include "lsq/trust_region_step.h"

#include <cfloat>
#include <cmath>

namespace quorvane {

namespace {

constexpr int kMaxNewtonSolves = 10;

// One damped solve, as MINPACK's qrsolv: the rows sqrt(lambda) D_j are
// rotated into R one by one with Givens rotations, which turn R into the
// triangle R_lambda of [R; sqrt(lambda) D] and -qtr into its right-hand
// side; p by back substitution (0 for a zero pivot, which only lambda = 0
// with a singular R has). Rotations scale the right-hand side instead of
// subtracting from it, so a step far shorter than the Gauss–Newton step
// keeps its digits.
class DampedSolve {
  public:
    DampedSolve(const TrustRegionSystem& system, const long double* scale, long double lambda,
                long double* step)
        : size_(system.size) {
        const int n = size_;
        long double rightHandSide[kMaxTrustRegionParameters];
        for (int j = 0; j < n; ++j) {
            for (int l = j; l < n; ++l)
                triangle_[j][l] = system.triangle[j][l];
            rightHandSide[j] = -system.projectedResidual[j];
        }
        const long double root = sqrtl(lambda);
        for (int j = 0; j < n && lambda > 0.0L; ++j)
            rotateIn(j, root * scale[j], rightHandSide);
        for (int j = n - 1; j >= 0; --j) {
            step[j] = 0.0L;
            if (triangle_[j][j] == 0.0L)
                continue;
            long double sum = 0.0L;
            for (int l = j + 1; l < n; ++l)
                sum = sum + triangle_[j][l] * step[l];
            step[j] = (rightHandSide[j] - sum) / triangle_[j][j];
        }
    }

    bool fullRank() const {
        for (int j = 0; j < size_; ++j)
            if (triangle_[j][j] == 0.0L)
                return false;
        return true;
    }

    // ||z|| for R_lambda^T z = v (full rank).
    long double transposedSolveNorm(const long double* v) const {
        long double z[kMaxTrustRegionParameters];
        for (int j = 0; j < size_; ++j) {
            long double sum = 0.0L;
            for (int i = 0; i < j; ++i)
                sum = sum + triangle_[i][j] * z[i];
            z[j] = (v[j] - sum) / triangle_[j][j];
        }
        return euclideanNorm(z, size_);
    }

  private:
    // Rotates the row with `diagonal` in column j (0 elsewhere, right-hand
    // side 0) into rows j..n-1.
    void rotateIn(int j, long double diagonal, long double* rightHandSide) {
        long double row[kMaxTrustRegionParameters] = {};
        row[j] = diagonal;
        long double extra = 0.0L;
        for (int k = j; k < size_; ++k) {
            if (row[k] == 0.0L)
                continue;
            long double cosine;
            long double sine;
            if (fabsl(triangle_[k][k]) < fabsl(row[k])) {
                const long double cotangent = triangle_[k][k] / row[k];
                sine = 0.5L / sqrtl(0.25L + 0.25L * cotangent * cotangent);
                cosine = sine * cotangent;
            } else {
                const long double tangent = row[k] / triangle_[k][k];
                cosine = 0.5L / sqrtl(0.25L + 0.25L * tangent * tangent);
                sine = cosine * tangent;
            }
            triangle_[k][k] = cosine * triangle_[k][k] + sine * row[k];
            const long double rotated = cosine * rightHandSide[k] + sine * extra;
            extra = -sine * rightHandSide[k] + cosine * extra;
            rightHandSide[k] = rotated;
            for (int l = k + 1; l < size_; ++l) {
                const long double upper = cosine * triangle_[k][l] + sine * row[l];
                row[l] = -sine * triangle_[k][l] + cosine * row[l];
                triangle_[k][l] = upper;
            }
        }
    }

    int size_;
    long double triangle_[kMaxTrustRegionParameters][kMaxTrustRegionParameters] = {};
};

// Moré's Newton correction of lambda, -phi/phi' for phi(lambda) = ||D p|| -
// radius: ((excess/radius)/||z||)/||z|| with R_lambda^T z = D (D p)/||D p||.
long double newtonCorrection(const DampedSolve& solve, const long double* scale,
                             const long double* step, int size, long double scaledLength,
                             long double excess, long double radius) {
    long double weighted[kMaxTrustRegionParameters];
    for (int j = 0; j < size; ++j)
        weighted[j] = scale[j] * (scale[j] * step[j] / scaledLength);
    const long double norm = solve.transposedSolveNorm(weighted);
    return ((excess / radius) / norm) / norm;
}

}  // namespace

long double euclideanNorm(const long double* v, int size) {
    long double sum = 0.0L;
    for (int j = 0; j < size; ++j)
        sum = sum + v[j] * v[j];
    return sqrtl(sum);
}

long double scaledNorm(const long double* scale, const long double* v, int size) {
    long double sum = 0.0L;
    for (int j = 0; j < size; ++j)
        sum = sum + (scale[j] * v[j]) * (scale[j] * v[j]);
    return sqrtl(sum);
}

long double triangleTimesNorm(const TrustRegionSystem& system, const long double* v) {
    long double sum = 0.0L;
    for (int i = 0; i < system.size; ++i) {
        long double row = 0.0L;
        for (int j = i; j < system.size; ++j)
            row = row + system.triangle[i][j] * v[j];
        sum = sum + row * row;
    }
    return sqrtl(sum);
}

long double jacobianColumnNorm(const TrustRegionSystem& system, int column) {
    long double sum = 0.0L;
    for (int i = 0; i <= column; ++i)
        sum = sum + system.triangle[i][column] * system.triangle[i][column];
    return sqrtl(sum);
}

long double halfGradient(const TrustRegionSystem& system, int column) {
    long double sum = 0.0L;
    for (int i = 0; i <= column; ++i)
        sum = sum + system.triangle[i][column] * system.projectedResidual[i];
    return sum;
}

void trustRegionStep(const TrustRegionSystem& system, const long double* scale, long double radius,
                     long double& lambda, long double* step) {
    const int n = system.size;
    const long double tiny = LDBL_MIN;

    // The Gauss–Newton step, taken when it lies inside the region.
    const DampedSolve gaussNewton(system, scale, 0.0L, step);
    long double scaledLength = scaledNorm(scale, step, n);
    long double excess = scaledLength - radius;
    if (excess <= 0.1L * radius) {
        lambda = 0.0L;
        return;
    }

    // Bounds of lambda: lower from the Newton step at lambda = 0 (only when
    // R has full rank), upper from the scaled gradient.
    long double lower = 0.0L;
    if (gaussNewton.fullRank())
        lower = newtonCorrection(gaussNewton, scale, step, n, scaledLength, excess, radius);
    long double weighted[kMaxTrustRegionParameters];
    for (int j = 0; j < n; ++j)
        weighted[j] = halfGradient(system, j) / scale[j];
    const long double gradientNorm = euclideanNorm(weighted, n);
    long double upper = gradientNorm / radius;
    if (upper == 0.0L)
        upper = tiny / fminl(radius, 0.1L);

    lambda = fmaxl(lambda, lower);
    lambda = fminl(lambda, upper);
    if (lambda == 0.0L)
        lambda = gradientNorm / scaledLength;

    for (int solves = 1;; ++solves) {
        if (lambda == 0.0L)
            lambda = fmaxl(tiny, 0.001L * upper);
        const DampedSolve damped(system, scale, lambda, step);
        scaledLength = scaledNorm(scale, step, n);
        const long double previousExcess = excess;
        excess = scaledLength - radius;
        if (fabsl(excess) <= 0.1L * radius ||
            (lower == 0.0L && excess <= previousExcess && previousExcess < 0.0L) ||
            solves == kMaxNewtonSolves) {
            return;
        }
        const long double correction =
            newtonCorrection(damped, scale, step, n, scaledLength, excess, radius);
        if (excess > 0.0L)
            lower = fmaxl(lower, lambda);
        if (excess < 0.0L)
            upper = fminl(upper, lambda);
        lambda = fmaxl(lower, lambda + correction);
    }
}

}  // namespace quorvane
