#include "chart/axis_label_format.h"

#include <gtest/gtest.h>

#include "data/number_text.h"

namespace quorvane {
namespace {

class AxisLabelFormatTest : public ::testing::Test {
  protected:
    void SetUp() override { setDecimalSeparator('.'); }
    void TearDown() override { setDecimalSeparator('.'); }
};

TEST_F(AxisLabelFormatTest, PowersOfTenOfTheTimeAxis) {
    EXPECT_EQ(formatPowerOfTenLabel(1e-6), "1e-6");
    EXPECT_EQ(formatPowerOfTenLabel(1e-5), "1e-5");
    EXPECT_EQ(formatPowerOfTenLabel(1e-3), "1e-3");
    EXPECT_EQ(formatPowerOfTenLabel(1), "1e0");
    EXPECT_EQ(formatPowerOfTenLabel(10), "1e1");
    // log10 of these lands a hair off the integer.
    EXPECT_EQ(formatPowerOfTenLabel(1e-7), "1e-7");
    EXPECT_EQ(formatPowerOfTenLabel(1000), "1e3");
}

TEST_F(AxisLabelFormatTest, PowerLabelRoundsTheMantissaToAWholeNumber) {
    EXPECT_EQ(formatPowerOfTenLabel(2.5e-3), "3e-3");
    EXPECT_EQ(formatPowerOfTenLabel(9.6e-3), "1e-2");
    EXPECT_EQ(formatPowerOfTenLabel(-2e-4), "-2e-4");
    EXPECT_EQ(formatPowerOfTenLabel(0), "0e0");
}

TEST_F(AxisLabelFormatTest, ZoomedPowerLabelsKeepTheDigitsTheirSpacingNeeds) {
    EXPECT_EQ(formatPowerOfTenLabel(3.5e-5, 5e-6), "3.5e-5");
    EXPECT_EQ(formatPowerOfTenLabel(4e-5, 5e-6), "4e-5");
    EXPECT_EQ(formatPowerOfTenLabel(1.25e-5, 1e-7), "1.25e-5");
    EXPECT_EQ(formatPowerOfTenLabel(3.0000000000000004e-5, 2e-7), "3e-5");
    EXPECT_EQ(formatPowerOfTenLabel(9.9999e-6, 1e-8), "1e-5");
    EXPECT_EQ(formatPowerOfTenLabel(2e-4, 1e-4), "2e-4");
    setDecimalSeparator(',');
    EXPECT_EQ(formatPowerOfTenLabel(-3.12e-5, 2e-7), "-3,12e-5");
}

TEST_F(AxisLabelFormatTest, GroupedDecimalsOfTheSignalAxis) {
    EXPECT_EQ(formatGroupedDecimalLabel(-0.12), "-0.12");
    EXPECT_EQ(formatGroupedDecimalLabel(0.1), "0.1");
    EXPECT_EQ(formatGroupedDecimalLabel(0), "0");
    EXPECT_EQ(formatGroupedDecimalLabel(0.02), "0.02");
    EXPECT_EQ(formatGroupedDecimalLabel(1234.5), "1,234.5");
    EXPECT_EQ(formatGroupedDecimalLabel(-1234567), "-1,234,567");
    EXPECT_EQ(formatGroupedDecimalLabel(0.0000004), "0");
    EXPECT_EQ(formatGroupedDecimalLabel(-0.0000004), "0");
    EXPECT_EQ(formatGroupedDecimalLabel(0.1234567), "0.123457");
}

TEST_F(AxisLabelFormatTest, DecimalCommaGroupsWithPoints) {
    setDecimalSeparator(',');
    EXPECT_EQ(formatGroupedDecimalLabel(-0.04), "-0,04");
    EXPECT_EQ(formatGroupedDecimalLabel(12345.25), "12.345,25");
}

}  // namespace
}  // namespace quorvane
