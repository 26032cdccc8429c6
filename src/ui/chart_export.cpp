#include "ui/chart_export.h"

#include <QFileDialog>
#include <QFileInfo>
#include <array>

#include "chart/chart.h"

namespace quorvane {

namespace {

struct ExportFormat {
    ChartFileFormat format;
    // The dialog shows the filter's text up to its pattern in brackets.
    const char* filter;
    const char* extension;
};

// In the order of the dialog's filters; the first is the default.
constexpr std::array<ExportFormat, 3> kExportFormats = {{
    {ChartFileFormat::Bitmap, "BMP File(*.bmp) (*.bmp)", "bmp"},
    {ChartFileFormat::Png, "PNG File(*.png) (*.png)", "png"},
    {ChartFileFormat::Pdf, "PDF File(*.pdf) (*.pdf)", "pdf"},
}};

const ExportFormat& formatEntry(ChartFileFormat format) {
    for (const ExportFormat& entry : kExportFormats) {
        if (entry.format == format)
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
        filters << QString::fromLatin1(entry.filter);
    dialog.setNameFilters(filters);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setDefaultSuffix(QString::fromLatin1(kExportFormats.front().extension));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog, [&dialog, &filters](const QString& filter) {
            const qsizetype index = std::max<qsizetype>(0, filters.indexOf(filter));
            dialog.setDefaultSuffix(QString::fromLatin1(kExportFormats[index].extension));
        });
    // The replacement of an existing file is not asked about.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const qsizetype index = std::max<qsizetype>(0, filters.indexOf(dialog.selectedNameFilter()));
    return {dialog.selectedFiles().constFirst(), kExportFormats[index].format};
}

void exportChart(Chart& chart, const ExportChoice& choice) {
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

}  // namespace quorvane
