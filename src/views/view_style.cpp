#include "views/view_style.h"

#include <QStringList>

namespace quorvane {

QFont msSansSerif(int pixelHeight, bool bold) {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("DejaVu Sans"), QStringLiteral("Liberation Sans")});
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

QColor desktopColour() {
    return QColor(0, 128, 128);
}

}  // namespace quorvane
