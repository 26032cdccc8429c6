#include "views/unit5.h"

namespace quorvane {

TForm5::TForm5(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("Differential spectra"));
    setFixedSize(959, 726);
    move(237, 130);
}

void TForm5::showDifferentialSpectra() {
    show();
    raise();
}

}  // namespace quorvane
