// Results and traces in and out of the main window: File > Save and Save
// as..., Export in its three formats, several traces through one Open, from
// the command line and by a drop. Dialogs and the error box go through the
// window's user-interaction seams.
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <cmath>
#include <cstring>
#include <memory>
#include <sstream>

#include "chart/chart.h"
#include "cli/batch_run.h"
#include "data/floating_point.h"
#include "data/number_text.h"
#include "data/workspace.h"
#include "ui/start_up.h"
#include "ui/unit1.h"

namespace quorvane {

namespace {

QByteArray traceText(double amplitude, double tau) {
    QByteArray text;
    for (int i = 0; i < 40; ++i) {
        const double t = 1e-6 * std::pow(10.0, 4.0 * i / 39);
        text += QByteArray::number(t, 'g', 9) + ' ' +
                QByteArray::number(amplitude * std::exp(-t / tau), 'g', 9) + '\n';
    }
    return text;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList dataTitles(const TForm1& form) {
    QStringList titles;
    for (int curve = 1; curve <= workspace.curveCount; ++curve)
        titles << QString::fromStdString(form.dataSeriesTitle(curve));
    return titles;
}

}  // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<TForm1> form1;
    std::unique_ptr<QTemporaryDir> folder;
    QStringList errors;
    QStringList details;
    QStringList tracesChosen;
    ExportChoice exportChosen;
    QString resultsChosen;
    int resultsDialogs = 0;

    QString writeTrace(const QString& name, const QByteArray& content) {
        const QString path = folder->filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            qFatal("cannot write %s", qPrintable(path));
        file.write(content);
        return path;
    }

    QString path(const char* name) const { return folder->filePath(QString::fromLatin1(name)); }

    void loadAndFit() {
        tracesChosen = {writeTrace(QStringLiteral("450.txt"), traceText(0.05, 2e-5)),
                        writeTrace(QStringLiteral("500.txt"), traceText(-0.03, 2e-5))};
        form1->Open1Click();
        form1->Edit10->setText(QStringLiteral("1"));
        form1->Edit2->setText(QStringLiteral("8"));
        form1->Button1Click();
        QVERIFY(errors.isEmpty());
    }

  private slots:
    void init() {
        std::memset(static_cast<void*>(&workspace), 0, sizeof workspace);
        setDecimalSeparator('.');
        clearFloatingPointFaults();
        folder = std::make_unique<QTemporaryDir>();
        errors.clear();
        details.clear();
        resultsDialogs = 0;
        form1 = std::make_unique<TForm1>();
        createResultWindows(*form1);
        TForm1::UserInteraction& seams = form1->userInteraction();
        seams.chooseTraceFiles = [this](TForm1&) { return tracesChosen; };
        seams.chooseExportFile = [this](TForm1&) { return exportChosen; };
        seams.chooseResultsFile = [this](TForm1&) {
            ++resultsDialogs;
            return resultsChosen;
        };
        seams.showError = [this](TForm1&, const QString& text, const QString& detail) {
            errors << text;
            details << detail;
        };
        seams.terminate = [] {};
    }

    void cleanup() {
        form1.reset();
        folder.reset();
    }

    void saveAsWritesWhatTheBatchCommandPrintsForTheSameFit() {
        loadAndFit();
        resultsChosen = path("fit.txt");
        form1->Saveas1Click();
        QVERIFY(errors.isEmpty());
        QCOMPARE(form1->resultsFile(), resultsChosen);
        QVERIFY(QFile::exists(path("fit-spectra.csv")));
        QVERIFY(QFile::exists(path("fit-curves.csv")));
        const QByteArray saved = readFile(path("fit.txt"));

        std::memset(static_cast<void*>(&workspace), 0, sizeof workspace);
        BatchRequest request;
        request.boxes.componentCount = "1";
        request.boxes.iterationCount = "8";
        request.files = {path("450.txt").toStdString(), path("500.txt").toStdString()};
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(runBatch(request, out, err, false), kExitSuccess);
        QCOMPARE(saved, QByteArray::fromStdString(out.str()));
    }

