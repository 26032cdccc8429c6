// Gaussian elimination of the normal equations, as the fit uses it:
// no pivoting by magnitude; each row below the pivot is divided by its own
// entry in the pivot column before the pivot row (divided by the pivot) is
// subtracted; rows are exchanged (columns i..N only) just when a pivot is
// exactly zero; then back substitution. Division by zero, 0/0 and overflow
// are floating-point faults that end the running command.
#pragma once

#include "data/workspace.h"

namespace quorvane {

// A 300 x 300 store with 1-based rows and columns, like normalMatrix.
using MatrixStore = long double[kMaxParameters + 1][kMaxParameters + 1];

// Solves A x = b for the leading size x size square. A and b are left
// holding the reduced system. Throws QuorvaneError on a floating-point fault
// (nothing after the failing division is computed, nor its result stored).
// size <= 0 does nothing; size > 300 is refused with QuorvaneError.
void solveByElimination(MatrixStore& A, long double* b, long double* x, int size);

// normalMatrix * stepVector = gradientVector for N = fittedParameterCount,
// in place on the workspace arrays.
void solveStep();

// covarianceMatrix[k][i], k = 1..size, = column i of the inverse of the
// leading size x size square of normalMatrix; normalMatrix, gradientVector
// and stepVector are left unchanged. Columns finished before a fault stay
// written. size = 0 does nothing.
void invertNormalMatrix(int size);

}  // namespace quorvane
