// The singular values of a time x wavelength matrix: the standard aid to
// choose the number of components (a component of the kinetics shows as one
// singular value above the noise floor), and, for the residuals of a fit,
// whether structure is left that the model misses.
//
// For the matrix A (rows the times, columns the wavelengths), A = U S V^T
// with the singular values s1 >= s2 >= ... >= 0; the left singular vectors
// (columns of U) run over time, the right ones (columns of V) over
// wavelength. The decomposition is Eigen's divide-and-conquer SVD (BDCSVD,
// one-sided Jacobi for small matrices) in double precision.
//
// Signs: a pair (u_k, v_k) may be negated together without changing A. For
// reproducible results each pair is turned so that the entry of u_k with
// the largest magnitude is positive; entries within a relative 1e-8 of the
// largest magnitude count as tied, and the first of them decides (so that
// rounding cannot pick among entries equal in exact arithmetic).
#pragma once

#include <cstddef>
#include <vector>

#include "data/measurement.h"

namespace quorvane {

inline constexpr std::size_t kSingularValuesShown = 10;
inline constexpr std::size_t kSingularVectorsShown = 3;

struct SingularValues {
    std::vector<double> times;        // the matrix's rows
    std::vector<double> wavelengths;  // its columns
    // The first min(10, rows, columns) singular values, largest first.
    std::vector<double> values;
    // The first min(3, rows, columns) singular vectors, unit length: left[k]
    // over the times, right[k] over the wavelengths.
    std::vector<std::vector<double>> left;
    std::vector<std::vector<double>> right;
};

// Of any matrix with at least one row and one column.
SingularValues singularValuesOf(const KineticMatrix& matrix);

// Of the loaded traces (matrixOfLoadedTraces, refused when they do not share
// one time axis) and of the residuals after a fit (fittedMatrix), with their
// refusals.
SingularValues singularValuesOfData();
SingularValues singularValuesOfResiduals();

}  // namespace quorvane
