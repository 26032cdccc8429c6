#include "views/unit2.h"

namespace quorvane {

TForm2::TForm2(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Parametrs"));
    setFixedSize(373, 350);
    move(297, 159);
}

void TForm2::showParameterReport() {
    show();
    raise();
}

}  // namespace quorvane
