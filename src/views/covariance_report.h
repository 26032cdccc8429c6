// The variance–covariance command without its window.
//
// With K = layoutComponentCount, C = curveCount, s = (K+1)C and
// N' = (K+1)C + K:
//   1. lambda = 0 (left so; the next Start sets it again);
//   2. buildNormalMatrix() on the current ParameterVector, undamped;
//   3. invertNormalMatrix(N') into covarianceMatrix;
//   4. the cell of grid column a and grid row b (a, b = 1..K) is
//      formatFixed6(covarianceMatrix[s+a][s+b]): the (co)variances of the
//      log-rates -ln(t_a), -ln(t_b), not scaled by any residual variance.
// N' = 0 or K = 0 yields no cell (the window still writes its headers).
// While the last Start's instrument response is on (and traces are loaded),
// the block is that fit's instead (fit/response_covariance.h), with the same
// cell format; lambda and the matrices are not touched.
//
// Refusals and faults throw QuorvaneError:
//   - N' above 300 (traces loaded after a fit) is refused before anything
//     changes, lambda included;
//   - a singular matrix ends the command with the floating-point message of
//     the failing division ("Floating point division by zero", or "Invalid
//     floating point operation" for 0/0); no cell text is produced, lambda
//     stays 0 and covarianceMatrix keeps the columns finished before.
#pragma once

#include <string>
#include <vector>

namespace quorvane {

struct CovarianceBlock {
    // K: the block is size x size.
    int size = 0;
    // cells[a-1][b-1]: the text of grid column a, grid row b.
    std::vector<std::vector<std::string>> cells;

    const std::string& cell(int column, int row) const { return cells[column - 1][row - 1]; }
};

// The size N' = (K+1)C + K of the square the command inverts.
int covarianceSize();

// Runs steps 1..4 on the workspace and returns the cell texts.
CovarianceBlock computeCovarianceBlock();

}  // namespace quorvane
