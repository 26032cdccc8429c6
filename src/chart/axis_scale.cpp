#include "chart/axis_scale.h"

#include <cmath>

namespace quorvane {

double AxisScale::position(double value) const {
    switch (kind) {
        case AxisScaleKind::Logarithmic:
            return std::log10(value);
        case AxisScaleKind::LinearLogarithmic:
            return value <= switchValue ? value : switchValue * (1 + std::log(value / switchValue));
        case AxisScaleKind::Linear:
            break;
    }
    return value;
}

double AxisScale::value(double position) const {
    switch (kind) {
        case AxisScaleKind::Logarithmic:
            return std::pow(10.0, position);
        case AxisScaleKind::LinearLogarithmic:
            return position <= switchValue
                       ? position
                       : switchValue * std::exp((position - switchValue) / switchValue);
        case AxisScaleKind::Linear:
            break;
    }
    return position;
}

bool AxisScale::places(double value) const {
    return std::isfinite(value) && (kind != AxisScaleKind::Logarithmic || value > 0);
}

}  // namespace quorvane
