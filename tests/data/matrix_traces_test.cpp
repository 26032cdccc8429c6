// The choice of traces from a measurement, their loading into the workspace
// and the wavelength each curve carries.
#include <cmath>
#include <string>
#include <vector>

#include "data/loaded_measurement.h"
#include "data/matrix_file.h"
#include "data/matrix_orientation.h"
#include "data/time_axes.h"
#include "data/trace_choice.h"
#include "data/trace_reader.h"
#include "data/trace_wavelength.h"
#include "support/expect_error.h"
#include "support/test_support.h"
#include "support/workspace_image.h"

namespace quorvane {
namespace {

using testing::errorOf;

const std::vector<double> kTimes = {-1, 0, 1, 2, 3};
const std::vector<double> kWavelengths = {400, 450, 500, 550, 600, 650};

// value(t, w) = 100 t + w for row t and column w: whole numbers, so that every
// mean of columns is exact and can be written down.
double cellValue(std::size_t t, std::size_t w) {
    return 100.0 * static_cast<double>(t) + static_cast<double>(w);
}

// The measurement as a semicolon file with decimal commas, read as a user
// would read it.
Measurement fixtureMeasurement(const testing::TempDir& dir) {
    // A whole number n written "n,0": the decimal comma of a semicolon file.
    const auto cell = [](double value) {
        std::string text = ";";
        text += std::to_string(static_cast<int>(value));
        return text + ",0";
    };
    std::string text = "Run 7\n";
    for (const double w : kWavelengths)
        text += cell(w);
    for (std::size_t t = 0; t < kTimes.size(); ++t) {
        text += "\n";
        text += cell(kTimes[t]).substr(1);
        for (std::size_t w = 0; w < kWavelengths.size(); ++w)
            text += cell(cellValue(t, w));
    }
    text += "\nOperator;A. N. Other\n";
    return orientMatrix(*readMatrixFile(dir.write("run.csv", text)), Orientation::Auto);
}

class MatrixTraces : public testing::WorkspaceTest {
  protected:
    void SetUp() override {
        WorkspaceTest::SetUp();
        clearLoadedMeasurement();
        measurement_ = fixtureMeasurement(dir_);
    }
    void TearDown() override { clearLoadedMeasurement(); }

    TracePlan plan(TraceChoice choice, int room = kMaxCurves) const {
        return planTraces(measurement_, choice, room);
    }

