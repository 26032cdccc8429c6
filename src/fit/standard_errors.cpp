#include "fit/standard_errors.h"

#include <Eigen/Dense>
#include <cmath>
#include <memory>

#include "data/extended_exp.h"
#include "data/floating_point.h"
#include "fit/curve_projection.h"
#include "fit/response_covariance.h"
#include "fit/response_model.h"
#include "fit/response_projection.h"

namespace quorvane {

namespace {

using Matrix = Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic>;

// "t3", "t2 and t3", "t2, t3 and t5" of the marked components.
std::string componentList(const bool* marked, int n) {
    std::string list;
    int remaining = 0;
    for (int j = 1; j <= n; ++j)
        remaining += marked[j] ? 1 : 0;
    for (int j = 1; j <= n; ++j) {
        if (!marked[j])
            continue;
        --remaining;
        list += 't' + std::to_string(j);
        list += remaining > 1 ? ", " : remaining == 1 ? " and " : "";
    }
    return list;
}

// Curve c's basis Phi_c (columns 1, c_1..c_n (, c_0)) and the model's
// derivatives J_x,c with respect to the nonlinear parameters, at the
// projection's coefficients.
void plainColumns(int c, const long double* logRates, const Projection& projection, Matrix& basis,
                  Matrix& jacobian) {
    const int n = workspace.componentCount;
    const int count = workspace.pointCount[c];
    const double* times = workspace.curves[c].times + 1;
    basis.resize(count, n + 1);
    jacobian.resize(count, n);
    basis.col(0).setOnes();
    for (int j = 1; j <= n; ++j) {
        const long double rate = extendedExp(logRates[j]);
        const long double amplitude = projection.coefficients[c][j];
        for (int i = 0; i < count; ++i) {
            const long double e = extendedExp(-(rate * times[i]));
            basis(i, j) = e;
            jacobian(i, j - 1) = -(amplitude * (rate * times[i]) * e);
        }
    }
}

void responseColumns(int c, const long double* logRates, const ResponseProjection& projected,
                     Matrix& basis, Matrix& jacobian) {
    const ResponseModel& model = responseModel;
    const int n = workspace.componentCount;
    const int count = workspace.pointCount[c];
    const double* times = workspace.curves[c].times + 1;
    const int columns = n + 1 + (model.step ? 1 : 0);
    basis.resize(count, columns);
    jacobian.resize(count, n + fittedResponseParameterCount(model));
    basis.col(0).setOnes();
    const GaussianResponse response = curveResponse(model, c);
    std::vector<long double> value(count), dLogRate(count), dCentre(count), dWidth(count);
    Eigen::Matrix<long double, Eigen::Dynamic, 1> centre =
        Eigen::Matrix<long double, Eigen::Dynamic, 1>::Zero(count);
    Eigen::Matrix<long double, Eigen::Dynamic, 1> width = centre;
    for (int l = 1; l < columns; ++l) {
        const bool isStep = l > n;
        const long double rate = isStep ? 0.0L : extendedExp(logRates[l]);
        const long double amplitude =
            isStep ? projected.stepCoefficient[c] : projected.projection.coefficients[c][l];
        responseColumn(rate, response, times, count,
                       {value.data(), dLogRate.data(), dCentre.data(), dWidth.data()});
        for (int i = 0; i < count; ++i) {
            basis(i, l) = value[i];
            if (!isStep)
                jacobian(i, l - 1) = amplitude * dLogRate[i];
            centre(i) = centre(i) + amplitude * dCentre[i];
            width(i) = width(i) + amplitude * dWidth[i] / kFwhmPerWidth;
        }
    }
    int column = n;
    if (model.fitCentre)
        jacobian.col(column++) = centre;
    if (model.fitFwhm)
        jacobian.col(column++) = width;
    long double power = 1.0L;
    for (int d = 1; d <= model.order; ++d) {
        power = power * model.dispersionVariable[c];
        if (model.fitDispersion[d])
            jacobian.col(column++) = power * centre;
    }
}

// Adds curve c's coefficient variances to `errors`; false when its basis
// has a column that the others determine.
bool addCoefficientErrors(int c, const Matrix& basis, const Matrix& jacobian,
                          const ResponseCovariance& rates, StandardErrors& errors) {
    const int columns = static_cast<int>(basis.cols());
    const int p = static_cast<int>(jacobian.cols());
    const Eigen::HouseholderQR<Matrix> qr(basis);
    const Matrix R = qr.matrixQR().topRows(columns).triangularView<Eigen::Upper>();
    for (int l = 0; l < columns; ++l)
        if (!(fabsl(R(l, l)) > kIndependenceTolerance * basis.col(l).norm()))
            return false;
    // H_c = R_c^-1 (Q_c^T J_x,c)[0..columns-1], and R_c^-1 for the first term.
    const Matrix rotated = qr.householderQ().adjoint() * jacobian;
    const Matrix inverse =
        R.triangularView<Eigen::Upper>().solve(Matrix::Identity(columns, columns));
    const Matrix H = R.triangularView<Eigen::Upper>().solve(rotated.topRows(columns));
    const int n = errors.componentCount;
    for (int l = 0; l < columns; ++l) {
        long double variance = inverse.row(l).squaredNorm();
        for (int a = 0; a < p; ++a)
            for (int b = 0; b < p; ++b)
                variance = variance + H(l, a) * rates[a][b] * H(l, b);
        const long double error = sqrtl(errors.residualVariance * variance);
        if (l <= n)
            errors.coefficient[c][l] = error;
        else
            errors.stepAmplitude[c] = error;
    }
    return true;
}

StandardErrors refused(StandardErrors errors, std::string message) {
    errors.valid = false;
    errors.message = std::move(message);
    clearFloatingPointFaults();
    return errors;
}

}  // namespace

StandardErrors computeStandardErrors() {
    StandardErrors errors;
    const int n = workspace.componentCount;
    errors.componentCount = n;
    long double logRates[kMaxComponents + 1] = {};
    for (int j = 1; j <= n; ++j)
        logRates[j] = workspace.ParameterVector[rateIndex(j)];

    const bool withResponse = responseInUse();
    const auto responseProjection = std::make_unique<ResponseProjection>();
    Projection& projection = responseProjection->projection;
    if (withResponse) {
        long double x[kMaxTrustRegionParameters] = {};
        for (int j = 1; j <= n; ++j)
            x[j - 1] = logRates[j];
        responseParametersToVector(responseModel, x + n);
        projectWithResponse(responseModel, x, nullptr, *responseProjection);
        errors.responseCount = fittedResponseParameterCount(responseModel);
        errors.parameterCount = responseFittedParameterCount();
    } else {
        projectCurves(logRates, nullptr, projection);
        errors.parameterCount = fittedParameterCount();
    }
    if (!projection.valid)
        return refused(errors,
                       "No standard errors: a floating-point fault at the fitted "
                       "parameters");
    errors.pointCount = projection.pointCount;
    const long freedom = errors.pointCount - errors.parameterCount;
    if (freedom <= 0)
        return refused(errors, "No standard errors: " + std::to_string(errors.pointCount) +
                                   " data points for " + std::to_string(errors.parameterCount) +
                                   " fitted parameters (more points than parameters needed)");
    errors.residualVariance = projection.sumOfSquares / static_cast<long double>(freedom);

    // A parameter that the data do not determine: no covariance.
    const TrustRegionSystem& R = projection.system;
    bool marked[kMaxComponents + 1] = {};
    bool singular = false;
    for (int q = 0; q < R.size; ++q) {
        const bool dependent =
            R.triangle[q][q] == 0.0L || (q < n && projection.indistinguishable[q + 1]);
        singular = singular || dependent;
        if (q < n)
            marked[q + 1] = dependent;
    }
    const std::string undetermined =
        "No standard errors: " +
        (componentList(marked, n).empty() ? std::string("the parameters")
                                          : componentList(marked, n)) +
        " cannot be told apart by the data";
    if (singular)
        return refused(errors, undetermined);

    ResponseCovariance K;
    try {
        triangleCovariance(R, K);
    } catch (const std::exception&) {
        return refused(errors, undetermined);
    }
    for (int j = 1; j <= n; ++j) {
        errors.logRate[j] = sqrtl(errors.residualVariance * K[j - 1][j - 1]);
        errors.timeConstant[j] = extendedExp(-logRates[j]) * errors.logRate[j];
        for (int i = 1; i <= n; ++i)
            errors.correlation[i][j] = K[i - 1][j - 1] / sqrtl(K[i - 1][i - 1] * K[j - 1][j - 1]);
    }
    for (int q = 0; q < errors.responseCount; ++q)
        errors.response[q] = sqrtl(errors.residualVariance * K[n + q][n + q]);

    Matrix basis;
    Matrix jacobian;
    for (int c = 1; c <= workspace.curveCount; ++c) {
        if (withResponse)
            responseColumns(c, logRates, *responseProjection, basis, jacobian);
        else
            plainColumns(c, logRates, projection, basis, jacobian);
        if (!addCoefficientErrors(c, basis, jacobian, K, errors))
            return refused(errors, "No standard errors: the offset and amplitudes of curve " +
                                       std::to_string(c) + " cannot be told apart by the data");
    }
    if (takeFloatingPointFaults() != 0)
        return refused(errors, "No standard errors: a floating-point fault in the covariance");
    errors.valid = true;
    return errors;
}

}  // namespace quorvane
