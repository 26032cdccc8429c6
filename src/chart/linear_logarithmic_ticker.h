// The ticker of a linear-logarithmic axis of a 2-D chart. The plotting
// component draws the axis as a linear one over positions (axis_scale.h):
// every series' x reaches it as its position. The ticker turns the visible
// range of positions back into values, places the ticks by
// linearLogarithmicTicks (axis_ticks.h) and hands the component their
// positions, each labelled with the value it stands for.
#pragma once

#include <qcustomplot.h>
#include <QString>
#include <functional>

#include "chart/axis_scale.h"

namespace quorvane {

class LinearLogarithmicTicker : public QCPAxisTicker {
  public:
    using LabelText = std::function<QString(double value, double resolution)>;

    // `axis` gives the pixel length and the label font; `labelText` the
    // text of a label (empty: the component's number text).
    LinearLogarithmicTicker(const QCPAxis& axis, double switchValue, LabelText labelText);

    void generate(const QCPRange& range, const QLocale& locale, QChar formatChar, int precision,
                  QVector<double>& ticks, QVector<double>* subTicks,
                  QVector<QString>* tickLabels) override;

  private:
    const QCPAxis& axis_;
    AxisScale scale_;
    LabelText labelText_;
};

}  // namespace quorvane
