#include "views/wavelength_report.h"

#include <string>
#include <utility>
#include <vector>

#include "support/expect_error.h"
#include "views/fitted_workspace.h"

namespace quorvane {
namespace {

using testing::errorOf;

class Spectra : public testing::WorkspaceTest {
  protected:
    // Curves with the given titles, laid out for K components; amplitude k of
    // curve c is 10c + k. Runs the command's loop into `recorded`.
    std::string build(const std::vector<std::string>& curveTitles, int K) {
        titles = curveTitles;
        testing::loadOnePointCurves(static_cast<int>(titles.size()), K, true);
        testing::storeTitleWavelengths(titles);
        return errorOf([this] {
            buildDifferentialSpectra([this](int curve) { return titles.at(curve - 1); },
                                     recorded.sink<SpectraSink>());
        });
    }
    std::vector<std::string> titles;
    testing::RecordedSeries recorded;
};

TEST(Wavelength, IsReadFromTheFirstThreeCharacters) {
    const std::vector<std::pair<std::string, double>> read = {{"400.txt", 400},  {"450nm.txt", 450},
                                                              {"1064.txt", 106}, {"45 nm.txt", 45},
                                                              {"1e2.txt", 100},  {"7", 7}};
    for (const auto& [title, wavelength] : read)
        EXPECT_EQ(wavelengthFromTitle(title), wavelength) << title;
    // A non-number names the characters taken.
    const std::vector<std::pair<std::string, std::string>> refused = {
        {"abc.txt", "'abc'"}, {"", "''"}, {"x", "'x'"}};
    for (const auto& [title, taken] : refused)
        EXPECT_EQ(errorOf([&] { wavelengthFromTitle(title); }),
                  taken + " is not a valid floating point value");
}

TEST_F(Spectra, ThreeComponentsFillChartsOneToThreeInLoadOrder) {
    EXPECT_EQ(build({"400.txt", "450.txt", "500.txt"}, 3), testing::kNoError);
    EXPECT_EQ(recorded.begun, (std::vector<int>{1, 2, 3}));
    for (int k = 1; k <= 3; ++k) {
        ASSERT_EQ(recorded.points[k].size(), 3u);
        for (int c = 1; c <= 3; ++c)
            EXPECT_EQ(recorded.points[k][c - 1], std::pair(350.0 + 50 * c, 10.0 * c + k));
    }
    EXPECT_TRUE(recorded.points[4].empty());
}

TEST_F(Spectra, BeforeTheFirstStartOnlyChartOneIsFilledWithZeros) {
    EXPECT_EQ(build({"600.txt", "400.txt"}, 0), testing::kNoError);
    EXPECT_EQ(recorded.begun, std::vector<int>{1});
    EXPECT_EQ(recorded.points[1], (std::vector<std::pair<double, double>>{{600, 0}, {400, 0}}));
}

TEST_F(Spectra, WithoutCurvesEachFilledChartGetsAnEmptySeries) {
    EXPECT_EQ(build({}, 2), testing::kNoError);
    EXPECT_EQ(recorded.begun, (std::vector<int>{1, 2}));
    EXPECT_TRUE(recorded.points[1].empty());
}

TEST_F(Spectra, ABadTitleStopsWhereItIsReadAndKeepsWhatWasAdded) {
    EXPECT_EQ(build({"400.txt", "abc.txt"}, 2), "'abc' is not a valid floating point value");
    EXPECT_EQ(recorded.begun, std::vector<int>{1});
    EXPECT_EQ(recorded.points[1], (std::vector<std::pair<double, double>>{{400, 11}}));
}

TEST_F(Spectra, CoefficientsBeyondTheVectorAreRefusedBeforeAnythingIsAdded) {
    EXPECT_EQ(build(std::vector<std::string>(40, "500.txt"), 9),
              "Differential spectra: 40 traces with 9 components have more coefficients than the "
              "300 a fit can hold");
    EXPECT_TRUE(recorded.begun.empty());
}

}  // namespace
}  // namespace quorvane
