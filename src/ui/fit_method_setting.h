// The fit method the user chose last in the Tools menu, kept between runs of
// the program in the user's settings: organisation and application
// "Quorvane", key "fitMethod", value "classic" or "varpro".
#pragma once

#include <QSettings>

#include "fit/fit_method.h"

namespace quorvane {

// The user's settings of the program: organisation and application
// "Quorvane" (every remembered choice lives there).
QSettings userSettings();

void rememberFitMethod(FitMethod method);

// The method stored; Classic when none is.
FitMethod rememberedFitMethod();

}  // namespace quorvane
