// The fit method the user chose last in the Tools menu, kept between runs of
// the program in the user's settings: organisation and application
// "Quorvane", key "fitMethod", value "classic" or "varpro".
#pragma once

#include "fit/fit_method.h"

namespace quorvane {

void rememberFitMethod(FitMethod method);

// The method stored; Classic when none is.
FitMethod rememberedFitMethod();

}  // namespace quorvane
