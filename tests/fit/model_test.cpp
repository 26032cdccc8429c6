#include "fit/model.h"

#include <cmath>
#include <cstring>

#include "data/error.h"
#include "data/extended_exp.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::addCurve;

class Model : public testing::WorkspaceTest {
  protected:
    // n components; the log-rates of time constants `timeConstants` after the
    // curve blocks of the curves already added.
    void setComponents(int n, std::initializer_list<long double> timeConstants) {
        workspace.componentCount = n;
        int k = 1;
        for (const long double t : timeConstants)
            workspace.ParameterVector[rateIndex(k++)] = -logl(t);
    }
};

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

TEST_F(Model, AtTimeZeroIsOffsetPlusAmplitudes) {
    addCurve({0.0}, {0.0});
    setComponents(3, {5e-6L, 1e-4L, 3e-3L});
    workspace.ParameterVector[1] = 0.25L;
    workspace.ParameterVector[2] = 0.5L;
    workspace.ParameterVector[3] = -0.125L;
    workspace.ParameterVector[4] = 0.0625L;
    EXPECT_EQ(evaluateModelAtPoint(1, 1), 0.6875L);
    EXPECT_EQ(evaluateModelAt(1, 0.0L), 0.6875L);
}

TEST_F(Model, WithoutComponentsIsTheOffsetAlone) {
    addCurve({1e-6}, {0.0});
    addCurve({1e-6}, {0.0});
    workspace.componentCount = 0;
    workspace.ParameterVector[1] = 0.25L;
    workspace.ParameterVector[2] = -0.5L;
    workspace.ParameterVector[3] = 7.0L;  // beyond the offsets: never read
    EXPECT_EQ(evaluateModelAtPoint(1, 1), 0.25L);
    EXPECT_EQ(evaluateModelAt(2, 3.0L), -0.5L);
}

TEST_F(Model, FarBeyondEveryTimeConstantIsTheOffset) {
    addCurve({1e3}, {0.0});
    setComponents(2, {5e-6L, 3e-3L});
    workspace.ParameterVector[1] = 0.002L;
    workspace.ParameterVector[2] = 0.05L;
    workspace.ParameterVector[3] = -0.04L;
    EXPECT_EQ(evaluateModelAtPoint(1, 1), 0.002L);
    EXPECT_NEAR(static_cast<double>(evaluateModelAt(1, 0.1L)), 0.002 - 0.04 * std::exp(-0.1 / 3e-3),
                1e-17);
    // The exponentials underflow to 0 silently.
    EXPECT_NO_THROW(checkFloatingPointFaults());
}

TEST_F(Model, NegativeTimeOverflowIsAFault) {
    // -t/t1 = 2e4 exceeds ln of the largest extended value (about 11356.5).
    addCurve({-2e4 * 5e-6}, {0.0});
    setComponents(1, {5e-6L});
    workspace.ParameterVector[1] = 0.0L;
    workspace.ParameterVector[2] = 0.0L;  // 0 * inf is invalid too: overflow is the root cause
    clearFloatingPointFaults();
    evaluateModelAtPoint(1, 1);
    try {
        checkFloatingPointFaults();
        ADD_FAILURE() << "no fault";
    } catch (const QuorvaneError& error) {
        EXPECT_EQ(error.message(), "Floating point overflow");
    }
    // Slightly before time zero E is just above 1, without any fault.
    workspace.ParameterVector[2] = 1.0L;
    EXPECT_GT(evaluateModelAt(1, -1e-6L), 1.0L);
    EXPECT_NO_THROW(checkFloatingPointFaults());
}

TEST_F(Model, StartValuesOneGiveOnePlusTheExponentials) {
    addCurve({2e-5}, {0.0});
    addCurve({2e-5}, {0.0});
    setComponents(3, {5e-6L, 1e-4L, 3e-3L});
    for (int m = 1; m <= 8; ++m)
        workspace.ParameterVector[m] = 1.0L;
    const long double t = workspace.curves[1].times[1];  // the double nearest 2e-5
    // The log-rates are read back from the workspace: constants would let the
    // compiler fold logl with a rounding of its own.
    const long double* rates = &workspace.ParameterVector[rateIndex(1)];
    const long double expected = 1.0L + extendedExp(-t * extendedExp(rates[0])) +
                                 extendedExp(-t * extendedExp(rates[1])) +
                                 extendedExp(-t * extendedExp(rates[2]));
    for (int c = 1; c <= 2; ++c) {
        EXPECT_EQ(evaluateModelAtPoint(c, 1), expected) << c;
        EXPECT_NEAR(static_cast<double>(evaluateModelAtPoint(c, 1)),
                    1.0 + std::exp(-4.0) + std::exp(-0.2) + std::exp(-2e-5 / 3e-3), 1e-15);
    }
}

