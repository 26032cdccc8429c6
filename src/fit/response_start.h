// What Start does with the response's boxes (response_boxes.h): it reads
// them into responseModel before its iterations, and forms the texts of the
// fitted values that it writes back after them.
//
// Reading, in this order, each text with the program's number rules and a
// bad one refused with its box named: the FWHM (greater than 0), the centre,
// the dispersion order (an integer 0..4) and the coefficients c_1..c_d, the
// reference wavelength (empty: the mean wavelength of the loaded traces).
// With the dispersion on, every trace needs its wavelength
// (workspace.wavelength); a trace without one is refused by name. The step
// amplitudes start at 0 (they are solved, never iterated).
#pragma once

#include "fit/fit_method.h"
#include "fit/response_boxes.h"

namespace quorvane {

// Refuses the response with the classic method; called before anything of
// the workspace changes.
void refuseResponseWithMethod(const ResponseBoxes& boxes, FitMethod method);

// Reads the boxes into responseModel (off: responseModel.active = false and
// nothing else is read). Throws QuorvaneError; responseModel is written only
// when every box was read.
void prepareResponse(const ResponseBoxes& boxes);

// The boxes as typed, with the fitted values written back in the general
// 15-digit format (the fixed ones and the reference wavelength as typed).
ResponseBoxes fittedResponseBoxes(const ResponseBoxes& typed);

}  // namespace quorvane
