#include "fit/response_covariance.h"

#include <cfenv>
#include <memory>

#include "data/floating_point.h"
#include "fit/response_projection.h"

namespace quorvane {

void triangleCovariance(const TrustRegionSystem& R, ResponseCovariance& covariance) {
    const int p = R.size;
    clearFloatingPointFaults();
    for (int b = 1; b <= p; ++b) {
        long double z[kMaxTrustRegionParameters];
        for (int q = 0; q < p; ++q) {
            long double sum = q == b - 1 ? 1.0L : 0.0L;
            for (int l = 0; l < q; ++l)
                sum = sum - R.triangle[l][q] * z[l];
            z[q] = sum / R.triangle[q][q];
        }
        long double w[kMaxTrustRegionParameters];
        for (int q = p - 1; q >= 0; --q) {
            long double sum = z[q];
            for (int l = q + 1; l < p; ++l)
                sum = sum - R.triangle[q][l] * w[l];
            w[q] = sum / R.triangle[q][q];
        }
        for (int a = 1; a <= p; ++a)
            covariance[a - 1][b - 1] = w[a - 1];
    }
    checkFloatingPointFaults();
}

int responseCovariance(ResponseCovariance& covariance) {
    const int n = workspace.componentCount;
    long double x[kMaxTrustRegionParameters] = {};
    for (int j = 1; j <= n; ++j)
        x[j - 1] = workspace.ParameterVector[rateIndex(j)];
    responseParametersToVector(responseModel, x + n);
    const auto projection = std::make_unique<ResponseProjection>();
    projectWithResponse(responseModel, x, nullptr, *projection);
    if (!projection->projection.valid)
        throwIfFloatingPointFault(projection->projection.faults);
    triangleCovariance(projection->projection.system, covariance);
    return projection->projection.system.size;
}

void responseRateCovariance(long double (&covariance)[kMaxComponents + 1][kMaxComponents + 1]) {
    ResponseCovariance all;
    responseCovariance(all);
    for (int a = 1; a <= workspace.componentCount; ++a)
        for (int b = 1; b <= workspace.componentCount; ++b)
            covariance[a][b] = all[a - 1][b - 1];
}

}  // namespace quorvane
