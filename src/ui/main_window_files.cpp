// The File commands of the main window - Open (also of the files dropped on
// the window or named on the command line), Save, Save as..., Export and
// Print... - and the titles of the data series they keep.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "chart/chart.h"
#include "data/error.h"
#include "data/trace_reader.h"
#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "ui/unit1.h"
#include "views/result_files.h"

namespace quorvane {

namespace {

// The local files a drop carries, in its order; empty when anything else is
// dropped.
QStringList droppedFiles(const QMimeData* data) {
    QStringList files;
    if (data == nullptr || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile())
            return {};
        files << url.toLocalFile();
    }
    return files;
}

// The detail of the error that stopped a list of files at `failed`: the
// reader's (file and line) or the file's name, and what was left unopened.
QString failedTraceDetail(const QuorvaneError& error, const QStringList& paths, qsizetype failed) {
    QString detail = error.detail().empty() ? QStringLiteral("File %1.").arg(paths[failed])
                                            : QString::fromStdString(error.detail());
    const qsizetype left = paths.size() - failed - 1;
    if (left == 1)
        detail += QStringLiteral(" The file after it was not opened.");
    else if (left > 1)
        detail += QStringLiteral(" The %1 files after it were not opened.").arg(left);
    return detail;
}

}  // namespace

std::string TForm1::dataSeriesTitle(int curve) const {
    if (curve < 1 || curve > static_cast<int>(dataSeries_.size()))
        return {};
    return dataSeries_[static_cast<std::size_t>(curve - 1)]->title().toStdString();
}

void TForm1::Open1Click() {
    QStringList paths;
    runCommand([this, &paths] { paths = interaction_.chooseTraceFiles(*this); });
    openTraceFiles(paths);
}

void TForm1::openTraceFiles(const QStringList& paths) {
    runCommand([this, &paths] {
        for (qsizetype i = 0; i < paths.size(); ++i) {
            try {
                openTraceFile(paths[i]);
            } catch (const QuorvaneError& error) {
                throw QuorvaneError(error.message(),
                                    failedTraceDetail(error, paths, i).toStdString());
            }
        }
    });
}

void TForm1::openTraceFile(const QString& path) {
    // The reader parses the whole file before anything enters the
    // workspace, so a refused file leaves both the workspace and the chart
    // as they were: the series is created only for a loaded curve.
    const std::string file = path.toStdString();
    const int curve = loadTraceFile(file);
    ChartSeries* series = Chart1->addLineSeries();
    series->setTitle(QString::fromStdString(traceTitle(file)));
    Chart1->setLegendStyle(LegendStyle::Series);
    const Curve& data = workspace.curves[curve];
    for (int i = 1; i <= workspace.pointCount[curve]; ++i)
        series->addPoint(data.times[i], data.values[i], Qt::black);
    dataSeries_.push_back(series);
}

// Drops are refused while a fit runs, as Open is.
void TForm1::dragEnterEvent(QDragEnterEvent* event) {
    if (!startInProgress() && !droppedFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent* event) {
    const QStringList paths = droppedFiles(event->mimeData());
    if (startInProgress() || paths.isEmpty())
        return;
    event->acceptProposedAction();
    openTraceFiles(paths);
}

void TForm1::Save1Click() {
    if (resultsFile_.isEmpty()) {
        Saveas1Click();
        return;
    }
    runCommand([this] { saveResultsTo(resultsFile_); });
}

void TForm1::Saveas1Click() {
    runCommand([this] {
        // Refused before the dialog: there is nothing to name yet.
        refuseUnfittedResults();
        const QString path = interaction_.chooseResultsFile(*this);
        if (path.isEmpty())
            return;
        saveResultsTo(path);
    });
}

void TForm1::saveResultsTo(const QString& path) {
    // At capacity the save takes seconds (one more build of the normal
    // matrix, 800000 rows of curves).
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restoreCursor;
    std::vector<std::string> titles;
    for (int curve = 1; curve <= workspace.curveCount; ++curve)
        titles.push_back(dataSeriesTitle(curve));
    saveResults(path.toStdString(), titles);
    resultsFile_ = path;
}

void TForm1::Export1Click() {
    runCommand([this] {
        const ExportChoice choice = interaction_.chooseExportFile(*this);
        if (choice.path.isEmpty())
            return;
        exportChart(*Chart1, choice);
    });
}

void TForm1::Print1Click() {
    runCommand([this] { interaction_.showPrintPreview(*this); });
}

}  // namespace quorvane
