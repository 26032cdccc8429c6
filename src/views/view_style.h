// Fonts and colours shared by the result windows, with substitutes where the
// designed fonts are not installed.
#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QWidget>

namespace quorvane {

// "MS Sans Serif" at the given character height in pixels; Qt falls back to
// the listed sans-serif families of similar width when it is missing.
QFont msSansSerif(int pixelHeight, bool bold = false);

// "Arial" at the given character height, with Arial-metric substitutes.
QFont arial(int pixelHeight);

// The system desktop colour of the designs. Qt has no such palette role; the
// classic desktop teal stands in for it.
QColor desktopColour();

// The flags of a result window with a single border that cannot be resized:
// system menu and minimise button, no maximise.
Qt::WindowFlags fixedWindowFlags();

// Caption, client size (fixed) and first position of such a window.
void designFixedWindow(QWidget& window, const QString& caption, QSize clientSize, QPoint position);

}  // namespace quorvane
