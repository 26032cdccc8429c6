#include "chart/axis_scale.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/axis_label_format.h"
#include "chart/axis_ticks.h"

namespace quorvane {
namespace {

// Linear-logarithmic axes as the main chart shows them: picosecond data
// with the switch at a few FWHM, the same in femtoseconds, and microsecond
// data with a small switch (its linear part holds one label only).
struct LinearLogarithmicCase {
    double switchTime;
    double lower;
    double upper;
};
const std::vector<LinearLogarithmicCase> kCases = {
    {1, -1, 1000}, {1000, -1000, 1e6}, {2e-5, 1e-7, 1}, {0.5, -2, 3}};
constexpr double kPixels = 740;
constexpr double kLabelPixels = 45;

TEST(AxisScale, LinearLogarithmicIsContinuousMonotonicAndInvertible) {
    for (const auto& [w, lower, upper] : kCases) {
        const AxisScale scale = AxisScale::linearLogarithmic(w);
        // Continuous with the same slope on both sides of the switch.
        const double h = w * 1e-6;
        EXPECT_NEAR(scale.position(w + h) - scale.position(w), h, h * 1e-5) << w;
        EXPECT_NEAR(scale.position(w) - scale.position(w - h), h, h * 1e-5) << w;
        // A decade beyond the switch spans w ln 10 positions.
        EXPECT_NEAR(scale.position(100 * w) - scale.position(10 * w), w * std::log(10.0),
                    w * 1e-12);
        double previous = -INFINITY;
        for (int i = 0; i <= 1000; ++i) {
            const double value = lower + (upper - lower) * std::pow(i / 1000.0, 3);
            const double position = scale.position(value);
            EXPECT_GT(position, previous) << value;
            previous = position;
            EXPECT_NEAR(scale.value(position), value, 1e-12 * std::fabs(value) + 1e-300);
        }
    }
    // Times in femtoseconds give the positions of picoseconds, scaled.
    EXPECT_DOUBLE_EQ(AxisScale::linearLogarithmic(1000).position(250000),
                     1000 * AxisScale::linearLogarithmic(1).position(250));
}

TEST(AxisScale, LinearLogarithmicTicksLabelBothPartsAndKeepApart) {
    for (const auto& [w, lower, upper] : kCases) {
        const AxisScale scale = AxisScale::linearLogarithmic(w);
        const AxisTicks ticks = linearLogarithmicTicks(w, lower, upper, kPixels, kLabelPixels);
        const double pixelsPerPosition = kPixels / (scale.position(upper) - scale.position(lower));
        int before = 0;
        int beyond = 0;
        for (std::size_t i = 0; i < ticks.labelled.size(); ++i) {
            const double value = ticks.labelled[i].value;
            EXPECT_GE(value, lower * (1 + 1e-12) - 1e-300);
            EXPECT_LE(value, upper);
            (value <= w ? before : beyond) += 1;
            if (i > 0) {
                const double gap =
                    (scale.position(value) - scale.position(ticks.labelled[i - 1].value)) *
                    pixelsPerPosition;
                EXPECT_GE(gap, kLabelPixels * (1 - 1e-9)) << w << " at " << value;
            }
            for (double minor : ticks.minor)
                EXPECT_NE(minor, value);
        }
        EXPECT_GE(before, 1) << w;
        EXPECT_GE(beyond, 2) << w;
    }
}

TEST(AxisScale, TimeLabelsArePlainWhileShort) {
    struct Row {
        double value;
        double resolution;
        std::string text;
    };
    for (const auto& [value, resolution, text] : std::vector<Row>{{-0.5, 0.5, "-0.5"},
                                                                  {0, 0.5, "0"},
                                                                  {1e-17, 0.5, "0"},
                                                                  {250, 50, "250"},
                                                                  {1000, 0, "1000"},
                                                                  {0.01, 0, "0.01"},
                                                                  {1e-6, 0, "1e-6"},
                                                                  {2e-5, 1e-5, "2e-5"},
                                                                  {2e6, 1e6, "2e6"}})
        EXPECT_EQ(formatTimeLabel(value, resolution), text) << value;
}

}  // namespace
}  // namespace quorvane
