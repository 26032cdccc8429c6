#include "views/unit4.h"

namespace quorvane {

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Residual's surface"));
    resize(870, 640);
    move(252, 171);
}

void TForm4::showResidualSurface() {
    show();
    raise();
}

}  // namespace quorvane
