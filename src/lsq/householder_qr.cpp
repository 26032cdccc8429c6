#include "lsq/householder_qr.h"

#include <cmath>
#include <cstddef>

namespace quorvane {

namespace {

long double* columnOf(long double* panel, int stride, int column) {
    return panel + static_cast<std::ptrdiff_t>(column) * stride;
}

const long double* columnOf(const long double* panel, int stride, int column) {
    return panel + static_cast<std::ptrdiff_t>(column) * stride;
}

long double sumOfSquares(const long double* values, int first, int last) {
    long double sum = 0.0L;
    for (int i = first; i < last; ++i)
        sum = sum + values[i] * values[i];
    return sum;
}

// target = H target for H = I - beta v v^T, v on rows first..last-1.
void reflect(const long double* v, long double beta, int first, int last, long double* target) {
    long double product = 0.0L;
    for (int i = first; i < last; ++i)
        product = product + v[i] * target[i];
    const long double scale = beta * product;
    for (int i = first; i < last; ++i)
        target[i] = target[i] - scale * v[i];
}

}  // namespace

void householderFactor(long double* panel, int stride, int firstRow, int rows, int factorColumns,
                       int totalColumns, long double tolerance, HouseholderFactors& factors) {
    factors.firstRow = firstRow;
    factors.factorColumns = factorColumns;
    long double enteringNorm[kMaxFactorColumns];
    for (int j = 0; j < factorColumns; ++j)
        enteringNorm[j] = sqrtl(sumOfSquares(columnOf(panel, stride, j), firstRow, rows));

    int row = firstRow;
    for (int j = 0; j < factorColumns; ++j) {
        long double* column = columnOf(panel, stride, j);
        factors.pivotRow[j] = row;
        factors.diagonal[j] = 0.0L;
        factors.beta[j] = 0.0L;
        const long double sigma = row < rows ? sqrtl(sumOfSquares(column, row, rows)) : 0.0L;
        factors.independent[j] = sigma > tolerance * enteringNorm[j] && sigma > 0.0L;
        if (!factors.independent[j])
            continue;
        const long double head = column[row];
        const long double alpha = head < 0.0L ? sigma : -sigma;
        column[row] = head - alpha;
        factors.diagonal[j] = alpha;
        factors.beta[j] = 1.0L / (sigma * (sigma + fabsl(head)));
        for (int l = j + 1; l < totalColumns; ++l)
            reflect(column, factors.beta[j], row, rows, columnOf(panel, stride, l));
        ++row;
    }
    factors.rank = row - firstRow;
}

void applyHouseholderTranspose(const long double* panel, int stride, int rows,
                               const HouseholderFactors& factors, long double* z) {
    for (int j = 0; j < factors.factorColumns; ++j) {
        if (factors.independent[j])
            reflect(columnOf(panel, stride, j), factors.beta[j], factors.pivotRow[j], rows, z);
    }
}

long double triangleEntry(const long double* panel, int stride, const HouseholderFactors& factors,
                          int row, int column) {
    const int end = factors.firstRow + factors.rank;
    if (column >= factors.factorColumns)
        return row < end ? columnOf(panel, stride, column)[row] : 0.0L;
    const int own = factors.pivotRow[column];
    if (row < own)
        return columnOf(panel, stride, column)[row];
    if (row == own && factors.independent[column])
        return factors.diagonal[column];
    return 0.0L;
}

void householderSolve(const long double* panel, int stride, const HouseholderFactors& factors,
                      const long double* b, long double* x) {
    for (int j = factors.factorColumns - 1; j >= 0; --j) {
        x[j] = 0.0L;
        if (!factors.independent[j])
            continue;
        const int row = factors.pivotRow[j];
        long double sum = 0.0L;
        for (int l = j + 1; l < factors.factorColumns; ++l)
            sum = sum + triangleEntry(panel, stride, factors, row, l) * x[l];
        x[j] = (b[row] - sum) / factors.diagonal[j];
    }
}

}  // namespace quorvane
