#include "fit/fitted_matrix.h"

#include "data/error.h"
#include "data/floating_point.h"
#include "data/loaded_measurement.h"
#include "data/workspace.h"
#include "fit/model.h"

namespace quorvane {

KineticMatrix fittedMatrix(FittedQuantity quantity) {
    KineticMatrix matrix = matrixOfLoadedTraces();
    if (workspace.fitCount == 0)
        throw QuorvaneError("There is no fit yet");
    // The model reads every curve's block and the log-rates after the last
    // block; only the curves of the last Start have blocks.
    if (workspace.laidOutCurveCount != workspace.curveCount ||
        fittedParameterCount() > kMaxParameters)
        throw QuorvaneError("Traces were loaded after the last fit");

    const std::size_t curves = matrix.wavelengthCount();
    clearFloatingPointFaults();
    for (std::size_t c = 0; c < curves; ++c) {
        const int curve = static_cast<int>(c) + 1;
        for (std::size_t i = 0; i < matrix.timeCount(); ++i) {
            const long double model = evaluateModelAtPoint(curve, static_cast<int>(i) + 1);
            double& entry = matrix.values[i * curves + c];
            entry = quantity == FittedQuantity::Model
                        ? static_cast<double>(model)
                        : static_cast<double>(static_cast<long double>(entry) - model);
        }
    }
    checkFloatingPointFaults();
    return matrix;
}

}  // namespace quorvane