    void saveBeforeAnyNameActsAsSaveAsThenWritesToThatName() {
        resultsChosen = path("fit");
        form1->Save1Click();
        // Refused before the first fit, before any dialog.
        QCOMPARE(errors, QStringList{"There are no results to save: press Start first."});
        QCOMPARE(resultsDialogs, 0);

        errors.clear();
        loadAndFit();
        form1->Save1Click();
        QCOMPARE(resultsDialogs, 1);
        const QByteArray first = readFile(path("fit.txt"));
        QVERIFY(!first.isEmpty());

        form1->Button1Click();  // a second Start moves the fit on
        form1->Save1Click();
        QCOMPARE(resultsDialogs, 1);
        QVERIFY(errors.isEmpty());
        QVERIFY(readFile(path("fit.txt")) != first);

        QVERIFY(QFile::remove(path("fit-curves.csv")));
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("fit-curves.csv")));
        form1->Save1Click();
        QCOMPARE(errors, QStringList{"Cannot create file " + path("fit-curves.csv") + '.'});
    }

    void exportFormatFollowsTheFilterUnlessTheNameHasAnotherOfTheirExtensions() {
        loadAndFit();
        form1->Chart1->resize(640, 480);
        exportChosen = {path("picture.png"), ChartFileFormat::Bitmap};
        form1->Export1Click();
        QVERIFY(readFile(path("picture.png")).startsWith("\x89PNG\r\n"));

        exportChosen = {path("drawing"), ChartFileFormat::Pdf};
        form1->Export1Click();
        QVERIFY(errors.isEmpty());
        QVERIFY(readFile(path("drawing.pdf")).startsWith("%PDF"));
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {path("drawing.pdf"), QStringLiteral("-")});
        QVERIFY2(pdftotext.waitForFinished(), "pdftotext (poppler-utils) is needed");
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        for (const char* label : {"TChart", "1e-3", "450.txt"})
            QVERIFY2(text.contains(QString::fromLatin1(label)), qPrintable(text));

        exportChosen = {path("bitmap.pdf.bmp"), ChartFileFormat::Png};
        form1->Export1Click();
        QVERIFY(readFile(path("bitmap.pdf.bmp")).startsWith("BM"));
    }

    void severalTracesOpenInTheGivenOrderUntilTheFirstThatFails() {
        const QString b = writeTrace(QStringLiteral("500.txt"), traceText(0.02, 1e-5));
        const QString a = writeTrace(QStringLiteral("450.txt"), traceText(0.01, 1e-5));
        const QString bad = writeTrace(QStringLiteral("bad.txt"), "1e-6 0.5\n2e-6 x\n");
        const QString c = writeTrace(QStringLiteral("600.txt"), traceText(0.03, 1e-5));

        tracesChosen = {b, a};
        form1->Open1Click();
        QCOMPARE(dataTitles(*form1), (QStringList{"500.txt", "450.txt"}));

        tracesChosen = {c, bad, c, a};
        form1->Open1Click();
        QCOMPARE(dataTitles(*form1), (QStringList{"500.txt", "450.txt", "600.txt"}));
        QCOMPARE(errors, QStringList{"'x' is not a valid floating point value."});
        QCOMPARE(details,
                 QStringList{"File bad.txt, line 2. The 2 files after it were not opened."});
        QCOMPARE(form1->Chart1->seriesCount(), 3);
    }

    void commandLineTracesOpenAtStartUpInTheOrderGiven() {
        QByteArray b = writeTrace(QStringLiteral("500.txt"), traceText(0.02, 1e-5)).toLocal8Bit();
        QByteArray a = writeTrace(QStringLiteral("450.txt"), traceText(0.01, 1e-5)).toLocal8Bit();
        QByteArray missing = path("missing.txt").toLocal8Bit();
        char program[] = "quorvane";
        char* argv[] = {program, b.data(), a.data(), missing.data(), nullptr};
        showMainWindow(*form1, 4, argv);
        QVERIFY(form1->isVisible());
        QCOMPARE(dataTitles(*form1), (QStringList{"500.txt", "450.txt"}));
        QCOMPARE(errors, QStringList{"File not found."});
        QCOMPARE(details, QStringList{"File " + path("missing.txt") + '.'});
    }

    void droppedTracesOpenInTheOrderOfTheDrop() {
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(writeTrace(QStringLiteral("600.txt"), "1e-6 1\n")),
                       QUrl::fromLocalFile(writeTrace(QStringLiteral("400.txt"), "1e-6 2\n"))});
        QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &files, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(form1.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(400, 300), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form1.get(), &drop);
        QVERIFY(errors.isEmpty());
        QCOMPARE(dataTitles(*form1), (QStringList{"600.txt", "400.txt"}));
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::FileCommandsTest)
#include "file_commands_test.moc"
