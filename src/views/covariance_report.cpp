#include "views/covariance_report.h"

#include "data/error.h"
#include "data/floating_point.h"
#include "data/number_format.h"
#include "data/workspace.h"
#include "fit/response_covariance.h"
#include "fit/response_model.h"
#include "lsq/linear_solver.h"
#include "lsq/normal_equations.h"
#include "views/report_text.h"

namespace quorvane {

int covarianceSize() {
    return reportLayout().fittedParameterCount();
}

namespace {

// With the instrument response on: the log-rate block of its fit
// (response_covariance.h); lambda and the matrices are left alone.
CovarianceBlock responseCovarianceBlock() {
    long double covariance[kMaxComponents + 1][kMaxComponents + 1] = {};
    responseRateCovariance(covariance);
    const int K = workspace.componentCount;
    CovarianceBlock block;
    block.size = K;
    block.cells.assign(K, std::vector<std::string>(K));
    for (int a = 1; a <= K; ++a)
        for (int b = 1; b <= K; ++b)
            block.cells[a - 1][b - 1] = formatFixed6(covariance[a][b]);
    return block;
}

}  // namespace

CovarianceBlock computeCovarianceBlock() {
    if (responseInUse())
        return responseCovarianceBlock();
    const int K = workspace.layoutComponentCount;
    const int size = covarianceSize();
    // buildNormalMatrix fills the square of fittedParameterCount(), which
    // equals N' after every Start; both must lie within the matrices.
    const int built = fittedParameterCount();
    if (size > kMaxParameters || built > kMaxParameters) {
        throw QuorvaneError(textWithNumber("Var-Cov Matrix: ", workspace.curveCount) +
                            textWithNumber(" traces with ", K) +
                            textWithNumber(" components need ", size > built ? size : built) +
                            " parameters, more than the 300 a fit can hold");
    }

    workspace.lambda = 0.0L;
    clearFloatingPointFaults();
    buildNormalMatrix();
    checkFloatingPointFaults();
    invertNormalMatrix(size);
    checkFloatingPointFaults();

    CovarianceBlock block;
    if (size == 0)
        return block;
    const ParameterLayout layout = reportLayout();
    block.size = K;
    block.cells.assign(K, std::vector<std::string>(K));
    for (int a = 1; a <= K; ++a) {
        for (int b = 1; b <= K; ++b) {
            block.cells[a - 1][b - 1] =
                formatFixed6(workspace.covarianceMatrix[layout.rateIndex(a)][layout.rateIndex(b)]);
        }
    }
    return block;
}

}  // namespace quorvane
