#include "views/wavelength_report.h"

#include <stdexcept>

#include "data/error.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::addCurve;

struct SpectrumPoint {
    double wavelength = 0;
    double amplitude = 0;
};

// Records what a chart would receive.
struct RecordedSpectra {
    std::vector<int> chartsBegun;
    std::vector<std::vector<SpectrumPoint>> points = std::vector<std::vector<SpectrumPoint>>(10);

    SpectraSink sink() {
        return {[this](int chart) { chartsBegun.push_back(chart); },
                [this](int chart, double x, double y) {
                    points[chart].push_back({x, y});
                }};
    }
};

class Spectra : public testing::WorkspaceTest {
  protected:
    // Curves with the given titles, laid out for K components; amplitude k of
    // curve c is 10c + k.
    void loadCurves(const std::vector<std::string>& curveTitles, int K) {
        titles = curveTitles;
        for (std::size_t c = 0; c < titles.size(); ++c)
            addCurve({1e-6}, {0.0});
        workspace.componentCount = K;
        workspace.layoutComponentCount = K;
        // A layout larger than the vector (the refusal case) writes only the
        // entries that exist.
        for (int c = 1; c <= workspace.curveCount && K > 0; ++c) {
            for (int k = 1; k <= K && amplitudeIndex(c, k) <= kMaxParameters; ++k)
                workspace.ParameterVector[amplitudeIndex(c, k)] = 10 * c + k;
        }
    }
    CurveTitleSource titleSource() const {
        return [this](int curve) { return titles.at(curve - 1); };
    }
    std::vector<std::string> titles;
};

TEST(Wavelength, IsReadFromTheFirstThreeCharacters) {
    EXPECT_EQ(wavelengthFromTitle("400.txt"), 400.0);
    EXPECT_EQ(wavelengthFromTitle("450nm.txt"), 450.0);
    EXPECT_EQ(wavelengthFromTitle("1064.txt"), 106.0);
    EXPECT_EQ(wavelengthFromTitle("45 nm.txt"), 45.0);
    EXPECT_EQ(wavelengthFromTitle("1e2.txt"), 100.0);
    EXPECT_EQ(wavelengthFromTitle("7"), 7.0);
}

TEST(Wavelength, ANonNumberNamesTheCharactersTaken) {
    for (const auto& [title, message] : std::vector<std::pair<std::string, std::string>>{
             {"abc.txt", "'abc' is not a valid floating point value"},
             {"", "'' is not a valid floating point value"},
             {"x", "'x' is not a valid floating point value"}}) {
        try {
            wavelengthFromTitle(title);
            ADD_FAILURE() << title << " was read";
        } catch (const QuorvaneError& error) {
            EXPECT_EQ(error.message(), message);
        }
    }
}

TEST_F(Spectra, ThreeComponentsFillChartsOneToThreeInLoadOrder) {
    loadCurves({"400.txt", "450.txt", "500.txt"}, 3);
    RecordedSpectra recorded;
    buildDifferentialSpectra(titleSource(), recorded.sink());
    EXPECT_EQ(recorded.chartsBegun, (std::vector<int>{1, 2, 3}));
    for (int k = 1; k <= 3; ++k) {
        ASSERT_EQ(recorded.points[k].size(), 3u);
        for (int c = 1; c <= 3; ++c) {
            EXPECT_EQ(recorded.points[k][c - 1].wavelength, 350.0 + 50 * c);
            EXPECT_EQ(recorded.points[k][c - 1].amplitude, 10.0 * c + k);
        }
    }
    EXPECT_TRUE(recorded.points[4].empty());
}

TEST_F(Spectra, BeforeTheFirstStartOnlyChartOneIsFilledWithZeros) {
    loadCurves({"600.txt", "400.txt"}, 0);
    RecordedSpectra recorded;
    buildDifferentialSpectra(titleSource(), recorded.sink());
    EXPECT_EQ(recorded.chartsBegun, std::vector<int>{1});
    ASSERT_EQ(recorded.points[1].size(), 2u);
    EXPECT_EQ(recorded.points[1][0].wavelength, 600.0);
    EXPECT_EQ(recorded.points[1][1].amplitude, 0.0);
}

TEST_F(Spectra, WithoutCurvesEachFilledChartGetsAnEmptySeries) {
    loadCurves({}, 2);
    RecordedSpectra recorded;
    buildDifferentialSpectra(titleSource(), recorded.sink());
    EXPECT_EQ(recorded.chartsBegun, (std::vector<int>{1, 2}));
    EXPECT_TRUE(recorded.points[1].empty());
}

TEST_F(Spectra, ABadTitleStopsWhereItIsReadAndKeepsWhatWasAdded) {
    loadCurves({"400.txt", "abc.txt"}, 2);
    RecordedSpectra recorded;
    try {
        buildDifferentialSpectra(titleSource(), recorded.sink());
        ADD_FAILURE() << "no error";
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.message(), "'abc' is not a valid floating point value");
    }
    EXPECT_EQ(recorded.chartsBegun, std::vector<int>{1});
    ASSERT_EQ(recorded.points[1].size(), 1u);
    EXPECT_EQ(recorded.points[1][0].wavelength, 400.0);
}

TEST_F(Spectra, CoefficientsBeyondTheVectorAreRefusedBeforeAnythingIsAdded) {
    loadCurves(std::vector<std::string>(40, "500.txt"), 9);
    RecordedSpectra recorded;
    EXPECT_THROW(buildDifferentialSpectra(titleSource(), recorded.sink()), QuorvaneError);
    EXPECT_TRUE(recorded.chartsBegun.empty());
}

}  // namespace
}  // namespace quorvane
