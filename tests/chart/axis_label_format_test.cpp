#include "chart/axis_label_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/number_text.h"

namespace quorvane {
namespace {

struct Label {
    double value;
    double resolution;  // of a zoomed power label; 0 otherwise
    std::string text;
};

class AxisLabelFormat : public ::testing::Test {
  protected:
    void TearDown() override { setDecimalSeparator('.'); }
};

TEST_F(AxisLabelFormat, PowerOfTenLabels) {
    // The time axis' powers (log10 of 1e-7 and 1000 lands a hair off the
    // integer), other mantissas rounded to a whole number, then zoomed labels
    // with the digits that their spacing needs.
    const std::vector<Label> powers = {
        {1e-6, 0, "1e-6"},   {1e-5, 0, "1e-5"},   {1e-3, 0, "1e-3"}, {1, 0, "1e0"},
        {10, 0, "1e1"},      {1e-7, 0, "1e-7"},   {1000, 0, "1e3"},  {2.5e-3, 0, "3e-3"},
        {9.6e-3, 0, "1e-2"}, {-2e-4, 0, "-2e-4"}, {0, 0, "0e0"}};
    const std::vector<Label> zoomed = {
        {3.5e-5, 5e-6, "3.5e-5"},   {4e-5, 5e-6, "4e-5"},
        {1.25e-5, 1e-7, "1.25e-5"}, {3.0000000000000004e-5, 2e-7, "3e-5"},
        {9.9999e-6, 1e-8, "1e-5"},  {2e-4, 1e-4, "2e-4"}};
    for (const std::vector<Label>& labels : {powers, zoomed}) {
        for (const Label& label : labels)
            EXPECT_EQ(formatPowerOfTenLabel(label.value, label.resolution), label.text);
    }
    setDecimalSeparator(',');
    EXPECT_EQ(formatPowerOfTenLabel(-3.12e-5, 2e-7), "-3,12e-5");
}

TEST_F(AxisLabelFormat, GroupedDecimalLabels) {
    const std::vector<Label> labels = {
        {-0.12, 0, "-0.12"}, {0.1, 0, "0.1"},        {0, 0, "0"},
        {0.02, 0, "0.02"},   {1234.5, 0, "1,234.5"}, {-1234567, 0, "-1,234,567"},
        {0.0000004, 0, "0"}, {-0.0000004, 0, "0"},   {0.1234567, 0, "0.123457"}};
    for (const Label& label : labels)
        EXPECT_EQ(formatGroupedDecimalLabel(label.value), label.text) << label.value;
    setDecimalSeparator(',');
    EXPECT_EQ(formatGroupedDecimalLabel(-0.04), "-0,04");
    EXPECT_EQ(formatGroupedDecimalLabel(12345.25), "12.345,25");
}

}  // namespace
}  // namespace quorvane
