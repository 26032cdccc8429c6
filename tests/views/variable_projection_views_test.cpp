// The result views after a fit by variable projection show what they show
// after the classic method at the same parameters.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/workspace.h"
#include "fit/fit_driver.h"
#include "support/example_traces.h"
#include "support/test_support.h"
#include "views/covariance_report.h"
#include "views/parameter_report.h"
#include "views/residual_values.h"

namespace quorvane {
namespace {

struct Views {
    std::vector<std::string> report;
    std::vector<double> residuals;
    std::vector<std::vector<std::string>> covariance;

    bool operator==(const Views&) const = default;
};

// In the order a user would open them; the covariance view last, as it
// rebuilds the normal matrix.
Views openViews() {
    Views views;
    views.report = reportLines(buildParameterReport());
    for (int c = 1; c <= workspace.curveCount; ++c)
        for (int i = 1; i <= workspace.pointCount[c]; ++i)
            views.residuals.push_back(scaledResidual(c, i));
    views.covariance = computeCovarianceBlock().cells;
    return views;
}

TEST(VariableProjectionViews, ShowWhatTheClassicMethodShowsAtTheSameParameters) {
    StartBoxes boxes{"3", "30", {"10e-6", "100e-6", "2e-3", "1", "1", "1", "1", "1", "1"}, {}};
    testing::resetWholeWorkspace();
    testing::loadExamples();
    runStart(boxes, {}, FitMethod::VariableProjection);
    std::vector<long double> parameters(workspace.ParameterVector,
                                        workspace.ParameterVector + kMaxParameters + 1);
    const Views projected = openViews();

    testing::resetWholeWorkspace();
    testing::loadExamples();
    boxes.iterationCount = std::string(1, '0');
    runStart(boxes, {});
    std::copy(parameters.begin(), parameters.end(), workspace.ParameterVector);
    EXPECT_TRUE(openViews() == projected);
    EXPECT_EQ(projected.report.size(), 5u * 5u);
}

}  // namespace
}  // namespace quorvane
