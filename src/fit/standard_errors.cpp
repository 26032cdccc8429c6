#include "fit/standard_errors.h"

#include <Eigen/Core>
#include <algorithm>
#include <cmath>
#include <memory>

#include "data/extended_exp.h"
#include "data/floating_point.h"
#include "fit/convergence_verdict.h"
#include "fit/curve_projection.h"
#include "fit/response_covariance.h"
#include "fit/response_model.h"
#include "fit/response_projection.h"
#include "lsq/householder_qr.h"

namespace quorvane {

namespace {

using Matrix = Eigen::Matrix<long double, Eigen::Dynamic, Eigen::Dynamic>;

// Curve c's basis Phi_c (columns 1, c_1..c_n (, c_0)) and the model's
// derivatives J_x,c with respect to the nonlinear parameters, with the
// response at the projection's coefficients. (The plain model's come from
// the projection's own factorisations, curve_projection.h.)
FloatingPointFaults responseColumns(int c, const long double* logRates,
                                    const ResponseProjection& projected, Matrix& panel) {
    const ResponseModel& model = responseModel;
    const int n = workspace.componentCount;
    const int count = workspace.pointCount[c];
    const double* times = workspace.curves[c].times + 1;
    const int columns = n + 1 + (model.step ? 1 : 0);
    const int p = n + fittedResponseParameterCount(model);
    panel.resize(count, columns + p);
    auto basis = panel.leftCols(columns);
    auto jacobian = panel.rightCols(p);
    basis.col(0).setOnes();
    const GaussianResponse response = curveResponse(model, c);
    std::vector<long double> value(count), dLogRate(count), dCentre(count), dWidth(count);
    Eigen::Matrix<long double, Eigen::Dynamic, 1> centre =
        Eigen::Matrix<long double, Eigen::Dynamic, 1>::Zero(count);
    Eigen::Matrix<long double, Eigen::Dynamic, 1> width = centre;
    FloatingPointFaults faults = 0;
    for (int l = 1; l < columns; ++l) {
        const bool isStep = l > n;
        const long double rate = isStep ? 0.0L : extendedExp(logRates[l]);
        const long double amplitude =
            isStep ? projected.stepCoefficient[c] : projected.projection.coefficients[c][l];
        faults |= responseColumn(rate, response, times, count,
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
    return faults;
}

// What the coefficients' covariance needs of a basis: (Phi^T Phi)^-1 =
// R^-1 R^-T, summed over the columns of R^-1 in ascending order, and
// Phi^+ J = R^-1 (Q^T J)[0..L-1], from one Householder QR of the panel
// [Phi | J] (householder_qr.h).
struct BasisFactor {
    Matrix knownRates;
    Matrix regression;
};

// knownRates(l, m) += x_l x_m for one column x of R^-1.
void addInverseColumn(const long double* x, int columns, Matrix& knownRates) {
    for (int l = 0; l < columns; ++l)
        for (int m = 0; m < columns; ++m)
            knownRates(l, m) = knownRates(l, m) + x[l] * x[m];
}

// False when a column of the basis depends on the others.
bool factorBasis(Matrix& panel, int columns, BasisFactor& factor) {
    const int rows = static_cast<int>(panel.rows());
    const int p = static_cast<int>(panel.cols()) - columns;
    HouseholderFactors factors;
    householderFactor(panel.data(), rows, 0, rows, columns, columns + p, kIndependenceTolerance,
                      factors);
    if (factors.rank != columns)
        return false;
    factor.knownRates.setZero(columns, columns);
    long double unit[kMaxFactorColumns] = {};
    long double x[kMaxFactorColumns];
    for (int k = 0; k < columns; ++k) {
        unit[k] = 1.0L;
        householderSolve(panel.data(), rows, factors, unit, x);  // column k of R^-1
        unit[k] = 0.0L;
        addInverseColumn(x, columns, factor.knownRates);
    }
    factor.regression.resize(columns, p);
    for (int a = 0; a < p; ++a) {
        householderSolve(panel.data(), rows, factors, panel.data() + (columns + a) * rows, x);
        for (int l = 0; l < columns; ++l)
            factor.regression(l, a) = x[l];
    }
    return true;
}

// The same from the projection's description of the plain model's basis:
// its J_x,c column j is -x w_j E_j, scaled by a_cj, so the regression is
// the negated one of the directions x w_j E_j (negation is exact, and so
// commutes with the reflections and the back substitution).
void describedFactor(const BasisInverse& description, int n, BasisFactor& factor) {
    factor.knownRates.setZero(n + 1, n + 1);
    for (int k = 0; k <= n; ++k)
        addInverseColumn(description.inverse[k], n + 1, factor.knownRates);
    factor.regression.resize(n + 1, n);
    for (int a = 0; a < n; ++a)
        for (int l = 0; l <= n; ++l)
            factor.regression(l, a) = -description.regression[a][l];
}

// Curve c's coefficient errors, H = regression scaled column by column by
// `scale` (the plain model's amplitudes; ones with the response).
void addCoefficientErrors(int c, const BasisFactor& factor, const long double* scale,
                          const ResponseCovariance& rates, StandardErrors& errors) {
    const int columns = static_cast<int>(factor.regression.rows());
    const int p = static_cast<int>(factor.regression.cols());
    const int n = errors.componentCount;
    long double h[kMaxFactorColumns][kMaxTrustRegionParameters];
    for (int l = 0; l < columns; ++l)
        for (int a = 0; a < p; ++a)
            h[l][a] = factor.regression(l, a) * scale[a];
    for (int l = 0; l < columns; ++l) {
        for (int m = 0; m < columns; ++m) {
            long double covariance = factor.knownRates(l, m);
            for (int a = 0; a < p; ++a)
                for (int b = 0; b < p; ++b)
                    covariance = covariance + h[l][a] * rates[a][b] * h[m][b];
            errors.coefficientCovariance[c][l][m] = errors.residualVariance * covariance;
            if (l != m)
                continue;
            const long double error = sqrtl(errors.residualVariance * covariance);
            if (l <= n)
                errors.coefficient[c][l] = error;
            else
                errors.stepAmplitude[c] = error;
        }
    }
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
    std::unique_ptr<BasisInverse[]> bases;
    if (withResponse) {
        long double x[kMaxTrustRegionParameters] = {};
        for (int j = 1; j <= n; ++j)
            x[j - 1] = logRates[j];
        responseParametersToVector(responseModel, x + n);
        projectWithResponse(responseModel, x, nullptr, *responseProjection);
        errors.responseCount = fittedResponseParameterCount(responseModel);
        errors.parameterCount = responseFittedParameterCount();
    } else {
        bases = std::make_unique<BasisInverse[]>(kMaxCurves + 1);
        projectCurves(logRates, nullptr, projection, bases.get());
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

    Matrix panel;
    BasisFactor factor;
    FloatingPointFaults faults = 0;
    const int columns = n + 1 + (withResponse && responseModel.step ? 1 : 0);
    for (int c = 1; c <= workspace.curveCount; ++c) {
        long double scale[kMaxTrustRegionParameters];
        bool independent = true;
        if (withResponse) {
            std::fill(scale, scale + kMaxTrustRegionParameters, 1.0L);
            faults |= responseColumns(c, logRates, *responseProjection, panel);
            independent = factorBasis(panel, columns, factor);
        } else {
            for (int j = 1; j <= n; ++j)
                scale[j - 1] = projection.coefficients[c][j];
            independent = bases[c].fullRank;
            if (independent)
                describedFactor(bases[c], n, factor);
        }
        if (!independent)
            return refused(errors, "No standard errors: the offset and amplitudes of curve " +
                                       std::to_string(c) + " cannot be told apart by the data");
        addCoefficientErrors(c, factor, scale, K, errors);
    }
    if ((faults | takeFloatingPointFaults()) != 0)
        return refused(errors, "No standard errors: a floating-point fault in the covariance");
    errors.valid = true;
    return errors;
}

}  // namespace quorvane
