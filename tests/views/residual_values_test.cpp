#include "views/residual_values.h"

#include <cmath>
#include <vector>

#include "fit/model.h"
#include "support/expect_error.h"
#include "views/fitted_workspace.h"

namespace quorvane {
namespace {

using testing::addCurve;
using testing::errorOf;

class Residuals : public testing::WorkspaceTest {
  protected:
    // One component of time constant 1e-4 after the blocks of the curves
    // already added.
    void setOneComponent() {
        testing::setLaidOutComponents(1);
        workspace.ParameterVector[rateIndex(1)] = -logl(1e-4L);
    }
    testing::RecordedSeries recorded;
};

TEST_F(Residuals, AreFormedInExtendedThenRoundedToDouble) {
    addCurve({1e-5}, {3.5});
    addCurve({2e-5, 3e-4}, {0.25, -0.125});
    setOneComponent();
    workspace.ParameterVector[offsetIndex(1)] = 0.5L;
    workspace.ParameterVector[amplitudeIndex(1, 1)] = 0.0L;
    // Three above the model gives one tenth.
    EXPECT_EQ(scaledResidual(1, 1), 0.1);
    workspace.ParameterVector[offsetIndex(2)] = 0.01L;
    workspace.ParameterVector[amplitudeIndex(2, 1)] = 0.3L;
    for (int j = 1; j <= 2; ++j) {
        const long double r =
            (static_cast<long double>(workspace.curves[2].values[j]) - evaluateModelAtPoint(2, j)) /
            30.0L;
        EXPECT_EQ(scaledResidual(2, j), static_cast<double>(r));
    }
}

TEST_F(Residuals, OneSeriesPerCurveOneBarPerPointInPointOrder) {
    addCurve({3e-4, 1e-6, 2e-5}, {0.1, 0.2, 0.3});
    addCurve({5e-6, 5e-6}, {0.0, 0.0});
    setOneComponent();
    workspace.ParameterVector[offsetIndex(2)] = 0.0L;
    buildResidualSurface(recorded.sink<ResidualSink>());
    EXPECT_EQ(recorded.begun, (std::vector<int>{1, 2}));
    ASSERT_EQ(recorded.points[1].size(), 3u);
    EXPECT_EQ(recorded.points[1][0].first, 3e-4);
    EXPECT_EQ(recorded.points[1][1].first, 1e-6);
    EXPECT_EQ(recorded.points[1][2].second, scaledResidual(1, 3));
    // A model that matches its points exactly gives bars of height 0.
    ASSERT_EQ(recorded.points[2].size(), 2u);
    EXPECT_EQ(recorded.points[2][0].second, 0.0);
}

TEST_F(Residuals, BeforeTheFirstStartTheModelIsTheOffsetAlone) {
    addCurve({1e-5, 1e-4}, {3.0, -6.0});
    buildResidualSurface(recorded.sink<ResidualSink>());
    ASSERT_EQ(recorded.points[1].size(), 2u);
    EXPECT_EQ(recorded.points[1][0].second, 0.1);
    EXPECT_EQ(recorded.points[1][1].second, -0.2);
    workspace.ParameterVector[offsetIndex(1)] = 3.0L;
    EXPECT_EQ(scaledResidual(1, 1), 0.0);
}

TEST_F(Residuals, AFaultingPointStopsTheCommandAndKeepsTheBarsBefore) {
    // exp(-rate * t) overflows at a large negative time.
    addCurve({1e-5, 2e-5, -10.0, 1e-4}, {0.0, 0.0, 0.0, 0.0});
    setOneComponent();
    workspace.ParameterVector[amplitudeIndex(1, 1)] = 1.0L;
    EXPECT_EQ(errorOf([&] { buildResidualSurface(recorded.sink<ResidualSink>()); }),
              "Floating point overflow");
    EXPECT_EQ(recorded.points[1].size(), 2u);
}

TEST_F(Residuals, ParametersBeyondTheVectorAreRefusedBeforeAnythingIsAdded) {
    testing::loadOnePointCurves(40, 9);
    EXPECT_EQ(errorOf([&] { buildResidualSurface(recorded.sink<ResidualSink>()); }),
              "Residual's surface: 40 traces with 9 components need 409 parameters, "
              "more than the 300 a fit can hold");
    EXPECT_TRUE(recorded.begun.empty());
}

}  // namespace
}  // namespace quorvane
