// The fitted model and its residuals at every loaded point, as matrices of
// the same shape as the data (time down, a column per curve): for the
// singular values of the residuals and for the maps that show where the
// model misses.
#pragma once

#include "data/measurement.h"

namespace quorvane {

enum class FittedQuantity { Model, Residuals };

// Point i of curve c: the model m = y(c, times[i]) on the current
// ParameterVector (fit/model.h), extended, rounded to double; the residual
// values[i] - m, subtracted in extended precision, then rounded. The times
// and wavelengths are those of matrixOfLoadedTraces (data/loaded_measurement.h),
// whose refusals apply. Throws QuorvaneError besides:
//   "There is no fit yet" before the first completed Start (fitCount 0);
//   "Traces were loaded after the last fit" when curves lack fitted blocks;
//   "Floating point overflow" (or the fault that occurred) when the model
//   faults.
KineticMatrix fittedMatrix(FittedQuantity quantity);

}  // namespace quorvane
