// The main window as the window tests drive it: created on a zero-filled
// workspace with Form2..Form5 as start-up creates them, its dialogs, error
// box, print preview, about box and the end of the program answered by the
// fixture, which logs every call, so that nothing waits for a person. Trace
// files and the user's settings live in a fresh folder per test. A matrix
// file's import dialog is created for real and handed to `importAnswer`,
// which fills it in and says whether OK is pressed.
//
// A QtTest class derives from QObject and this fixture, and calls
// createWindow() from its init() slot and destroyWindow() from cleanup().
#pragma once

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

#include "data/loaded_measurement.h"
#include "data/trace_choice.h"
#include "support/synthetic_traces.h"
#include "support/test_support.h"
#include "ui/matrix_import_dialog.h"
#include "ui/start_up.h"
#include "ui/unit1.h"

namespace quorvane::testing {

class MainWindowFixture {
  protected:
    void createWindow() {
        resetWholeWorkspace();
        clearLoadedMeasurement();
        folder = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder->path());
        errors.clear();
        details.clear();
        calls.clear();
        tracesChosen.clear();
        exportChosen = {};
        resultsChosen.clear();
        importAnswer = nullptr;

        form1 = std::make_unique<TForm1>();
        createResultWindows(*form1);
        TForm1::UserInteraction& seams = form1->userInteraction();
        seams.chooseTraceFiles = [this](TForm1&) { return log("open dialog", tracesChosen); };
        seams.chooseExportFile = [this](TForm1&) { return log("export dialog", exportChosen); };
        seams.chooseResultsFile = [this](TForm1&) { return log("save as dialog", resultsChosen); };
        seams.chooseMatrixTraces = [this](TForm1&, const MatrixFile& file) {
            calls << QStringLiteral("import dialog");
            MatrixImportDialog dialog(file, roomInWorkspace());
            const bool ok = importAnswer && importAnswer(dialog);
            return ok ? dialog.choice() : std::nullopt;
        };
        seams.showError = [this](TForm1&, const QString& text, const QString& detail) {
            calls << QStringLiteral("error box");
            errors << text;
            details << detail;
        };
        seams.showPrintPreview = [this](TForm1&) { calls << QStringLiteral("print preview"); };
        seams.showAbout = [this](TForm1&, const QString& text) {
            calls << QStringLiteral("about box");
            aboutText = text;
        };
        seams.terminate = [this] { calls << QStringLiteral("end"); };
    }

    void destroyWindow() {
        form1.reset();
        folder.reset();
        setDecimalSeparator('.');
    }

    QString path(const QString& name) const { return folder->filePath(name); }

    QString writeTrace(const QString& name, const QByteArray& content) {
        QFile file(path(name));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(file.fileName()));
        file.write(content);
        return file.fileName();
    }

    // A trace file's text: offset + amplitude exp(-t / tau) at `points` times
    // spaced evenly on a log axis from 1e-6 to 1e-2.
    static QByteArray decayTrace(double offset, double amplitude, double tau, int points = 40) {
        return QByteArray::fromStdString(
            decayText({offset, {amplitude}, {tau}}, {points, 1e-6, 1e-2}));
    }

    // `count` noisy two-component traces 400.txt, 450.txt, ... (time
    // constants 2e-5 and 3e-4, noise 0.01, a seed per trace), for the windows
    // that show the errors of a fit.
    QStringList writeTwoComponentTraces(int count) {
        QStringList files;
        for (int c = 0; c < count; ++c)
            files << writeTrace(
                QStringLiteral("%1.txt").arg(400 + 50 * c),
                QByteArray::fromStdString(decayText({0.0L,
                                                     {1.0L, 0.5L - 0.3L * c},
                                                     {2e-5L, 3e-4L},
                                                     0.01,
                                                     static_cast<unsigned>(c + 1)})));
        return files;
    }

    // File > Open through its menu item, the dialog choosing `paths` (none:
    // cancelled).
    void open(const QStringList& paths) {
        tracesChosen = paths;
        form1->Open1->trigger();
    }

    // Open and Start as above; no error box may come.
    void openAndStart(const QStringList& paths, const QString& components,
                      const QString& iterations) {
        open(paths);
        start(components, iterations);
        QCOMPARE(errors, QStringList());
    }

    // Start clicked with these texts in Edit10 and Edit2.
    void start(const QString& components, const QString& iterations) {
        form1->Edit10->setText(components);
        form1->Edit2->setText(iterations);
        form1->Button1->click();
    }

    std::unique_ptr<TForm1> form1;
    std::unique_ptr<QTemporaryDir> folder;
    // The error boxes shown: their texts and details.
    QStringList errors;
    QStringList details;
    // Every answered call in order: "open dialog", "import dialog", "export
    // dialog", "save as dialog", "error box", "print preview", "about box", "end".
    QStringList calls;
    QString aboutText;
    // What the next dialogs answer.
    QStringList tracesChosen;
    ExportChoice exportChosen;
    QString resultsChosen;
    // Fills in the import dialog; true presses OK, false (or none) Cancel.
    std::function<bool(MatrixImportDialog&)> importAnswer;

  private:
    template <typename Answer>
    Answer log(const char* call, const Answer& answer) {
        calls << QString::fromLatin1(call);
        return answer;
    }
};

}  // namespace quorvane::testing
