#include "lsq/linear_solver.h"

#include <cmath>
#include <utility>

#include "data/floating_point.h"
#include "lsq/system_capacity.h"

namespace quorvane {

namespace {

// exchangedRow[i] = r when rows i and r (r > i) were exchanged at stage i,
// 0 when stage i made no exchange.
using ExchangeRecord = int[kMaxParameters + 1];

// Stage i on b: b[r] = (b[r] / A[r][i]) - (b[i] / A[i][i]) for every row
// r > i with A[r][i] != 0, the pivot quotient formed once, at the first.
void reduceRightHandSide(const MatrixStore& A, long double* b, int i, int size) {
    const long double pivot = A[i][i];
    bool quotientFormed = false;
    long double pivotRightHandSide = 0.0L;
    for (int r = i + 1; r <= size; ++r) {
        const long double divisor = A[r][i];
        if (divisor == 0.0L)
            continue;
        if (!quotientFormed) {
            pivotRightHandSide = b[i] / pivot;
            quotientFormed = true;
        }
        b[r] = b[r] / divisor - pivotRightHandSide;
    }
}

// Stage i on A, columns i+1..size of the rows r > i with A[r][i] != 0.
void reduceMatrix(MatrixStore& A, int i, int size) {
    long double pivotRowQuotient[kMaxParameters + 1];
    const long double pivot = A[i][i];
    bool quotientsFormed = false;
    for (int r = i + 1; r <= size; ++r) {
        const long double divisor = A[r][i];
        if (divisor == 0.0L)
            continue;
        if (!quotientsFormed) {
            for (int c = i + 1; c <= size; ++c)
                pivotRowQuotient[c] = A[i][c] / pivot;
            quotientsFormed = true;
        }
        // Most entries of a coefficient row are zeros (the other curves'
        // columns). A zero divided by the divisor is a zero whose sign the
        // signs decide, so its quotient is taken from the two formed here
        // instead of a division of its own: the same bits, the same flags, a
        // small part of the divisions.
        const long double zeroQuotient = 0.0L / divisor;
        const long double negativeZeroQuotient = -0.0L / divisor;
        long double* row = A[r];
        for (int c = i + 1; c <= size; ++c) {
            const long double entry = row[c];
            const long double quotient =
                entry != 0.0L ? entry / divisor
                              : (std::signbit(entry) ? negativeZeroQuotient : zeroQuotient);
            row[c] = quotient - pivotRowQuotient[c];
        }
    }
}

// Stages i = 1..size-1, each followed by a fault test:
//   - A[i][i] == 0: the first row r > i with A[r][i] != 0 exchanges columns
//     i..size (and b) with row i; no other exchange is ever made;
//   - every row r > i with A[r][i] != 0:
//       b[r]    = (b[r] / A[r][i]) - (b[i] / A[i][i])
//       A[r][c] = (A[r][c] / A[r][i]) - (A[i][c] / A[i][i])   c = i+1..size
//     A[r][i] itself and columns 1..i of row r are left as they are.
// The pivot-row quotients b[i]/A[i][i] and A[i][c]/A[i][i] are the same for
// every row of the stage and are formed once, when the first row is updated
// (a stage that updates no row divides nothing, so no fault can come from
// quotients the direct order would not form).
//
// Why a right-hand side can be replayed later: after stage i, column i of
// the rows below i and row i from column i on are never changed again
// (later stages touch columns > i of rows > i only), so A[r][i] and A[i][i]
// as left by the reduction are the divisors stage i used.
//
// The right-hand side's and the matrix's operations of a stage are apart
// (reduceRightHandSide, reduceMatrix): every value of a stage is formed
// from values of the stages before it, so their order within the stage
// changes no bit, and the faults are tested once per stage.
void eliminate(MatrixStore& A, long double* b, int size, ExchangeRecord& exchangedRow) {
    for (int i = 1; i <= size - 1; ++i) {
        exchangedRow[i] = 0;
        if (A[i][i] == 0.0L) {
            for (int r = i + 1; r <= size; ++r) {
                if (A[r][i] != 0.0L) {
                    for (int c = i; c <= size; ++c)
                        std::swap(A[i][c], A[r][c]);
                    std::swap(b[i], b[r]);
                    exchangedRow[i] = r;
                    break;
                }
            }
        }
        reduceRightHandSide(A, b, i, size);
        reduceMatrix(A, i, size);
        checkFloatingPointFaults();
    }
}

// The right-hand-side operations of eliminate() on a new b, with the
// exchanges it recorded and the divisors it left in A.
void replayElimination(const MatrixStore& A, const ExchangeRecord& exchangedRow, long double* b,
                       int size) {
    for (int i = 1; i <= size - 1; ++i) {
        if (exchangedRow[i] != 0)
            std::swap(b[i], b[exchangedRow[i]]);
        reduceRightHandSide(A, b, i, size);
        checkFloatingPointFaults();
    }
}

// x[size] = b[size] / A[size][size]; then for p = size-1 down to 1:
//   sum = 0 + A[p][p+1]*x[p+1] + ... + A[p][size]*x[size]   (in this order)
//   x[p] = (b[p] - sum) / A[p][p]
// Each division is tested before its result is stored: the first faulting
// division throws, and no entry of x after it (nor it) is written.
void backSubstitute(const MatrixStore& A, const long double* b, long double* x, int size) {
    const long double last = b[size] / A[size][size];
    checkFloatingPointFaults();
    x[size] = last;
    for (int j = 1; j <= size - 1; ++j) {
        const int p = size - j;
        long double sum = 0.0L;
        for (int k = 1; k <= j; ++k)
            sum = sum + A[p][p + k] * x[p + k];
        const long double value = (b[p] - sum) / A[p][p];
        checkFloatingPointFaults();
        x[p] = value;
    }
}

}  // namespace

void solveByElimination(MatrixStore& A, long double* b, long double* x, int size) {
    checkSystemSize(size);
    if (size <= 0)
        return;
    clearFloatingPointFaults();
    ExchangeRecord exchangedRow;
    eliminate(A, b, size, exchangedRow);
    backSubstitute(A, b, x, size);
}

void solveStep() {
    solveByElimination(workspace.normalMatrix, workspace.gradientVector, workspace.stepVector,
                       fittedParameterCount());
}

// Equivalent to solving a fresh copy of the matrix against each unit vector
// e_i in turn: the copy is reduced once, together with e_1 (so that the
// first column meets the faults of the matrix's own reduction at the stage
// where they arise), and the recorded exchanges and row updates are replayed
// on e_2, e_3, ... Work storage is static: the 300 x 300 copy is too large
// for the stack, and the program inverts on one thread only.
void invertNormalMatrix(int size) {
    checkSystemSize(size);
    if (size <= 0)
        return;
    static MatrixStore workMatrix;
    static long double rightHandSide[kMaxParameters + 1];
    static long double solution[kMaxParameters + 1];
    static ExchangeRecord exchangedRow;

    for (int row = 1; row <= size; ++row)
        for (int column = 1; column <= size; ++column)
            workMatrix[row][column] = workspace.normalMatrix[row][column];
    clearFloatingPointFaults();
    for (int i = 1; i <= size; ++i) {
        for (int k = 1; k <= size; ++k) {
            rightHandSide[k] = k == i ? 1.0L : 0.0L;
            solution[k] = 0.0L;
        }
        if (i == 1)
            eliminate(workMatrix, rightHandSide, size, exchangedRow);
        else
            replayElimination(workMatrix, exchangedRow, rightHandSide, size);
        backSubstitute(workMatrix, rightHandSide, solution, size);
        for (int k = 1; k <= size; ++k)
            workspace.covarianceMatrix[k][i] = solution[k];
    }
}

}  // namespace quorvane
