// The main chart's time axis and the instrument response's boxes as the user
// chose them last, kept between runs of the program in the user's settings
// (organisation and application "Quorvane", like the fit method):
// - "timeAxis": the settings word of a TimeAxis (time_axis.h), and
//   "timeAxisSwitch": the typed switch time (empty: the automatic one);
// - group "response": one key per field of ResponseBoxes, the texts as
//   typed, the choices as true/false.
// Nothing stored, or a word not known, gives the defaults.
#pragma once

#include <QString>

#include "fit/response_boxes.h"
#include "ui/time_axis.h"

namespace quorvane {

void rememberTimeAxis(TimeAxis axis, const QString& switchText);
TimeAxis rememberedTimeAxis();
QString rememberedSwitchTime();

void rememberResponse(const ResponseBoxes& response);
ResponseBoxes rememberedResponse();

}  // namespace quorvane
