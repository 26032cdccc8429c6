#include "views/unit3.h"

namespace quorvane {

TForm3::TForm3(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Var-Cov Matrix"));
    setFixedSize(767, 258);
    move(285, 233);
}

void TForm3::showCovariance() {
    show();
    raise();
}

}  // namespace quorvane
