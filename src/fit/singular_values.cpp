#include "fit/singular_values.h"

#include <Eigen/Dense>
#include <Eigen/SVD>
#include <algorithm>
#include <cmath>

#include "data/loaded_measurement.h"
#include "fit/fitted_matrix.h"

namespace quorvane {

namespace {

using RowMajorMatrix = Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>;

// Entries this close to the largest magnitude (relative) count as a tie, so
// that rounding in the decomposition cannot choose among entries that are
// equal in exact arithmetic.
constexpr double kTieTolerance = 1e-8;

// The first entry whose magnitude ties with the largest.
Eigen::Index largestEntry(const Eigen::VectorXd& vector) {
    const double largest = vector.cwiseAbs().maxCoeff();
    Eigen::Index first = 0;
    while (first + 1 < vector.size() && std::abs(vector[first]) < largest * (1 - kTieTolerance))
        ++first;
    return first;
}

std::vector<double> toVector(const Eigen::VectorXd& vector) {
    return std::vector<double>(vector.data(), vector.data() + vector.size());
}

}  // namespace

SingularValues singularValuesOf(const KineticMatrix& matrix) {
    const auto rows = static_cast<Eigen::Index>(matrix.timeCount());
    const auto columns = static_cast<Eigen::Index>(matrix.wavelengthCount());
    const Eigen::Map<const RowMajorMatrix> data(matrix.values.data(), rows, columns);
    const Eigen::BDCSVD<Eigen::MatrixXd> svd(Eigen::MatrixXd(data),
                                             Eigen::ComputeThinU | Eigen::ComputeThinV);

    SingularValues result;
    result.times = matrix.times;
    result.wavelengths = matrix.wavelengths;
    const Eigen::VectorXd& sigma = svd.singularValues();
    const Eigen::Index shown = std::min<Eigen::Index>(sigma.size(), kSingularValuesShown);
    result.values.assign(sigma.data(), sigma.data() + shown);
    const Eigen::Index vectors = std::min<Eigen::Index>(sigma.size(), kSingularVectorsShown);
    for (Eigen::Index k = 0; k < vectors; ++k) {
        Eigen::VectorXd u = svd.matrixU().col(k);
        Eigen::VectorXd v = svd.matrixV().col(k);
        if (u[largestEntry(u)] < 0) {
            u = -u;
            v = -v;
        }
        result.left.push_back(toVector(u));
        result.right.push_back(toVector(v));
    }
    return result;
}

SingularValues singularValuesOfData() {
    return singularValuesOf(matrixOfLoadedTraces());
}

SingularValues singularValuesOfResiduals() {
    return singularValuesOf(fittedMatrix(FittedQuantity::Residuals));
}

}  // namespace quorvane
