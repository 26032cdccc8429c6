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

}  // namespace quorvane
