// The variance–covariance block of a fit with the instrument response: with
// a response far narrower than every time, the model is the plain
// exponential sum, and the block must be the one the designed command finds
// (the inverse of the normal matrix, whose second-order terms vanish on
// noiseless data at the minimum).
#include <gtest/gtest.h>

#include <cmath>

#include "data/number_format.h"
#include "data/number_text.h"
#include "fit/fit_driver.h"
#include "fit/response_model.h"
#include "fit/start_log.h"
#include "support/synthetic_traces.h"
#include "views/covariance_report.h"

namespace quorvane {
namespace {

TEST(ResponseCovariance, MatchesTheDesignedBlockWhereTheResponseVanishes) {
    testing::resetWholeWorkspace();
    responseModel = ResponseModel{};
    for (unsigned seed = 1; seed <= 3; ++seed)
        testing::addDecay({0.01L * seed, {0.5L, -0.3L * seed, 0.2L}, {5e-6L, 3e-4L, 2e-3L}});
    StartBoxes boxes = testing::startBoxes("3", "100", {"1e-5", "1e-4", "1e-3"});
    runStart(boxes, {}, FitMethod::VariableProjection);
    const CovarianceBlock designed = computeCovarianceBlock();

    // From the time constants the first fit wrote back.
    boxes = testing::startBoxes("3", "100", {"1e-5", "1e-4", "1e-3"});
    boxes.response.enabled = true;
    boxes.response.fwhm = formatGeneral15(1e-13L);
    boxes.response.fitFwhm = false;
    boxes.response.fitCentre = false;
    runStart(boxes, {}, FitMethod::VariableProjection);
    ASSERT_TRUE(responseModel.active);
    const CovarianceBlock withResponse = computeCovarianceBlock();

    ASSERT_EQ(withResponse.size, 3);
    for (int a = 1; a <= 3; ++a) {
        for (int b = 1; b <= 3; ++b) {
            const long double expected = textToExtended(designed.cell(a, b));
            EXPECT_NEAR(textToExtended(withResponse.cell(a, b)), expected,
                        1e-5L * fabsl(expected) + 2e-6L)
                << a << ' ' << b;
        }
    }
}

}  // namespace
}  // namespace quorvane
