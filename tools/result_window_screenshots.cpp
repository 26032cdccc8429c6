// Pictures of the four result windows for the documentation: the desktop
// program's windows, the example traces loaded through the main window,
// Start with three components, then the four Tools commands.
//
// Usage: result_window_screenshots <examples folder> <output folder>
// Writes parameters.png, var-cov.png, residuals.png and differential-amplitudes.png. Needs a
// display (Xvfb or a desktop); the offscreen platform draws the same.
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

#include "data/number_text.h"
#include "ui/start_up.h"
#include "ui/unit1.h"
#include "views/unit2.h"
#include "views/unit3.h"
#include "views/unit4.h"
#include "views/unit5.h"

int main(int argc, char* argv[]) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <examples folder> <output folder>\n", argv[0]);
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(quorvane::kApplicationTitle);
    quorvane::setDecimalSeparator('.');
    const QDir examples(QString::fromLocal8Bit(argv[1]));
    const QDir output(QString::fromLocal8Bit(argv[2]));

    quorvane::TForm1 form1;
    quorvane::createResultWindows(form1);
    int errors = 0;
    form1.userInteraction().showError = [&](quorvane::TForm1&, const QString& text,
                                            const QString&) {
        std::fprintf(stderr, "error: %s\n", qPrintable(text));
        ++errors;
    };
    form1.show();

    for (const char* name : {"400.txt", "450.txt", "500.txt", "550.txt", "600.txt"})
        form1.openTraceFile(examples.filePath(QString::fromLatin1(name)));
    form1.Edit10->setText(QStringLiteral("3"));
    form1.Button1Click();
    form1.VarCov1Click();
    form1.parameters1Click();
    form1.residualssurface1Click();
    form1.Differentialspectra1Click();

    bool saved = true;
    QTimer::singleShot(300, [&] {
        saved = form1.form2()->grab().save(output.filePath(QStringLiteral("parameters.png"))) &&
                form1.form3()->grab().save(output.filePath(QStringLiteral("var-cov.png"))) &&
                form1.form4()->grab().save(output.filePath(QStringLiteral("residuals.png"))) &&
                form1.form5()->grab().save(
                    output.filePath(QStringLiteral("differential-amplitudes.png")));
        application.quit();
    });
    application.exec();
    return errors == 0 && saved ? 0 : 1;
}
