#include "views/parameter_report.h"

#include "views/fitted_workspace.h"

namespace quorvane {
namespace {

using testing::loadOnePointCurves;

using ParameterReport = testing::WorkspaceTest;

int colourEvents(const std::vector<ReportItem>& items) {
    int count = 0;
    for (const ReportItem& item : items)
        count += item.kind == ReportItem::Kind::SetColour;
    return count;
}

TEST_F(ParameterReport, OneHeaderAndALinePerEntryOfEachCurve) {
    workspace.layoutComponentCount = 4;
    const auto items = buildParameterReport();
    EXPECT_EQ(reportLines(items), std::vector<std::string>{"Serie1"});
    EXPECT_EQ(colourEvents(items), 0);
    // Before the first Start each curve is one offset line.
    loadOnePointCurves(2, 0);
    const std::vector<std::string> expected = {"Serie1", "Y0   0.00000", "Serie2", "Y0   0.00000"};
    EXPECT_EQ(reportLines(buildParameterReport()), expected);

    // One curve of three components: five lines, no colour change.
    testing::resetWholeWorkspace();
    testing::setParameters(3, {0.002L, 123.456789L, -0.5L, 0.000012345L});
    loadOnePointCurves(1, 3);
    const auto three = buildParameterReport();
    EXPECT_EQ(reportLines(three),
              (std::vector<std::string>{"Serie1", "Y0   0.00200", "A1   123.45680", "A2   -0.50000",
                                        "A3   0.00001"}));
    EXPECT_EQ(colourEvents(three), 0);
}

TEST_F(ParameterReport, HeadersBetweenCurvesAreColouredBlueThenBlack) {
    loadOnePointCurves(2, 2);
    for (int m = 1; m <= 6; ++m)
        workspace.ParameterVector[m] = m;
    const auto items = buildParameterReport();
    ASSERT_EQ(items.size(), 10u);
    const std::vector<std::string> expected = {"Serie1",       "Y0   1.00000", "A1   2.00000",
                                               "A2   3.00000", "Serie2",       "Y0   4.00000",
                                               "A1   5.00000", "A2   6.00000"};
    EXPECT_EQ(reportLines(items), expected);
    EXPECT_EQ(items[4].kind, ReportItem::Kind::SetColour);
    EXPECT_EQ(items[4].colour, ReportColour::Blue);
    EXPECT_EQ(items[5].text, "Serie2");
    EXPECT_EQ(items[6].kind, ReportItem::Kind::SetColour);
    EXPECT_EQ(items[6].colour, ReportColour::Black);
}

TEST_F(ParameterReport, TwentyNineCurvesNineComponentsFillThreeHundredNineteenLines) {
    loadOnePointCurves(29, 9);
    workspace.ParameterVector[290] = 7.25L;  // A9 of curve 29, the last entry of the blocks
    const auto lines = reportLines(buildParameterReport());
    ASSERT_EQ(lines.size(), 319u);
    for (int c = 1; c <= 29; ++c)
        EXPECT_EQ(lines[(c - 1) * 11], "Serie" + std::to_string(c));
    EXPECT_EQ(lines[318], "A9   7.25000");
    EXPECT_EQ(colourEvents(buildParameterReport()), 2 * 28);
}

TEST_F(ParameterReport, CurvesBeyondTheVectorAreNamedNotRead) {
    // 40 traces after a 9-component fit: 40 * 10 entries would be needed,
    // 30 blocks fit into the 300.
    loadOnePointCurves(40, 9);
    workspace.ParameterVector[300] = -1.5L;
    const auto items = buildParameterReport();
    const auto lines = reportLines(items);
    ASSERT_EQ(lines.size(), 30u * 11 + 1);
    EXPECT_EQ(lines[29 * 11], "Serie30");
    EXPECT_EQ(lines[30 * 11 - 1], "A9   -1.50000");
    EXPECT_EQ(lines.back(),
              "Serie31 to Serie40 were loaded after the fit and have no coefficients yet");
    EXPECT_EQ(items.back().kind, ReportItem::Kind::Line);
    EXPECT_EQ(items[items.size() - 2].text, "A9   -1.50000");
    // One curve beyond is named alone.
    testing::resetWholeWorkspace();
    loadOnePointCurves(31, 9);
    EXPECT_EQ(reportLines(buildParameterReport()).back(),
              "Serie31 was loaded after the fit and has no coefficients yet");
}

}  // namespace
}  // namespace quorvane
