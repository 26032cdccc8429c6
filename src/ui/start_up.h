// The windows of the program, created as start-up creates them.
#pragma once

#include <QIcon>

namespace quorvane {

class TForm1;

// Creates Form2..Form5 in this order, then the data map and the singular
// values windows, owned by `form1` (they close with it and every series they
// hold lives until it is destroyed), hidden, and hands them to the main
// window. Form1 itself was created first; its FormCreate
// reset the workspace.
void createResultWindows(TForm1& form1);

// Shows Form1, then opens the trace files named on the command line,
// argv[1] .. argv[argc-1] (what the application object left after taking
// its own options), in the order given, as one Open of several files.
void showMainWindow(TForm1& form1, int argc, char** argv);

// The program's icon, built into the program (the same picture the package
// installs to the hicolor icon theme); the application's icon for every window.
QIcon applicationIcon();

// Checks the fit method the user chose last time (rememberedFitMethod).
void restoreRememberedChoices(TForm1& form1);

}  // namespace quorvane
