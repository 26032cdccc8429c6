#include "lsq/normal_equations.h"

#include "data/floating_point.h"
#include "data/workspace.h"
#include "lsq/build_results.h"
#include "lsq/curve_passes.h"
#include "lsq/system_capacity.h"

namespace quorvane {

namespace {

void clearLeadingSquare(int size) {
    for (int row = 1; row <= size; ++row)
        for (int column = 1; column <= size; ++column)
            workspace.normalMatrix[row][column] = 0.0L;
}

// Copies the lower triangle to the upper one: [l][q] = [q][l] for l < q.
void mirrorLowerTriangle(int size) {
    for (int q = 1; q <= size; ++q)
        for (int l = 1; l <= q - 1; ++l)
            workspace.normalMatrix[l][q] = workspace.normalMatrix[q][l];
}

// [q][q] = [q][q] * (lambda + 1); with lambda = 0 the factor is exactly 1.
void dampDiagonal(int size) {
    const long double factor = workspace.lambda + 1.0L;
    for (int q = 1; q <= size; ++q)
        workspace.normalMatrix[q][q] = workspace.normalMatrix[q][q] * factor;
}

// Matrix assembly: curve c's own block (step 1) and its rate-by-coefficient
// entries (step 2) are that curve's subtotals. The log-rate entries add the
// per-curve subtotals in increasing curve order into totals that start at 0:
//   [s+m][s+l] = sum_c rateBlock_c[m][l]                     l < m
//   [s+m][s+m] = (sum_c rateBlock_c[m][m]) - (sum_c secondOrder_c[m])
// where secondOrder_c[m] already is 0 - t_1 - t_2 - ... over the points.
// The inter-curve entries stay 0 from the clearing.
void assembleMatrix(int n, int curves) {
    auto& matrix = workspace.normalMatrix;
    long double rateBlockTotal[kMaxComponents + 1][kMaxComponents + 1] = {};
    long double secondOrderTotal[kMaxComponents + 1] = {};
    for (int c = 1; c <= curves; ++c) {
        const CurveSubtotals& subtotals = curveSubtotalsOf(c);
        const int base = offsetIndex(c) - 1;  // p(c,j) = base + j
        matrix[base + 1][base + 1] = static_cast<long double>(workspace.pointCount[c]);
        for (int j = 2; j <= n + 1; ++j)
            for (int l = 1; l <= j; ++l)
                matrix[base + j][base + l] = subtotals.coefficientBlock[j][l];
        for (int m = 1; m <= n; ++m) {
            for (int j = 1; j <= n + 1; ++j)
                matrix[rateIndex(m)][base + j] = subtotals.rateByCoefficient[m][j];
            for (int l = 1; l <= m; ++l)
                rateBlockTotal[m][l] = rateBlockTotal[m][l] + subtotals.rateBlock[m][l];
            secondOrderTotal[m] = secondOrderTotal[m] + subtotals.secondOrder[m];
        }
    }
    for (int m = 1; m <= n; ++m) {
        for (int l = 1; l <= m - 1; ++l)
            matrix[rateIndex(m)][rateIndex(l)] = rateBlockTotal[m][l];
        matrix[rateIndex(m)][rateIndex(m)] = rateBlockTotal[m][m] - secondOrderTotal[m];
    }
}

// Gradient assembly: [p(c,j)] = curve c's subtotal; [s+m] = sum_c
// rateGradient_c[m] in increasing curve order, starting at 0.
void assembleGradient(int n, int curves, long double* gradient) {
    long double rateTotal[kMaxComponents + 1] = {};
    for (int c = 1; c <= curves; ++c) {
        const CurveSubtotals& subtotals = curveSubtotalsOf(c);
        const int base = offsetIndex(c) - 1;  // p(c,j) = base + j
        for (int j = 1; j <= n + 1; ++j)
            gradient[base + j] = subtotals.coefficientGradient[j];
        for (int m = 1; m <= n; ++m)
            rateTotal[m] = rateTotal[m] + subtotals.rateGradient[m];
    }
    for (int m = 1; m <= n; ++m)
        gradient[rateIndex(m)] = rateTotal[m];
}

}  // namespace

// One pass per curve forms the matrix's subtotals together with the
// gradient's and the sum of squares' (they share every residual and
// exponential); the gradient and the sum are kept for buildGradientVector and
// sumSquaredResiduals (build_results.h), each with the faults forming it on
// its own would raise. The matrix's own faults throw at the end, after every
// entry has been written, as a build that tests the flags once would.
void buildNormalMatrix() {
    clearFloatingPointFaults();
    checkNormalEquationsCapacity();
    forgetBuildResults();
    const int n = workspace.componentCount;
    const int curves = workspace.curveCount;
    const int size = fittedParameterCount();
    clearLeadingSquare(size);

    // The rates count for every result, what the passes raised outside their
    // own accounting for the matrix, each assembly for its own result.
    RateTable table;
    prepareRateTable(table, workspace.ParameterVector);
    PartFaults faults;
    faults.charge(kAllCurveParts, takeFloatingPointFaults());
    beginBuildResults();
    faults.charge(kMatrixPart, runCurvePasses(table, kAllCurveParts));
    faults.charge(curvePassFaults(curves));

    assembleMatrix(n, curves);
    mirrorLowerTriangle(size);
    dampDiagonal(size);
    faults.charge(kMatrixPart, takeFloatingPointFaults());

    if (faults.matrix == 0) {
        long double* gradient = buildGradientStore();
        assembleGradient(n, curves, gradient);
        faults.charge(kGradientPart, takeFloatingPointFaults());
        long double sumOfSquares = 0.0L;
        for (int c = 1; c <= curves; ++c)
            sumOfSquares = sumOfSquares + curveSubtotalsOf(c).sumOfSquares;
        faults.charge(kSumPart, takeFloatingPointFaults());
        completeBuildResults(faults.gradient, sumOfSquares, faults.sum);
    }
    throwIfFloatingPointFault(faults.matrix);
}

void buildGradientVector() {
    clearFloatingPointFaults();
    checkNormalEquationsCapacity();
    const int n = workspace.componentCount;
    const int curves = workspace.curveCount;
    const int size = fittedParameterCount();

    const long double* stored = nullptr;
    FloatingPointFaults faults = 0;
    if (lookUpBuildGradient(stored, faults)) {
        for (int q = 1; q <= size; ++q)
            workspace.gradientVector[q] = stored[q];
        throwIfFloatingPointFault(faults);
        return;
    }

    RateTable table;
    prepareRateTable(table, workspace.ParameterVector);
    faults = takeFloatingPointFaults();
    faults |= runCurvePasses(table, kGradientPart);
    faults |= curvePassFaults(curves).gradient;
    assembleGradient(n, curves, workspace.gradientVector);
    faults |= takeFloatingPointFaults();
    throwIfFloatingPointFault(faults);
}

}  // namespace quorvane
