// Householder QR of a panel (a few columns of a tall matrix), in extended
// precision, with a rank test: the stable linear least-squares solve of the
// variable projection method and of its trust-region steps.
//
// Storage: a column-major panel, column j (0-based) at panel + j*stride,
// rows 0..rows-1. The factorisation works on rows firstRow..rows-1 of the
// first `factorColumns` columns and applies every reflection to the
// following columns of the panel as well (right-hand sides, columns still
// to be reduced).
//
// Column j is reduced at row t = firstRow + (number of independent columns
// before it). Its part x = rows t..rows-1 has the norm sigma. When sigma is
// at most `tolerance` times the norm of the column as it entered (rows
// firstRow..rows-1, before any reflection), the column is taken as dependent
// on the columns before it: it makes no reflection, and its least-squares
// coefficient is 0. Otherwise H = I - beta v v^T with alpha = -sign(x_0)
// sigma, v = x - alpha e_0, beta = 1/(sigma(sigma + |x_0|)) maps x to
// alpha e_0; v is stored over rows t..rows-1 of the column and alpha in
// `diagonal`.
//
// The triangle R: for column l and a row t' of firstRow..firstRow+rank-1,
// R[t'][l] is the panel entry (t', l) when t' lies above column l's own row,
// and diagonal[l] at its own row when l is independent. Columns after the
// factored ones hold Q^T times their original content: rows up to
// firstRow+rank-1 are their part in the span of the independent columns,
// the rows below the part orthogonal to it.
#pragma once

namespace quorvane {

// The most columns one factorisation handles: a basis of n + 2 columns with
// n <= 9 (the offset, the components, a step), or a Jacobian of up to 15.
inline constexpr int kMaxFactorColumns = 16;

struct HouseholderFactors {
    int firstRow = 0;
    int factorColumns = 0;
    int rank = 0;
    // Row at which column j was reduced (rank before it, plus firstRow).
    int pivotRow[kMaxFactorColumns] = {};
    bool independent[kMaxFactorColumns] = {};
    long double diagonal[kMaxFactorColumns] = {};
    long double beta[kMaxFactorColumns] = {};
};

// Factors columns 0..factorColumns-1 of rows firstRow..rows-1 and applies
// each reflection to columns factorColumns..totalColumns-1. Needs
// factorColumns <= kMaxFactorColumns.
void householderFactor(long double* panel, int stride, int firstRow, int rows, int factorColumns,
                       int totalColumns, long double tolerance, HouseholderFactors& factors);

// z = Q^T z on rows firstRow..rows-1 of a vector of `rows` entries: the
// reflections of `factors`, made on `panel`, in order.
void applyHouseholderTranspose(const long double* panel, int stride, int rows,
                               const HouseholderFactors& factors, long double* z);

// Entry R[t][l] of the triangle (see above); 0 below the triangle.
long double triangleEntry(const long double* panel, int stride, const HouseholderFactors& factors,
                          int row, int column);

// The least-squares coefficients x[0..factorColumns-1] of a right-hand side
// b already transformed to Q^T b (a column after the factored ones, or a
// vector passed through applyHouseholderTranspose): back substitution over
// the independent columns, 0 for the dependent ones.
void householderSolve(const long double* panel, int stride, const HouseholderFactors& factors,
                      const long double* b, long double* x);

}  // namespace quorvane
