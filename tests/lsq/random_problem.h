// Random global-fit problems for the least-squares tests: curves of unequal
// length with negative, zero and positive times, time constants spread over
// five decades and data that the current parameters do not fit.
#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>
#include <vector>

#include "lsq/linear_solver.h"

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

// Bitwise identity of two extended values: the 10 significant bytes of the
// 80-bit format (the padding bytes are not part of the value).
inline bool sameBits(long double a, long double b) {
    return std::memcmp(&a, &b, 10) == 0;
}

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

}  // namespace quorvane::testing