    testing::TempDir dir_;
    Measurement measurement_;
};

TraceChoice grouped(TraceGrouping grouping, int every = 1, double width = 0, int count = 0) {
    TraceChoice choice;
    choice.grouping = grouping;
    choice.every = every;
    choice.binWidth = width;
    choice.binCount = count;
    return choice;
}

TEST_F(MatrixTraces, PlansEachGrouping) {
    struct Case {
        const char* name;
        TraceChoice choice;
        int room;
        std::vector<std::vector<std::size_t>> columns;
        std::vector<double> wavelengths;
    };
    TraceChoice ranged;
    ranged.wavelengths = ValueRange{600, 450};  // either order
    ranged.excluded = {{520, 560}};
    TraceChoice gapped = grouped(TraceGrouping::BinCount, 1, 0, 5);
    gapped.excluded = {{470, 580}};
    const TraceGrouping all = TraceGrouping::All;
    const std::vector<Case> cases = {
        {"all", grouped(all), 40, {{0}, {1}, {2}, {3}, {4}, {5}}, kWavelengths},
        {"every 2nd", grouped(TraceGrouping::EveryKth, 2), 40, {{0}, {2}, {4}}, {400, 500, 600}},
        {"bins of 100",
         grouped(TraceGrouping::BinWidth, 1, 100),
         40,
         {{0, 1}, {2, 3}, {4, 5}},
         {425, 525, 625}},
        {"4 bins",
         grouped(TraceGrouping::BinCount, 1, 0, 4),
         40,
         {{0, 1}, {2}, {3}, {4, 5}},
         {425, 500, 550, 625}},
        {"automatic, room for 3",
         grouped(TraceGrouping::Automatic),
         3,
         {{0, 1}, {2, 3}, {4, 5}},
         {425, 525, 625}},
        {"automatic, room for all",
         grouped(TraceGrouping::Automatic),
         6,
         {{0}, {1}, {2}, {3}, {4}, {5}},
         kWavelengths},
        {"range and band", ranged, 40, {{1}, {2}, {4}}, {450, 500, 600}},
        {"empty bins give no trace", gapped, 40, {{0}, {1}, {4, 5}}, {400, 450, 625}},
    };
    for (const Case& planned : cases) {
        SCOPED_TRACE(planned.name);
        const TracePlan result = plan(planned.choice, planned.room);
        std::vector<std::vector<std::size_t>> columns;
        std::vector<double> wavelengths;
        for (const PlannedTrace& trace : result.traces) {
            columns.push_back(trace.columns);
            wavelengths.push_back(trace.wavelength);
        }
        EXPECT_EQ(columns, planned.columns);
        EXPECT_EQ(wavelengths, planned.wavelengths);
        EXPECT_EQ(result.timeCount, kTimes.size());
        EXPECT_NE(result.grouping, TraceGrouping::Automatic);
    }
}

TEST_F(MatrixTraces, RefusesChoicesThatLoadNothingOrTooMuch) {
    const std::string refused = "Cannot load run.csv: ";
    TraceChoice window;
    window.times = ValueRange{10, 20};
    TraceChoice outside;
    outside.wavelengths = ValueRange{700, 800};
    TraceChoice notANumber;
    notANumber.times = ValueRange{NAN, 1};
    const struct {
        TraceChoice choice;
        int room;
        std::string message;
    } cases[] = {
        {window, 40, refused + "no time lies within the time window 10..20"},
        {outside, 40,
         refused + "the choice leaves no trace: no wavelength lies within the range and outside "
                   "the excluded bands"},
        {grouped(TraceGrouping::All), 5,
         refused + "the choice makes 6 traces, the workspace has room for 5 more"},
        {grouped(TraceGrouping::Automatic), 0,
         refused + "the workspace has no room for more traces (40 are loaded)"},
        {grouped(TraceGrouping::EveryKth, 0), 40, refused + "every k-th wavelength needs k >= 1"},
        {grouped(TraceGrouping::BinWidth, 1, 0), 40,
         refused + "the bin width must be a number > 0"},
        {grouped(TraceGrouping::BinCount), 40, refused + "the number of bins must be at least 1"},
        {notANumber, 40, refused + "the time window has an end that is not a number"},
    };
    for (const auto& bad : cases)
        EXPECT_EQ(errorOf([&] { plan(bad.choice, bad.room); }), bad.message);

    Measurement longRun;
    longRun.title = "long.csv";
    longRun.matrix.wavelengths = {500};
    for (int t = 0; t <= kMaxPoints; ++t)
        longRun.matrix.times.push_back(t);
    longRun.matrix.values = longRun.matrix.times;
    EXPECT_EQ(errorOf([&] { planTraces(longRun, TraceChoice{}, 40); }),
              "Cannot load long.csv: 20001 times remain, a trace holds at most 20000 points: "
              "choose a time window");
    TraceChoice cut;
    cut.times = ValueRange{1, kMaxPoints};
    EXPECT_EQ(planTraces(longRun, cut, 40).timeCount, static_cast<std::size_t>(kMaxPoints));
}

TEST_F(MatrixTraces, LoadsBinnedTracesOnOneSharedAxis) {
    testing::addCurve({5, 6}, {7, 8});
    TraceChoice choice = grouped(TraceGrouping::BinCount, 1, 0, 4);
    choice.times = ValueRange{0, 2};
    const TracePlan planned = plan(choice);
    EXPECT_EQ(loadMatrixTraces(Measurement(measurement_), planned), 2);  // kept itself

    ASSERT_EQ(workspace.curveCount, 5);
    // Rows 1..3 of the window; the bins hold columns {0,1}, {2}, {3}, {4,5}.
    const double binMeanColumn[] = {0.5, 2, 3, 4.5};
    for (int c = 2; c <= 5; ++c) {
        SCOPED_TRACE(c);
        ASSERT_EQ(workspace.pointCount[c], 3);
        for (int i = 1; i <= 3; ++i) {
            EXPECT_EQ(workspace.curves[c].times[i], kTimes[i]);
            EXPECT_EQ(workspace.curves[c].values[i], 100.0 * i + binMeanColumn[c - 2]);
        }
        EXPECT_EQ(workspace.wavelength[c], planned.traces[c - 2].wavelength);
        EXPECT_EQ(timeAxes().representative[c], 2);
    }
    EXPECT_EQ(timeAxes().axisCount, 2);

    const Measurement* kept = loadedMeasurement();
    ASSERT_NE(kept, nullptr);
    EXPECT_EQ(kept->title, "run.csv");
    EXPECT_EQ(kept->matrix.times, (std::vector<double>{0, 1, 2}));
    EXPECT_EQ(kept->matrix.wavelengths, kWavelengths);
    EXPECT_EQ(kept->matrix.values.front(), cellValue(1, 0));
    EXPECT_EQ(kept->matrix.values.back(), cellValue(3, 5));
    const KineticMatrix keptItself = kept->matrix;
    loadMatrixTraces(measurement_, planned);  // kept as a copy
    EXPECT_EQ(loadedMeasurement()->matrix.times, keptItself.times);
    EXPECT_EQ(loadedMeasurement()->matrix.values, keptItself.values);
    clearLoadedMeasurement();
    EXPECT_EQ(loadedMeasurement(), nullptr);
}

TEST_F(MatrixTraces, ARefusedLoadChangesNothing) {
    const TracePlan planned = plan(grouped(TraceGrouping::All));
    for (int c = 1; c <= kMaxCurves - 5; ++c)
        testing::addCurve({1, 2}, {3, 4});
    const testing::WorkspaceImage before;
    EXPECT_EQ(errorOf([&] { loadMatrixTraces(measurement_, planned); }),
              "Cannot load run.csv: the choice makes 6 traces, the workspace has room for 5 more");
    EXPECT_TRUE(before.matches());
    EXPECT_EQ(loadedMeasurement(), nullptr);
}

TEST_F(MatrixTraces, TheLoadedTracesFormOneMatrixWhenTheyShareAnAxis) {
    EXPECT_EQ(errorOf([] { matrixOfLoadedTraces(); }), "No traces are loaded");
    loadMatrixTraces(measurement_, plan(grouped(TraceGrouping::EveryKth, 3)));
    const KineticMatrix matrix = matrixOfLoadedTraces();
    EXPECT_EQ(matrix.times, kTimes);
    EXPECT_EQ(matrix.wavelengths, (std::vector<double>{400, 550}));
    EXPECT_EQ(matrix.values, (std::vector<double>{0, 3, 100, 103, 200, 203, 300, 303, 400, 403}));

    testing::addCurve({1, 2}, {3, 4});
    EXPECT_EQ(errorOf([] { matrixOfLoadedTraces(); }),
              "The loaded traces do not share one time axis");
}

TEST_F(MatrixTraces, TraceFilesGiveTheWavelengthOfTheirName) {
    const struct {
        const char* name;
        double wavelength;
    } files[] = {{"450nm.txt", 450}, {"1064.txt", 106}, {"45 nm.txt", 45}, {"abc.txt", NAN}};
    for (const auto& file : files) {
        const int curve = loadTraceFile(dir_.write(file.name, "1e-6 0.5\n"));
        if (std::isnan(file.wavelength)) {
            EXPECT_TRUE(std::isnan(workspace.wavelength[curve])) << file.name;
        } else {
            EXPECT_EQ(workspace.wavelength[curve], file.wavelength) << file.name;
        }
    }
    EXPECT_EQ(wavelengthLabel(452.5, WavelengthUnit::Nanometre), "452.5 nm");
    EXPECT_EQ(wavelengthLabel(1400.0 / 3.0, WavelengthUnit::Nanometre), "466.667 nm");
    EXPECT_EQ(wavelengthLabel(15873, WavelengthUnit::Wavenumber), "15873 cm^-1");
    setDecimalSeparator(',');
    EXPECT_EQ(wavelengthLabel(452.5, WavelengthUnit::Nanometre), "452,5 nm");
}

}  // namespace
}  // namespace quorvane
