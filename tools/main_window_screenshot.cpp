// Makes the picture of the main window for the documentation: the real
// windows as the program creates them, the example traces loaded through
// the Open command's loader, a Start with three components, then the window
// grabbed as it shows on screen.
// Usage: main_window_screenshot <output.png> <trace file>...
// Environment: QUORVANE_SHOT_ITERATIONS (default 100).
#include <QApplication>
#include <QLineEdit>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "data/number_text.h"
#include "ui/start_up.h"
#include "ui/unit1.h"

int main(int argc, char* argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s output.png trace...\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(quorvane::kApplicationTitle);
    quorvane::setDecimalSeparator(quorvane::decimalSeparatorFromEnvironment());

    quorvane::TForm1 form1;
    quorvane::createResultWindows(form1);
    int failures = 0;
    form1.userInteraction().showError = [&failures](quorvane::TForm1&, const QString& text,
                                                    const QString& detail) {
        std::fprintf(stderr, "error box: %s %s\n", qPrintable(text), qPrintable(detail));
        ++failures;
    };
    form1.show();

    const QString output = QString::fromLocal8Bit(argv[1]);
    QStringList traces;
    for (int i = 2; i < argc; ++i)
        traces << QString::fromLocal8Bit(argv[i]);
    const char* iterations = std::getenv("QUORVANE_SHOT_ITERATIONS");

    QTimer::singleShot(200, &form1, [&] {
        form1.openTraceFiles(traces);
        form1.Edit10->setText(QStringLiteral("3"));
        // t1..t3 keep their initial texts 10e-6, 100e-6 and 2e-3.
        form1.Edit2->setText(QString::fromLatin1(iterations ? iterations : "100"));
        form1.Button1Click();
        QTimer::singleShot(300, &form1, [&] {
            form1.grab().save(output, "PNG");
            application.exit(failures == 0 ? 0 : 1);
        });
    });
    return application.exec();
}
