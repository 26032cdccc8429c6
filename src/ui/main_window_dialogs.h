// The real dialogs and boxes of the main window, and the real end of the
// program: what a TForm1 starts with. Tests put their own answers in their
// place (TForm1::UserInteraction), so that nothing waits for a person.
#pragma once

#include "ui/unit1.h"

namespace quorvane {

// The Open dialog (files sorted as a file manager lists them), the import
// dialog of a matrix file (matrix_import_dialog.h), the Export
// dialog (chart_export.h), the Save as... dialog, the modal error box
// captioned with the application title, the about box, the chart's print
// preview, quitting the application, the fit method remembered in the
// user's settings (fit_method_setting.h), the instrument-response dialog
// (response_dialog.h) and the box of the linear-logarithmic switch time.
TForm1::UserInteraction dialogUserInteraction();

}  // namespace quorvane
