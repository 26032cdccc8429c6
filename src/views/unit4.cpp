#include "views/unit4.h"

#include <QVBoxLayout>

#include "views/residual_values.h"

namespace quorvane {

namespace {

// The window's designed size, frame included.
constexpr QSize kOuterSize(870, 640);

}  // namespace

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Residual's surface"));
    resize(kOuterSize);
    move(252, 171);

    Chart1 = new BarChart3d(this);
    Chart1->setTitle(QStringLiteral("TChart"));
    Chart1->setView(BarChart3d::ViewSettings{});
    Chart1->setBottomAxisRange(3e-7, 1.0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Chart1);
}

// The frame is known once the window manager has framed the window, which
// it reports by moving the window's inside; until then (and without a
// window manager) the inside has the outer size.
void TForm4::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    const QSize frame = frameGeometry().size() - size();
    if (!outerSizeApplied_ && isVisible() && frame != QSize(0, 0)) {
        outerSizeApplied_ = true;
        resize(kOuterSize - frame);
    }
}

void TForm4::showResidualSurface() {
    int series = -1;
    buildResidualSurface(
        {[&](int) { series = Chart1->addBarSeries(QColor(255, 0, 0)); },
         [&](int, double time, double residual) { Chart1->addBar(series, time, residual); }});
    show();
    raise();
}

}  // namespace quorvane
