// Random global-fit problems for the least-squares tests: curves of unequal
// length with negative, zero and positive times, time constants spread over
// five decades and data that the current parameters do not fit.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "lsq/linear_solver.h"
#include "support/test_support.h"

namespace quorvane::testing {

// How the curves' times relate: each curve its own times (and point count),
// every curve on one axis, or curves 2k-1 and 2k on one axis each (an odd
// last curve on its own).
enum class Axes { kPerCurve, kOne, kPerPair };

struct ProblemShape {
    int components;
    int curves;
    std::uint64_t seed;
    long double lambda;
    Axes axes = Axes::kPerCurve;
    int longestTrace = 60;  // a trace has 1..longestTrace points
};

inline void PrintTo(const ProblemShape& shape, std::ostream* out) {
    static const char* const kAxes[] = {"an axis per curve", "one axis", "an axis per pair"};
    *out << shape.components << " components, " << shape.curves << " curves, seed " << shape.seed
         << ", lambda " << static_cast<double>(shape.lambda) << ", "
         << kAxes[static_cast<int>(shape.axes)] << ", up to " << shape.longestTrace << " points";
}

// Fills the workspace (already zero-filled by the fixture) with a problem of
// `shape`: curveCount, componentCount, the curve data (announced as changed),
// ParameterVector entries 1..N and lambda.
void loadRandomProblem(const ProblemShape& shape);

// The leading size x size square of a matrix store, row by row.
inline std::vector<long double> leadingSquare(const MatrixStore& matrix, int size) {
    std::vector<long double> values;
    for (int row = 1; row <= size; ++row)
        for (int column = 1; column <= size; ++column)
            values.push_back(matrix[row][column]);
    return values;
}

// Entries 1..size of a 1-based vector.
inline std::vector<long double> leadingEntries(const long double* vector, int size) {
    return std::vector<long double>(vector + 1, vector + 1 + size);
}

// Index of the first entry whose bits differ, or -1.
inline int firstDifference(const std::vector<long double>& a, const std::vector<long double>& b) {
    for (std::size_t q = 0; q < a.size(); ++q)
        if (!sameBits(a[q], b[q]))
            return static_cast<int>(q);
    return -1;
}

// Everything one iteration forms, in the driver's order: the system as
// built, the step, the system as the elimination left it, the two sums.
struct IterationResults {
    std::vector<long double> matrix;
    std::vector<long double> gradient;
    std::vector<long double> step;
    std::vector<long double> reducedMatrix;
    std::vector<long double> reducedGradient;
    long double trialSum = 0.0L;
    long double currentSum = 0.0L;
};

// One iteration of the production routines (fromReference false) or of the
// literal reference, on the workspace as it stands.
IterationResults runIteration(bool fromReference);

// The first of the results above whose bits differ ("matrix entry 7",
// "trial sum"), or "" when all are the same.
std::string firstDifferenceOf(const IterationResults& actual, const IterationResults& expected);

}  // namespace quorvane::testing
