// What leaves a Chart: its picture (bitmap, PNG), its PDF drawing and its
// printing through the print preview.
#include <qcustomplot.h>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>

#include "chart/chart.h"
#include "chart/plot_picture.h"
#include "data/error.h"

namespace quorvane {

QImage framedPlotImage(const QFrame& frame, QCustomPlot& plot) {
    QImage image(frame.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const QRect area = frame.contentsRect();
    const QPixmap picture = plot.toPixmap(area.width(), area.height());
    painter.drawPixmap(area.topLeft(), picture);
    if (frame.frameStyle() != QFrame::NoFrame) {
        painter.setPen(QPen(Qt::black, 0));
        painter.drawRect(QRect(0, 0, frame.width() - 1, frame.height() - 1));
    }
    return image;
}

void savePlotImage(const QImage& image, const QString& path, const char* format) {
    if (!image.save(path, format))
        throw QuorvaneError("Cannot create file " + path.toStdString());
}

void savePlotPdf(const QFrame& frame, QCustomPlot& plot, const QString& path) {
    const QRect area = frame.contentsRect();
    if (!plot.savePdf(path, std::max(1, area.width()), std::max(1, area.height())))
        throw QuorvaneError("Cannot create file " + path.toStdString());
}

QImage Chart::toImage() {
    synchronise();
    return framedPlotImage(*this, *plot_);
}

void Chart::saveBitmap(const QString& path) {
    savePlotImage(toImage(), path, "BMP");
}

void Chart::savePng(const QString& path) {
    savePlotImage(toImage(), path, "PNG");
}

void Chart::savePdf(const QString& path) {
    synchronise();
    savePlotPdf(*this, *plot_, path);
}

void Chart::print(QPrinter& printer) {
    synchronise();
    // The chart is recorded as drawing commands at its on-screen size and
    // replayed on the page, scaled to fit and centred: lines stay lines and
    // text stays text. The recording keeps every font at its size relative
    // to the chart (drawn straight on the printer, fonts sized in points
    // would grow with the printer's resolution and then again with the
    // scale). Hairline pens become one chart pixel wide, so that they scale
    // with the rest instead of printing one printer dot wide.
    const QRect area = contentsRect();
    const int width = std::max(1, area.width());
    const int height = std::max(1, area.height());
    QPicture picture;
    {
        QCPPainter recorder(&picture);
        recorder.setMode(QCPPainter::pmVectorized);
        recorder.setMode(QCPPainter::pmNonCosmetic);
        plot_->toPainter(&recorder, width, height);
    }
    QPainter painter(&printer);
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    const double scale = std::min(page.width() / width, page.height() / height);
    painter.translate((page.width() - width * scale) / 2, (page.height() - height * scale) / 2);
    // A picture replays at the printer's resolution relative to its own.
    const double replay = static_cast<double>(picture.logicalDpiX()) / printer.logicalDpiX();
    painter.scale(scale * replay, scale * replay);
    painter.drawPicture(0, 0, picture);
}

void Chart::printPreview(QWidget* owner) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    // With no printer installed the preview prints to a PDF file.
    if (QPrinterInfo::availablePrinters().isEmpty())
        printer.setOutputFormat(QPrinter::PdfFormat);
    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setWindowTitle(QStringLiteral("Print Preview"));
    dialog.setWindowModality(Qt::ApplicationModal);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { print(*target); });
    dialog.exec();
    redraw();
}

}  // namespace quorvane
