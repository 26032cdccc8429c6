// The two methods of Start.
#pragma once

namespace quorvane {

enum class FitMethod {
    // The designed damped least-squares iteration over every parameter, run
    // for exactly the iterations typed (fit_driver.h).
    Classic,
    // The log-rates alone fitted by a trust-region Levenberg–Marquardt, the
    // offsets and amplitudes solved exactly at every step
    // (variable_projection.h).
    VariableProjection,
};

}  // namespace quorvane
