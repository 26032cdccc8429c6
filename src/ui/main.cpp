// Start-up of the desktop program: the application object, its title, the
// decimal separator, then the five windows in the order Form1..Form5 (the
// first is the main window; creating it resets the workspace); only Form1 is
// shown, and the trace files named on the command line are opened into it.
// The message loop runs until File > Exit or the main window closes.
#include <QApplication>

#include "data/number_text.h"
#include "ui/start_up.h"
#include "ui/unit1.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Only the name: a display name would be appended to every window
    // caption by the platform.
    QApplication::setApplicationName(quorvane::kApplicationTitle);
    quorvane::setDecimalSeparator(quorvane::decimalSeparatorFromEnvironment());

    quorvane::TForm1 form1;
    quorvane::createResultWindows(form1);
    quorvane::showMainWindow(form1, argc, argv);
    return application.exec();
}
