#include "views/unit4.h"

#include <QVBoxLayout>

#include "views/residual_values.h"

namespace quorvane {

TForm4::TForm4(QWidget* parent) : QWidget(parent, Qt::Window) {
    setWindowTitle(QStringLiteral("Residual's surface"));
    resize(870, 640);
    move(252, 171);

    Chart1 = new ProjectionChart(this);
    Chart1->setTitle(QStringLiteral("TChart"));
    Chart1->setView(ProjectionChart::ViewSettings{});
    Chart1->setBottomAxisRange(3e-7, 1.0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Chart1);
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
