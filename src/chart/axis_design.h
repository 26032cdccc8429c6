// The design of one chart axis: scale, range, labels, ticks and grid, as a
// window sets it and Chart applies it (chart_axes.cpp).
#pragma once

#include <QColor>
#include <QPen>
#include <QString>
#include <functional>
#include <optional>

#include "chart/axis_scale.h"

namespace quorvane {

// One axis' design. With `automatic` the range follows the data of every
// series; otherwise it is fixed at minimum..maximum.
struct AxisDesign {
    bool visible = true;
    bool logarithmic = false;
    bool automatic = true;
    double minimum = 0;
    double maximum = 1;
    // Text of a value label, given the spacing of the labels near it (0
    // when it has none, as at the powers of ten of a logarithmic axis);
    // empty: the component's default number text. Ticks: log_axis_ticker.h
    // for a logarithmic axis, the component's placement for a linear one.
    using LabelText = std::function<QString(double value, double resolution)>;
    LabelText labelText;
    bool labelsVisible = true;
    QString title;
    QColor axisColour = Qt::black;
    QColor tickColour = Qt::black;
    int tickLengthOutside = 4;
    int tickLengthInside = 0;
    // Minor ticks between two labelled ticks (8 on a logarithmic axis puts
    // them at 2..9 times each power of ten).
    int minorTickCount = 0;
    int minorTickLengthOutside = 2;
    int minorTickLengthInside = 0;
    bool gridVisible = true;
    QPen gridPen = QPen(QColor(160, 160, 160), 0, Qt::DotLine);
    bool minorGridVisible = false;
    QPen minorGridPen = QPen(QColor(160, 160, 160), 0, Qt::DotLine);
    // Approximate number of labelled ticks on a linear axis.
    int labelCountHint = 6;

    // > 0: the axis is linear up to this value and logarithmic beyond it
    // (axis_scale.h), one continuous axis with labels on both parts, placed
    // by linearLogarithmicTicks (axis_ticks.h); `logarithmic` is then
    // ignored. The bottom axis only.
    double linearLogarithmicSwitch = 0;

    // With `automatic`: the lowest and highest of the values the range must
    // hold among those the axis' scale places (no value when there are
    // none: the range is minimum..maximum). Empty: the values of every
    // point of every series.
    struct Span {
        double lowest;
        double highest;
    };
    std::function<std::optional<Span>(const AxisScale& scale)> automaticSpan;

    // The scale the design gives.
    AxisScale scale() const {
        if (linearLogarithmicSwitch > 0)
            return AxisScale::linearLogarithmic(linearLogarithmicSwitch);
        return logarithmic ? AxisScale::logarithmic() : AxisScale::linear();
    }
};

enum class AxisPosition { Bottom, Left, Top, Right };

}  // namespace quorvane
