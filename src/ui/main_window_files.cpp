// The File commands of the main window - Open (also of the files dropped on
// the window or named on the command line, trace files and matrix files),
// Save, Save as..., Export and Print... - and the titles of the data series
// they keep.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include "chart/chart.h"
#include "data/error.h"
#include "data/loaded_measurement.h"
#include "data/matrix_file.h"
#include "data/matrix_orientation.h"
#include "data/trace_reader.h"
#include "data/trace_wavelength.h"
#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "ui/unit1.h"
#include "views/data_map_window.h"
#include "views/evolution_report.h"
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
QString filesLeftText(const QStringList& paths, qsizetype stopped) {
    const qsizetype left = paths.size() - stopped - 1;
    if (left == 1)
        return QStringLiteral("The file after it was not opened.");
    if (left > 1)
        return QStringLiteral("The %1 files after it were not opened.").arg(left);
    return {};
}

QString failedTraceDetail(const QuorvaneError& error, const QStringList& paths, qsizetype failed) {
    QString detail = error.detail().empty() ? QStringLiteral("File %1.").arg(paths[failed])
                                            : QString::fromStdString(error.detail());
    const QString left = filesLeftText(paths, failed);
    return left.isEmpty() ? detail : detail + ' ' + left;
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
            bool opened = false;
            try {
                opened = openTraceFile(paths[i]);
            } catch (const QuorvaneError& error) {
                throw QuorvaneError(error.message(),
                                    failedTraceDetail(error, paths, i).toStdString());
            }
            // A cancelled import ends the list as a failed file does.
            if (!opened) {
                const QString left = filesLeftText(paths, i);
                if (left.isEmpty())
                    return;
                throw QuorvaneError(
                    QStringLiteral("The import of %1 was cancelled")
                        .arg(QString::fromStdString(traceTitle(paths[i].toStdString())))
                        .toStdString(),
                    left.toStdString());
            }
        }
    });
}

bool TForm1::openTraceFile(const QString& path) {
    // The readers parse the whole file before anything enters the
    // workspace, so a refused file leaves both the workspace and the chart
    // as they were: series are created only for loaded curves.
    const std::string file = path.toStdString();
    std::optional<MatrixFile> matrix = readMatrixFile(file);
    if (matrix)
        return openMatrixFile(std::move(*matrix));
    const int curve = loadTraceFile(file);
    addDataSeries(curve, QString::fromStdString(traceTitle(file)), {traceTitle(file), false});
    return true;
}

bool TForm1::openMatrixFile(MatrixFile file) {
    const std::optional<MatrixImportChoice> answer = interaction_.chooseMatrixTraces(*this, file);
    if (!answer)
        return false;
    // The dialog showed this plan; it is made again on the file itself, so
    // that its numbers move into the workspace's measurement uncopied.
    Measurement measurement = orientMatrix(std::move(file), answer->orientation);
    const TracePlan plan = planTraces(measurement, answer->choice, roomInWorkspace());
    const WavelengthUnit unit = measurement.unit;
    const SavedCurve source{measurement.title, true};
    const int first = loadMatrixTraces(std::move(measurement), plan);
    for (int curve = first; curve <= workspace.curveCount; ++curve)
        addDataSeries(curve,
                      QString::fromStdString(wavelengthLabel(workspace.wavelength[curve], unit)),
                      source);
    return true;
}

void TForm1::addDataSeries(int curve, const QString& title, const SavedCurve& source) {
    ChartSeries* series = Chart1->addLineSeries();
    series->setTitle(title);
    Chart1->setLegendStyle(LegendStyle::Series);
    const Curve& data = workspace.curves[curve];
    for (int i = 1; i <= workspace.pointCount[curve]; ++i)
        series->addPoint(data.times[i], data.values[i], Qt::black);
    dataSeries_.push_back(series);
    curveSources_.push_back(source);
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

// NAME-eas.csv, as quorvane-fit --eas writes it, when the sequential
// scheme can be formed (a fit of components with distinct rates); nothing
// when it is refused, the rest saved as before.
SavedSupplement TForm1::evolutionSupplement() const {
    std::vector<std::string> titles;
    for (const SavedCurve& curve : curveSources_)
        titles.push_back(curve.file);
    SavedSupplement supplement;
    try {
        supplement.files.emplace_back("-eas.csv", evolutionCsv(buildEvolutionTable(titles)));
    } catch (const QuorvaneError&) {
        // A title that gives no wavelength fails the save itself, with its message.
    }
    return supplement;
}

void TForm1::saveResultsTo(const QString& path) {
    // At capacity the save takes seconds (one more build of the normal
    // matrix, 800000 rows of curves).
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restoreCursor;
    saveResults(path.toStdString(), curveSources_, evolutionSupplement());
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

void TForm1::exportDataMap() {
    runCommand([this] {
        const ExportChoice choice = interaction_.chooseExportFile(*this);
        if (choice.path.isEmpty())
            return;
        exportChart(*dataMapWindow_->Chart1, choice);
    });
}

void TForm1::Print1Click() {
    runCommand([this] { interaction_.showPrintPreview(*this); });
}

}  // namespace quorvane
