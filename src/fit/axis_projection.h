// The two steps of the variable projection (curve_projection.h) that do
// its maths: forming one time axis (the exponentials E_j, the QR of the
// basis Phi and that of Kaufman's U) and one curve's pass on an axis (its
// coefficients a*_c, residual sum of squares and triangle of [J_c | r_c]).
// curve_projection.cpp decides which curves share an axis and runs these on
// the threads.
#pragma once

#include <cstddef>

#include "data/floating_point.h"
#include "data/workspace.h"
#include "fit/curve_projection.h"
#include "lsq/householder_qr.h"

namespace quorvane {

// What every pass of one projection reads besides the workspace.
struct ProjectionInputs {
    int componentCount;
    long double rate[kMaxComponents + 1];  // w_j = exp(k_j)
    // Coefficients to judge, in the layout of ParameterVector, or null.
    const long double* judged;
    int stride;  // rows of a store column: the most points of any curve, at least 1
    // When not null, each curve's pass fills bases[curve].
    BasisInverse* bases = nullptr;
};

// An axis store holds 3n+2 columns of `stride` rows:
//   0..n-1     E_1..E_n
//   n..2n      Phi_0..Phi_n, factored in place (Q_B and R_B)
//   2n+1..3n   x w_j E_j, then Q_B^T of it, factored in place from row
//              rank(Phi) on (Q_U and R_U)
//   3n+1       the column of a curve worked on its own axis
// A curve column holds a curve's values y_c, then Q_B^T y_c, then Q_U^T of
// that.
inline std::size_t axisStoreSize(const ProjectionInputs& inputs) {
    return static_cast<std::size_t>(3 * inputs.componentCount + 2) *
           static_cast<std::size_t>(inputs.stride);
}
inline long double* storeColumn(long double* store, int stride, int index) {
    return store + static_cast<std::ptrdiff_t>(index) * stride;
}
inline const long double* storeColumn(const long double* store, int stride, int index) {
    return store + static_cast<std::ptrdiff_t>(index) * stride;
}
inline int ownCurveColumn(int componentCount) {
    return 3 * componentCount + 1;
}

// What the curves of one time axis share, in an axis store.
struct Axis {
    const long double* store;
    int points;
    HouseholderFactors basis;    // of Phi
    HouseholderFactors kaufman;  // of U, from row basis.rank on
    FloatingPointFaults faults;  // raised while the axis was formed
};

// What one curve's pass hands to the combination.
struct CurveSlot {
    // Rows 0..n-1 of the triangle of [J_c | r_c], columns 0..n (n: r_c).
    long double triangle[kMaxComponents][kMaxComponents + 1];
    long double sumOfSquares;
    long double coefficients[kMaxComponents + 1];  // a*_c: [0] the offset, [j] A_j
    bool dependent[kMaxComponents + 1];
    // Only with coefficients to judge: ||Phi (a - a*)||^2 and the largest
    // |a_j - a*_j| / max_l |a*_l|; 0 otherwise.
    long double excess;
    long double change;
    FloatingPointFaults faults;  // the axis's and the pass's own
};

// How far coefficients `judged` are from the solved a*, over `count`
// columns of a basis factored on `basis`: adds ||R_B (a - a*)||^2 to
// `excess` and raises `change` to the largest |a_j - a*_j| / max_l |a*_l|
// (max_l |a*_l| = 1 when it is 0).
void judgeCoefficients(const long double* basis, int stride, const HouseholderFactors& factors,
                       const long double* judged, const long double* solved, int count,
                       long double& excess, long double& change);

// Forms the axis of `curve`'s times in `store`. Outside a loop of the
// thread pool its columns are split over the threads; inside a task they
// are formed in turn. Leaves the calling thread's flags clear.
void formAxis(int curve, const ProjectionInputs& inputs, long double* store, Axis& axis);

// Curve c's pass on `axis`, whose times are the curve's; `transformed` is a
// column of `inputs.stride` values of the task's own. Expects the calling
// thread's flags clear and leaves them clear.
void projectOnAxis(int curve, const ProjectionInputs& inputs, const Axis& axis,
                   long double* transformed, CurveSlot& slot);

}  // namespace quorvane
