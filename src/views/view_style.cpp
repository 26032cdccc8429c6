#include "views/view_style.h"

#include <QStringList>

namespace quorvane {

QFont msSansSerif(int pixelHeight, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

QFont arial(int pixelHeight) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans")});
    font.setPixelSize(pixelHeight);
    return font;
}

QColor desktopColour() {
    return QColor(0, 128, 128);
}

Qt::WindowFlags fixedWindowFlags() {
    return Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
}

void designFixedWindow(QWidget& window, const QString& caption, QSize clientSize, QPoint position) {
    window.setWindowTitle(caption);
    window.setFixedSize(clientSize);
    window.move(position);
}

}  // namespace quorvane
