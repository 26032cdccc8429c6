// A literal, uncached evaluation of the normal equations and the solver, kept
// as the reference that the production code must equal bit for bit. Every
// entry is its own sum over the points, every residual a new call of
// evaluateModelAtPoint, every rate w[m] a new extendedExp(k[m]); the order of
// operations is the one documented in src/lsq/curve_subtotals.cpp and
// src/lsq/linear_solver.cpp, written out entry by entry. Nothing here is
// meant to be fast.
//
// The functions read and write the same workspace arrays as the production
// routines they stand for, with the same contracts (the leading square is
// cleared before a build, floating-point faults throw QuorvaneError).
#pragma once

#include "lsq/linear_solver.h"

namespace quorvane::testing {

void referenceBuildNormalMatrix();
void referenceBuildGradientVector();

// The elimination and back substitution as written: quotient minus quotient
// for every row and column, each pivot-row quotient formed anew, a fault
// test after each stage and after each division of back substitution.
void referenceSolveByElimination(MatrixStore& A, long double* b, long double* x, int size);

// The per-column inversion: for each i, a fresh copy of the leading square of
// normalMatrix solved against e_i into column i of covarianceMatrix.
void referenceInvert(int size);

}  // namespace quorvane::testing
