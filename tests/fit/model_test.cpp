#include "fit/model.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "data/error.h"
#include "data/extended_exp.h"
#include "support/expect_error.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::addCurve;
using testing::sameBits;

class Model : public testing::WorkspaceTest {};

// Two curves of one point at `time`, n components with the blocks (Y0, A1..An)
// and the time constants given: the value of curve `curve` is `expected`
// (formed in double with std::exp) in all three forms, which give the same
// bits, and raises no fault.
void expectModelValue(int n, const std::vector<long double>& first,
                      const std::vector<long double>& second,
                      const std::vector<long double>& timeConstants, int curve, double time,
                      double expected, double tolerance) {
    testing::resetWholeWorkspace();
    addCurve({time}, {0.0});
    addCurve({time}, {0.0});
    workspace.componentCount = n;
    std::vector<long double> entries = first;
    entries.insert(entries.end(), second.begin(), second.end());
    for (const long double t : timeConstants)
        entries.push_back(-logl(t));
    entries.push_back(1e4L);  // a log-rate beyond the fitted ones: never read
    for (std::size_t m = 0; m < entries.size(); ++m)
        workspace.ParameterVector[m + 1] = workspace.trialVector[m + 1] = entries[m];
    const long double atPoint = evaluateModelAtPoint(curve, 1);
    EXPECT_NEAR(static_cast<double>(atPoint), expected, tolerance);
    EXPECT_TRUE(sameBits(evaluateModelAt(curve, time), atPoint));
    EXPECT_TRUE(sameBits(evaluateTrialModelAtPoint(curve, 1), atPoint));
    EXPECT_EQ(testing::errorOf(checkFloatingPointFaults), testing::kNoError);
}

TEST_F(Model, ValuesOfTheThreeForms) {
    // At t = 0: the offset plus the amplitudes.
    expectModelValue(3, {0.25L, 0.5L, -0.125L, 0.0625L}, {0, 0, 0, 0}, {5e-6L, 1e-4L, 3e-3L}, 1,
                     0.0, 0.6875, 0.0);
    // Far beyond every time constant: the offset, the exponentials
    // underflowing silently; then two components at a time between.
    expectModelValue(2, {0.002L, 0.05L, -0.04L}, {0, 0, 0}, {5e-6L, 3e-3L}, 1, 1e3, 0.002, 0.0);
    expectModelValue(2, {0.002L, 0.05L, -0.04L}, {0, 0, 0}, {5e-6L, 3e-3L}, 1, 0.1,
                     0.002 - 0.04 * std::exp(-0.1 / 3e-3), 1e-17);
    // The start values 1 of a first Start: 1 + the sum of the exponentials.
    expectModelValue(3, {1, 1, 1, 1}, {1, 1, 1, 1}, {5e-6L, 1e-4L, 3e-3L}, 2, 2e-5,
                     1.0 + std::exp(-4.0) + std::exp(-0.2) + std::exp(-2e-5 / 3e-3), 1e-15);
    // t1 typed as 10e-6 contributes A exp(-100000 t); one component.
    expectModelValue(1, {0, 1}, {0, 0}, {10e-6L}, 1, 1e-5, std::exp(-1.0), 1e-16);
    expectModelValue(1, {0.01L, -0.03L}, {0, 0}, {5e-6L}, 1, 3e-6, 0.01 - 0.03 * std::exp(-0.6),
                     1e-17);
    // Before time zero each exponential exceeds 1.
    expectModelValue(1, {0, 1}, {0, 0}, {5e-6L}, 1, -1e-6, std::exp(0.2), 1e-15);
    // Curve 2 reads entries 4..6 and the shared 7 and 8.
    expectModelValue(2, {100, 200, 300}, {0.004L, 0.05L, -0.02L}, {2e-6L, 9e-6L}, 2, 7e-6,
                     0.004 + 0.05 * std::exp(-3.5) - 0.02 * std::exp(-7.0 / 9.0), 1e-16);
    // No component yet (before the first Start): the offset alone.
    expectModelValue(0, {0.25L}, {-0.5L}, {}, 2, 3.0, -0.5, 0.0);
}

TEST_F(Model, TrialFormReadsTheTrialVector) {
    addCurve({0.0}, {0.0});
    testing::setParameters(1, {1.0L, 2.0L});
    workspace.trialVector[1] = 0.5L;
    workspace.trialVector[2] = 0.25L;
    EXPECT_EQ(evaluateModelAtPoint(1, 1), 3.0L);
    EXPECT_EQ(evaluateTrialModelAtPoint(1, 1), 0.75L);
}

TEST_F(Model, NegativeTimeOverflowIsAFault) {
    // -t/t1 = 2e4 exceeds ln of the largest extended value (about 11356.5);
    // 0 * inf is invalid too: overflow is the root cause.
    addCurve({-2e4 * 5e-6}, {0.0});
    workspace.componentCount = 1;
    workspace.ParameterVector[3] = -logl(5e-6L);
    evaluateModelAtPoint(1, 1);
    EXPECT_EQ(testing::errorOf(checkFloatingPointFaults), "Floating point overflow");
}

// The formula written out once more, term by term in the stated order.
long double literalModel(const long double* v, int curve, long double time) {
    const int n = workspace.componentCount;
    const int base = (curve - 1) * (n + 1);
    const int rates = (n + 1) * workspace.curveCount;
    long double sum = v[base + 1] + v[base + 2] * extendedExp(-extendedExp(v[rates + 1]) * time);
    for (int k = 2; k <= n; ++k)
        sum = sum + v[base + 1 + k] * extendedExp(-extendedExp(v[rates + k]) * time);
    return sum;
}

TEST_F(Model, OrderOfOperationsForEveryComponentCount) {
    const std::vector<double> times = {0.0, 1.3e-7, 4.7e-6, 2.2e-4, 0.031, 0.9};
    for (int n = 1; n <= kMaxComponents; ++n) {
        testing::resetWholeWorkspace();
        addCurve(times, std::vector<double>(6, 0.0));
        addCurve(times, std::vector<double>(6, 0.0));
        workspace.componentCount = n;
        for (int m = 1; m <= fittedParameterCount(); ++m)
            workspace.ParameterVector[m] = 0.01L * m - 0.07L;
        for (int k = 1; k <= n; ++k)
            workspace.ParameterVector[rateIndex(k)] = -logl(2e-7L * powl(4.0L, k));
        std::copy(workspace.ParameterVector, workspace.ParameterVector + kMaxParameters + 1,
                  workspace.trialVector);
        for (int c = 1; c <= 2; ++c) {
            for (int j = 1; j <= 6; ++j) {
                const long double point = evaluateModelAtPoint(c, j);
                EXPECT_TRUE(
                    sameBits(point, literalModel(workspace.ParameterVector, c, times[j - 1])))
                    << n << " components, curve " << c << ", point " << j;
                EXPECT_TRUE(sameBits(point, evaluateModelAt(c, times[j - 1])));
                EXPECT_TRUE(sameBits(point, evaluateTrialModelAtPoint(c, j)));
            }
        }
    }
}

}  // namespace
}  // namespace quorvane
