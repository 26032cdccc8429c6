// What the import dialog of a matrix file answers: the orientation to read
// the file in and the choice of traces from it.
#pragma once

#include "data/measurement.h"
#include "data/trace_choice.h"

namespace quorvane {

struct MatrixImportChoice {
    Orientation orientation = Orientation::TimesDown;  // never Auto
    TraceChoice choice;
};

}  // namespace quorvane
