#include "views/data_map_contents.h"

#include <cmath>

#include "data/error.h"
#include "data/loaded_measurement.h"
#include "data/workspace.h"
#include "fit/fitted_matrix.h"

namespace quorvane {

namespace {

constexpr const char* kWhatTheMapNeeds =
    "The data map shows a matrix file, or traces that share one time axis (the same times "
    "at every point) and whose names begin with their wavelengths.";

}  // namespace

DataMapContents dataMapContents() {
    DataMapContents contents;
    if (const Measurement* measurement = loadedMeasurement()) {
        contents.title = measurement->title;
        contents.unit = measurement->unit;
        contents.data = std::make_shared<KineticMatrix>(measurement->matrix);
    } else {
        std::shared_ptr<KineticMatrix> traces;
        try {
            traces = std::make_shared<KineticMatrix>(matrixOfLoadedTraces());
        } catch (const QuorvaneError& error) {
            throw QuorvaneError(error.message(), kWhatTheMapNeeds);
        }
        for (std::size_t c = 0; c < traces->wavelengthCount(); ++c) {
            if (!std::isfinite(traces->wavelengths[c]))
                throw QuorvaneError("Trace " + std::to_string(c + 1) + " has no wavelength",
                                    kWhatTheMapNeeds);
        }
        contents.data = std::move(traces);
    }
    contents.traceWavelengths.assign(&workspace.wavelength[1],
                                     &workspace.wavelength[1] + workspace.curveCount);
    if (workspace.fitCount > 0) {
        try {
            contents.model = std::make_shared<KineticMatrix>(fittedMatrix(FittedQuantity::Model));
            contents.residuals =
                std::make_shared<KineticMatrix>(fittedMatrix(FittedQuantity::Residuals));
        } catch (const QuorvaneError& error) {
            contents.model.reset();
            contents.residuals.reset();
            contents.fitProblem = error.message();
        }
    }
    return contents;
}

}  // namespace quorvane
