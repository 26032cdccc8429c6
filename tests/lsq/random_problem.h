// Random global-fit problems for the least-squares tests: curves of unequal
// length with negative, zero and positive times, time constants spread over
// five decades and data that the current parameters do not fit.
#pragma once

#include <cstdint>
#include <cstring>
#include <ostream>

namespace quorvane::testing {

struct ProblemShape {
    int components;
    int curves;
    std::uint64_t seed;
    long double lambda;
};

inline void PrintTo(const ProblemShape& shape, std::ostream* out) {
    *out << shape.components << " components, " << shape.curves << " curves, seed " << shape.seed
         << ", lambda " << static_cast<double>(shape.lambda);
}

// Fills the workspace (already zero-filled by the fixture) with a problem of
// `shape`: curveCount, componentCount, the curve data, ParameterVector
// entries 1..N and lambda.
void loadRandomProblem(const ProblemShape& shape);

// Bitwise identity of two extended values: the 10 significant bytes of the
// 80-bit format (the padding bytes are not part of the value).
inline bool sameBits(long double a, long double b) {
    return std::memcmp(&a, &b, 10) == 0;
}

}  // namespace quorvane::testing
