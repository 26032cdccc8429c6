#include "ui/chart_export.h"

#include <QFileDialog>
#include <QFileInfo>
#include <array>

#include "chart/chart.h"
#include "chart/colour_map_chart.h"

namespace quorvane {

namespace {

struct ExportFormat {
    ChartFileFormat format;
    // What the dialog shows of the filter.
    const char* label;
    const char* extension;

    QString filter() const {
        return QStringLiteral("%1 (*.%2)").arg(QLatin1String(label), QLatin1String(extension));
    }
};

// In the order of the dialog's filters; the first is the default.
constexpr std::array<ExportFormat, 3> kExportFormats = {{
    {ChartFileFormat::Bitmap, "BMP File(*.bmp)", "bmp"},
    {ChartFileFormat::Png, "PNG File(*.png)", "png"},
    {ChartFileFormat::Pdf, "PDF File(*.pdf)", "pdf"},
}};

const ExportFormat& formatEntry(ChartFileFormat format) {
    for (const ExportFormat& entry : kExportFormats) {
        if (entry.format == format)
            return entry;
    }
    return kExportFormats.front();
}

// The entry of the dialog's selected filter, which the dialog names by its
// label while it hides the filters' patterns.
const ExportFormat& selectedEntry(const QString& selectedFilter) {
    for (const ExportFormat& entry : kExportFormats) {
        if (selectedFilter == QLatin1String(entry.label) || selectedFilter == entry.filter())
            return entry;
    }
    return kExportFormats.front();
}

}  // namespace

ExportChoice chooseExportFileInDialog(QWidget* owner) {
    QFileDialog dialog(owner, QStringLiteral("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const ExportFormat& entry : kExportFormats)
        filters << entry.filter();
    dialog.setNameFilters(filters);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    // No default suffix: exportChart gives a bare name the extension of the
    // filter chosen last. The replacement of an existing file is not asked
    // about.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return {dialog.selectedFiles().constFirst(), selectedEntry(dialog.selectedNameFilter()).format};
}

namespace {

// Both chart engines write the three formats under the same names.
template <typename AnyChart>
void writeChart(AnyChart& chart, const ExportChoice& choice) {
    QString path = choice.path;
    ChartFileFormat format = choice.format;
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty()) {
        path += '.' + QString::fromLatin1(formatEntry(format).extension);
    } else {
        for (const ExportFormat& entry : kExportFormats) {
            if (suffix.compare(QString::fromLatin1(entry.extension), Qt::CaseInsensitive) == 0)
                format = entry.format;
        }
    }
    switch (format) {
        case ChartFileFormat::Bitmap:
            chart.saveBitmap(path);
            break;
        case ChartFileFormat::Png:
            chart.savePng(path);
            break;
        case ChartFileFormat::Pdf:
            chart.savePdf(path);
            break;
    }
}

}  // namespace

void exportChart(Chart& chart, const ExportChoice& choice) {
    writeChart(chart, choice);
}

void exportChart(ColourMapChart& chart, const ExportChoice& choice) {
    writeChart(chart, choice);
}

}  // namespace quorvane
