// The pictures and PDF drawings of a plot framed like a Chart: shared by
// every chart engine of this layer that draws with QCustomPlot.
#pragma once

#include <QString>

class QCustomPlot;
class QFrame;
class QImage;

namespace quorvane {

// The plot at `frame`'s on-screen size on a white background, the frame's
// one-pixel border drawn around it when the frame has one. The plot is laid
// out even when it has never been shown.
QImage framedPlotImage(const QFrame& frame, QCustomPlot& plot);

// Writes `image` in `format` ("BMP", "PNG"); throws QuorvaneError "Cannot
// create file <path>".
void savePlotImage(const QImage& image, const QString& path, const char* format);

// Writes the plot as a one-page PDF vector drawing of the frame's inner
// size; the same error.
void savePlotPdf(const QFrame& frame, QCustomPlot& plot, const QString& path);

}  // namespace quorvane
