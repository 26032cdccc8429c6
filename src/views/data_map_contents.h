// What the data map shows, taken from the workspace when Tools > Data map is
// given: a snapshot that later loads and fits do not change.
//
// The data: the loaded measurement (data/loaded_measurement.h: the last
// matrix file loaded, every wavelength, the rows of its time window), or,
// where no matrix file was loaded, the loaded traces as one matrix when they
// share one time axis (matrixOfLoadedTraces) and each has a wavelength.
// After a fit (fitCount > 0) also the fitted model and its residuals at
// every loaded point (fit/fitted_matrix.h), a column per trace; when the fit
// cannot give them (traces loaded since, traces on axes of their own) the
// reason instead.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/measurement.h"

namespace quorvane {

struct DataMapContents {
    // The measurement's title, or empty for the loaded traces.
    std::string title;
    WavelengthUnit unit = WavelengthUnit::Nanometre;
    // Shared with the map that draws them; null model and residuals before
    // a fit or when the fit cannot give them.
    std::shared_ptr<const KineticMatrix> data;
    std::shared_ptr<const KineticMatrix> model;
    std::shared_ptr<const KineticMatrix> residuals;
    // Why there is no model and no residual map after a fit; empty before
    // the first fit and when they are there.
    std::string fitProblem;
    // The wavelengths of curves 1..curveCount (NaN where a trace has none).
    std::vector<double> traceWavelengths;
};

// Throws QuorvaneError when there is nothing to map: "No traces are
// loaded", "The loaded traces do not share one time axis" (where no matrix
// file was loaded) and "Trace N has no wavelength", each with a detail that
// says what the map needs.
DataMapContents dataMapContents();

}  // namespace quorvane
