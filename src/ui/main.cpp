// Start-up of the desktop program: the application object, its title, the
// decimal separator, then the five windows in the order Form1..Form5 (the
// first is the main window; creating it resets the workspace); only Form1 is
// shown. The message loop runs until File > Exit or the main window closes.
#include <QApplication>

#include "data/number_text.h"
#include "ui/unit1.h"
#include "views/unit2.h"
#include "views/unit3.h"
#include "views/unit4.h"
#include "views/unit5.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    // Only the name: a display name would be appended to every window
    // caption by the platform.
    QApplication::setApplicationName(quorvane::kApplicationTitle);
    quorvane::setDecimalSeparator(quorvane::decimalSeparatorFromEnvironment());

    // The result windows are owned by the main window: they close with it,
    // and every series they hold lives until it is destroyed.
    quorvane::TForm1 form1;
    auto* form2 = new quorvane::TForm2(&form1);
    auto* form3 = new quorvane::TForm3(&form1);
    auto* form4 = new quorvane::TForm4(&form1);
    auto* form5 = new quorvane::TForm5(&form1);
    form5->setMainWindow(&form1);
    form1.setResultWindows(form2, form3, form4, form5);
    form1.show();
    return application.exec();
}
