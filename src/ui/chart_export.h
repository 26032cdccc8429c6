// File > Export: the main chart written as a Windows bitmap (the first and
// default format), a PNG picture or a PDF vector drawing; the data map's
// Export the same way.
#pragma once

#include <QString>
#include <utility>

class QWidget;

namespace quorvane {

class Chart;
class ColourMapChart;

enum class ChartFileFormat { Bitmap, Png, Pdf };

// The Export dialog's answer: the name as the user typed it and the format
// of the filter chosen. A bare name is a choice under the first filter.
struct ExportChoice {
    ExportChoice(QString typedPath = {}, ChartFileFormat filterFormat = ChartFileFormat::Bitmap)
        : path(std::move(typedPath)), format(filterFormat) {}
    QString path;
    ChartFileFormat format;
};

// The modal Export dialog with the filters "BMP File(*.bmp) |*.bmp" (first,
// selected), "PNG File(*.png) |*.png" and "PDF File(*.pdf) |*.pdf"; an empty
// path when the user cancelled. An existing file is replaced without a
// question.
ExportChoice chooseExportFileInDialog(QWidget* owner);

// Writes `chart` for `choice`:
//   - a name ending in ".bmp", ".png" or ".pdf" (any case) gets that format,
//     whichever filter was chosen;
//   - a name without an extension gets the chosen filter's format and
//     extension;
//   - any other name is written as typed in the chosen filter's format.
// Throws QuorvaneError "Cannot create file <path>".
void exportChart(Chart& chart, const ExportChoice& choice);
void exportChart(ColourMapChart& chart, const ExportChoice& choice);

}  // namespace quorvane