TEST_F(Model, TimeConstantTypedAsTenEMinusSix) {
    addCurve({1e-5}, {0.0});
    workspace.componentCount = 1;
    const long double logRate = -logl(textToExtended("10e-6"));
    EXPECT_NEAR(static_cast<double>(logRate), 11.512925, 1e-6);
    workspace.ParameterVector[rateIndex(1)] = logRate;
    workspace.ParameterVector[1] = 0.0L;
    workspace.ParameterVector[2] = 1.0L;
    // A * exp(-100000 * 1e-5) = exp(-1).
    EXPECT_NEAR(static_cast<double>(evaluateModelAtPoint(1, 1)), std::exp(-1.0), 1e-16);
}

TEST_F(Model, OneComponent) {
    addCurve({3e-6}, {0.0});
    setComponents(1, {5e-6L});
    workspace.ParameterVector[1] = 0.01L;
    workspace.ParameterVector[2] = -0.03L;
    EXPECT_EQ(evaluateModelAtPoint(1, 1),
              0.01L + -0.03L * extendedExp(-extendedExp(workspace.ParameterVector[3]) *
                                           static_cast<long double>(3e-6)));
}

TEST_F(Model, SecondCurveReadsItsBlockAndTheSharedRates) {
    addCurve({1e-6}, {0.0});
    addCurve({1e-6, 7e-6}, {0.0, 0.0});
    workspace.componentCount = 2;
    // Curve 1's block holds values that would show if curve 2 read them.
    const long double entries[] = {0,     100,    200,          300,         0.004L,
                                   0.05L, -0.02L, -logl(2e-6L), -logl(9e-6L)};
    for (int m = 1; m <= 8; ++m)
        workspace.ParameterVector[m] = entries[m];
    workspace.ParameterVector[9] = 1e4L;  // a rate beyond the fitted ones: never read
    ASSERT_EQ(offsetIndex(2), 4);
    ASSERT_EQ(rateIndex(1), 7);
    for (int j = 1; j <= 2; ++j) {
        const long double t = workspace.curves[2].times[j];
        const long double expected =
            0.004L + 0.05L * extendedExp(-extendedExp(workspace.ParameterVector[7]) * t) +
            -0.02L * extendedExp(-extendedExp(workspace.ParameterVector[8]) * t);
        EXPECT_EQ(evaluateModelAtPoint(2, j), expected) << j;
    }
    EXPECT_NEAR(static_cast<double>(evaluateModelAtPoint(2, 2)),
                0.004 + 0.05 * std::exp(-3.5) - 0.02 * std::exp(-7.0 / 9.0), 1e-16);
}

TEST_F(Model, ThreeFormsAgreeBitwiseForEveryComponentCount) {
    const double times[] = {0.0, 1.3e-7, 4.7e-6, 2.2e-4, 0.031, 0.9};
    for (int n = 1; n <= kMaxComponents; ++n) {
        testing::resetWholeWorkspace();
        addCurve({std::begin(times), std::end(times)}, std::vector<double>(6, 0.0));
        addCurve({std::begin(times), std::end(times)}, std::vector<double>(6, 0.0));
        workspace.componentCount = n;
        for (int m = 1; m <= fittedParameterCount(); ++m) {
            workspace.ParameterVector[m] = 0.01L * m - 0.07L;
            workspace.trialVector[m] = workspace.ParameterVector[m];
        }
        for (int k = 1; k <= n; ++k)
            workspace.ParameterVector[rateIndex(k)] = workspace.trialVector[rateIndex(k)] =
                -logl(2e-7L * powl(4.0L, k));
        for (int c = 1; c <= 2; ++c) {
            for (int j = 1; j <= 6; ++j) {
                const long double point = evaluateModelAtPoint(c, j);
                const long double at = evaluateModelAt(c, workspace.curves[c].times[j]);
                const long double trial = evaluateTrialModelAtPoint(c, j);
                EXPECT_EQ(std::memcmp(&point, &at, 10), 0) << n << " " << c << " " << j;
                EXPECT_EQ(std::memcmp(&point, &trial, 10), 0) << n << " " << c << " " << j;
                EXPECT_EQ(point, literalModel(workspace.ParameterVector, c, times[j - 1]));
            }
        }
    }
}

TEST_F(Model, TrialFormReadsTheTrialVector) {
    addCurve({0.0}, {0.0});
    workspace.componentCount = 1;
    workspace.ParameterVector[1] = 1.0L;
    workspace.ParameterVector[2] = 2.0L;
    workspace.trialVector[1] = 0.5L;
    workspace.trialVector[2] = 0.25L;
    EXPECT_EQ(evaluateModelAtPoint(1, 1), 3.0L);
    EXPECT_EQ(evaluateTrialModelAtPoint(1, 1), 0.75L);
}

}  // namespace
}  // namespace quorvane
