// Start-up of the desktop program: the application object, its title, the
// decimal separator, then the five windows in the order Form1..Form5 (the
// first is the main window; creating it resets the workspace); only Form1 is
// shown, and the trace files named on the command line are opened into it.
// The message loop runs until File > Exit or the main window closes.
#include <QApplication>
#include <iostream>
#include <optional>
#include <string_view>

#include "data/number_text.h"
#include "data/version.h"
#include "ui/start_up.h"
#include "ui/unit1.h"

namespace {

// "--version" and "--help" (or "-h") before any "--" are answered on
// standard output before the application object exists, so they need no
// display. Gives the exit status, or no value when the program is to start.
std::optional<int> answerInformationRequest(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--")
            break;
        if (argument == "--version") {
            std::cout << "quorvane " << quorvane::kQuorvaneVersion << '\n';
            return 0;
        }
        if (argument == "--help" || argument == "-h") {
            std::cout << "usage: quorvane [Qt-option...] [FILE...]\n"
                         "       quorvane --help | --version\n"
                         "Global analysis of time-resolved kinetics: the desktop program.\n"
                         "Each trace FILE is opened at start-up, in the order given.\n"
                         "See quorvane(1) and quorvane-fit(1).\n";
            return 0;
        }
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = answerInformationRequest(argc, argv))
        return *status;

    QApplication application(argc, argv);
    // Only the name: a display name would be appended to every window
    // caption by the platform.
    QApplication::setApplicationName(quorvane::kApplicationTitle);
    QApplication::setWindowIcon(quorvane::applicationIcon());
    // Lets the desktop match the windows to quorvane.desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("quorvane"));
    quorvane::setDecimalSeparator(quorvane::decimalSeparatorFromEnvironment());

    quorvane::TForm1 form1;
    quorvane::createResultWindows(form1);
    quorvane::restoreRememberedChoices(form1);
    quorvane::showMainWindow(form1, argc, argv);
    return application.exec();
}
