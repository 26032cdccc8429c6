// The results a build of the normal equations forms besides the matrix: the
// gradient and the current sum of squared residuals. One pass over the
// points forms the residuals and exponentials that all three need, so
// buildNormalMatrix keeps the gradient and the sum here, and
// buildGradientVector and sumSquaredResiduals take them from here instead of
// forming them again, as long as their inputs are exactly the build's.
//
// Validity: the stored results belong to the inputs of the build that formed
// them: componentCount, curveCount, the point counts of curves 1..C,
// ParameterVector[1..N] (bit for bit) and the curve data, known by their
// generation (data/time_axes.h): whatever writes curve data announces it, so
// a moved generation means other data. Anything else a build reads (lambda)
// does not enter the gradient or the sum. A lookup whose inputs differ finds
// nothing, and the caller forms its result directly; so a stored result is
// always the one a direct evaluation would give.
//
// Faults: the flags each result would have raised had it been formed on its
// own are stored with it and handed back with the value.
#pragma once

#include "data/floating_point.h"

namespace quorvane {

// Called by the build before its pass: forgets the stored results and
// records the inputs (counts, point counts, parameters, the curve data's
// generation) of the current workspace.
void beginBuildResults();

// Where the build writes its gradient, entries 1..N.
long double* buildGradientStore();

// Called by the build after a pass without a fault of the matrix: the
// gradient in buildGradientStore() and the sum are valid from now on.
void completeBuildResults(FloatingPointFaults gradientFaults, long double sumOfSquares,
                          FloatingPointFaults sumFaults);

// Drops the stored results (for instance when the build fails).
void forgetBuildResults();

// True and the stored values when the current workspace holds exactly the
// inputs of the completed build.
bool lookUpBuildGradient(const long double*& gradient, FloatingPointFaults& faults);
bool lookUpBuildSumOfSquares(long double& sum, FloatingPointFaults& faults);

}  // namespace quorvane
