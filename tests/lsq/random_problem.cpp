#include "random_problem.h"

#include <cmath>
#include <random>

#include "data/extended_exp.h"
#include "data/time_axes.h"
#include "data/workspace.h"
#include "fit/goodness_of_fit.h"
#include "lsq/normal_equations.h"
#include "reference_normal_equations.h"
#include "reference_sums.h"

namespace quorvane::testing {

void loadRandomProblem(const ProblemShape& shape) {
    std::mt19937_64 generator(shape.seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const int n = shape.components;
    workspace.componentCount = n;
    workspace.curveCount = shape.curves;
    workspace.lambda = shape.lambda;

    // Time constants log-uniform in 1e-6 .. 1e-1; the data follow others.
    long double shortest = 1.0L;
    long double longest = 0.0L;
    const int s = (n + 1) * shape.curves;
    long double trueRate[kMaxComponents + 1];
    for (int m = 1; m <= n; ++m) {
        const long double t = powl(10.0L, -6.0L + 5.0L * unit(generator));
        shortest = fminl(shortest, t);
        longest = fmaxl(longest, t);
        workspace.ParameterVector[s + m] = -logl(t);
        trueRate[m] = 1.0L / (t * (0.7L + 0.6L * unit(generator)));
    }

    for (int c = 1; c <= shape.curves; ++c) {
        const int base = (c - 1) * (n + 1);
        for (int j = 1; j <= n + 1; ++j)
            workspace.ParameterVector[base + j] = -1.0L + 2.0L * unit(generator);
        Curve& curve = workspace.curves[c];
        const int axisOwner = shape.axes == Axes::kOne                     ? 1
                              : shape.axes == Axes::kPerPair && c % 2 == 0 ? c - 1
                                                                           : c;
        if (axisOwner == c)
            workspace.pointCount[c] = 1 + static_cast<int>(shape.longestTrace * unit(generator));
        else
            workspace.pointCount[c] = workspace.pointCount[axisOwner];
        for (int i = 1; i <= workspace.pointCount[c]; ++i) {
            double x = workspace.curves[axisOwner].times[i];
            if (axisOwner == c) {
                const double choice = unit(generator);
                if (choice < 0.15)  // before time zero, at most half the shortest constant
                    x = -0.5 * static_cast<double>(shortest) * unit(generator);
                else if (choice < 0.2)
                    x = 0.0;
                else
                    x = std::pow(10.0,
                                 -7.0 + (std::log10(5.0 * static_cast<double>(longest)) + 7.0) *
                                            unit(generator));
            }
            curve.times[i] = x;
            long double value = 0.05L * (unit(generator) - 0.5);
            for (int m = 1; m <= n; ++m)
                value += (0.2L + 0.1L * m) * extendedExp(-x * trueRate[m]);
            curve.values[i] = static_cast<double>(value);
        }
    }
    noteCurveDataChanged();
}

IterationResults runIteration(bool fromReference) {
    const int size = fittedParameterCount();
    IterationResults results;
    if (fromReference) {
        referenceBuildNormalMatrix();
        referenceBuildGradientVector();
    } else {
        buildNormalMatrix();
        buildGradientVector();
    }
    results.matrix = leadingSquare(workspace.normalMatrix, size);
    results.gradient = leadingEntries(workspace.gradientVector, size);
    if (fromReference)
        referenceSolveByElimination(workspace.normalMatrix, workspace.gradientVector,
                                    workspace.stepVector, size);
    else
        solveStep();
    results.step = leadingEntries(workspace.stepVector, size);
    results.reducedMatrix = leadingSquare(workspace.normalMatrix, size);
    results.reducedGradient = leadingEntries(workspace.gradientVector, size);
    results.trialSum =
        fromReference ? referenceTrialSumSquaredResiduals() : trialSumSquaredResiduals();
    results.currentSum = fromReference ? referenceSumSquaredResiduals() : sumSquaredResiduals();
    return results;
}

std::string firstDifferenceOf(const IterationResults& actual, const IterationResults& expected) {
    const std::pair<const char*, std::vector<long double> IterationResults::*> parts[] = {
        {"matrix", &IterationResults::matrix},
        {"gradient", &IterationResults::gradient},
        {"step", &IterationResults::step},
        {"reduced matrix", &IterationResults::reducedMatrix},
        {"reduced gradient", &IterationResults::reducedGradient}};
    for (const auto& [name, part] : parts) {
        const int entry = firstDifference(actual.*part, expected.*part);
        if (entry >= 0)
            return std::string(name) + " entry " + std::to_string(entry);
    }
    if (!sameBits(actual.trialSum, expected.trialSum))
        return "trial sum";
    if (!sameBits(actual.currentSum, expected.currentSum))
        return "current sum";
    return "";
}

}  // namespace quorvane::testing
