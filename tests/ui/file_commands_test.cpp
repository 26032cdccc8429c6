// Results and traces in and out of the main window: File > Save and Save
// as..., Export in its three formats, several traces through one Open, from
// the command line and by a drop.
#include <QDir>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QTest>
#include <QUrl>
#include <cmath>
#include <sstream>

#include "chart/chart.h"
#include "cli/batch_run.h"
#include "cli/command_line.h"
#include "support/main_window_fixture.h"

namespace quorvane {

namespace {

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

class FileCommandsTest : public QObject, public testing::MainWindowFixture {
    Q_OBJECT

    void loadAndFit() {
        openAndStart({writeTrace("450.txt", decayTrace(0.0, 0.05, 2e-5)),
                      writeTrace("500.txt", decayTrace(0.0, -0.03, 2e-5))},
                     "1", "8");
    }

  private slots:
    void init() { createWindow(); }
    void cleanup() { destroyWindow(); }

    void saveAsWritesWhatTheBatchCommandPrintsForTheSameFit() {
        loadAndFit();
        resultsChosen = path("fit.txt");
        form1->Saveas1->trigger();
        QCOMPARE(errors, QStringList());
        QCOMPARE(form1->resultsFile(), resultsChosen);
        QVERIFY(QFile::exists(path("fit-spectra.csv")));
        QVERIFY(QFile::exists(path("fit-curves.csv")));
        const QByteArray saved = readFile(path("fit.txt"));

        testing::resetWholeWorkspace();
        std::string problem;
        const std::optional<BatchRequest> request = parseCommandLine(
            {"-n", "1", "-i", "8", path("450.txt").toStdString(), path("500.txt").toStdString()},
            problem);
        std::ostringstream out;
        std::ostringstream err;
        QCOMPARE(runBatch(*request, out, err, false), kExitSuccess);
        QCOMPARE(saved, QByteArray::fromStdString(out.str()));
    }

    void saveBeforeAnyNameActsAsSaveAsThenWritesToThatName() {
        resultsChosen = path("fit");
        form1->Save1->trigger();
        // Refused before the first fit, before any dialog.
        QCOMPARE(errors, QStringList{"There are no results to save: press Start first."});
        QCOMPARE(calls, QStringList{"error box"});

        errors.clear();
        loadAndFit();
        calls.clear();
        form1->Save1->trigger();
        QCOMPARE(calls, QStringList{"save as dialog"});
        const QByteArray first = readFile(path("fit.txt"));
        QVERIFY(!first.isEmpty());

        form1->Button1->click();  // a second Start moves the fit on
        form1->Save1->trigger();
        QCOMPARE(calls, QStringList{"save as dialog"});
        QCOMPARE(errors, QStringList());
        QVERIFY(readFile(path("fit.txt")) != first);

        QVERIFY(QFile::remove(path("fit-curves.csv")));
        QVERIFY(QDir(folder->path()).mkdir(QStringLiteral("fit-curves.csv")));
        form1->Save1->trigger();
        QCOMPARE(errors, QStringList{"Cannot create file " + path("fit-curves.csv") + '.'});
    }

    void exportFormatFollowsTheFilterUnlessTheNameHasAnotherOfTheirExtensions() {
        loadAndFit();
        writeTrace("chart.bmp", "not a bitmap");
        const struct {
            const char* typed;
            ChartFileFormat filter;
            const char* written;
            const char* start;
        } exports[] = {
            {"chart", ChartFileFormat::Bitmap, "chart.bmp", "BM"},  // replaces the file
            {"upper.BMP", ChartFileFormat::Pdf, "upper.BMP", "BM"},
            {"picture.png", ChartFileFormat::Bitmap, "picture.png", "\x89PNG\r\n"},
            {"bitmap.pdf.bmp", ChartFileFormat::Png, "bitmap.pdf.bmp", "BM"},
            {"drawing", ChartFileFormat::Pdf, "drawing.pdf", "%PDF"},
        };
        for (const auto& file : exports) {
            exportChosen = {path(file.typed), file.filter};
            form1->Export1->trigger();
            QVERIFY2(readFile(path(file.written)).startsWith(file.start), file.written);
        }
        QCOMPARE(QImage(path("chart.bmp"), "BMP").size(), form1->Chart1->size());
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {path("drawing.pdf"), QStringLiteral("-")});
        QVERIFY2(pdftotext.waitForFinished(), "pdftotext (poppler-utils) is needed");
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        for (const char* label : {"TChart", "1e-3", "450.txt"})
            QVERIFY2(text.contains(QString::fromLatin1(label)), qPrintable(text));

        // Cancelled: nothing written.
        const uint files = QDir(folder->path()).count();
        exportChosen = {};
        form1->Export1->trigger();
        QCOMPARE(QDir(folder->path()).count(), files);
        QCOMPARE(errors, QStringList());
    }

    void severalTracesOpenInTheGivenOrderUntilTheFirstThatFails() {
        const QString b = writeTrace("500.txt", decayTrace(0.0, 0.02, 1e-5));
        const QString a = writeTrace("450.txt", decayTrace(0.0, 0.01, 1e-5));
        const QString bad = writeTrace("bad.txt", "1e-6 0.5\n2e-6 x\n");
        const QString c = writeTrace("600.txt", decayTrace(0.0, 0.03, 1e-5));
        open({b, a});
        QCOMPARE(dataTitles(*form1), (QStringList{"500.txt", "450.txt"}));
        open({c, bad, c, a});
        QCOMPARE(dataTitles(*form1), (QStringList{"500.txt", "450.txt", "600.txt"}));
        QCOMPARE(errors, QStringList{"'x' is not a valid floating point value."});
        QCOMPARE(details,
                 QStringList{"File bad.txt, line 2. The 2 files after it were not opened."});
        QCOMPARE(form1->Chart1->seriesCount(), 3);
    }

    void commandLineTracesOpenAtStartUpInTheOrderGiven() {
        QByteArray b = writeTrace("500.txt", decayTrace(0.0, 0.02, 1e-5)).toLocal8Bit();
        QByteArray a = writeTrace("450.txt", decayTrace(0.0, 0.01, 1e-5)).toLocal8Bit();
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
        files.setUrls({QUrl::fromLocalFile(writeTrace("600.txt", "1e-6 1\n")),
                       QUrl::fromLocalFile(writeTrace("400.txt", "1e-6 2\n"))});
        QDragEnterEvent enter(QPoint(400, 300), Qt::CopyAction, &files, Qt::LeftButton,
                              Qt::NoModifier);
        QCoreApplication::sendEvent(form1.get(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(400, 300), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form1.get(), &drop);
        QCOMPARE(errors, QStringList());
        QCOMPARE(dataTitles(*form1), (QStringList{"600.txt", "400.txt"}));
    }
};

}  // namespace quorvane

QTEST_MAIN(quorvane::FileCommandsTest)
#include "file_commands_test.moc"
