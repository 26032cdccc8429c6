#include "lsq/curve_subtotals.h"

#include <cmath>

namespace quorvane {

void prepareRateTable(RateTable& table) {
    const int n = workspace.componentCount;
    table.componentCount = n;
    table.curveCount = workspace.curveCount;
    table.rateBase = (n + 1) * workspace.curveCount;
    for (int m = 1; m <= n; ++m) {
        table.logRate[m] = workspace.ParameterVector[table.rateBase + m];
        table.rate[m] = expl(table.logRate[m]);
    }
    for (int m = 1; m <= n; ++m) {
        for (int l = 1; l <= m; ++l) {
            table.rateSum[m][l] = table.rate[l] + table.rate[m];
            table.logRateSum[m][l] = table.logRate[m] + table.logRate[l];
        }
    }
}

namespace {

bool includes(CurveParts parts, CurveParts part) {
    return (static_cast<int>(parts) & static_cast<int>(part)) != 0;
}

void clearMatrixSubtotals(int n, CurveSubtotals& subtotals) {
    for (int j = 2; j <= n + 1; ++j)
        for (int l = 1; l <= j; ++l)
            subtotals.coefficientBlock[j][l] = 0.0L;
    for (int m = 1; m <= n; ++m) {
        for (int j = 1; j <= n + 1; ++j)
            subtotals.rateByCoefficient[m][j] = 0.0L;
        for (int l = 1; l <= m; ++l)
            subtotals.rateBlock[m][l] = 0.0L;
        subtotals.secondOrder[m] = 0.0L;
    }
}

void clearGradientSubtotals(int n, CurveSubtotals& subtotals) {
    for (int j = 1; j <= n + 1; ++j)
        subtotals.coefficientGradient[j] = 0.0L;
    for (int m = 1; m <= n; ++m)
        subtotals.rateGradient[m] = 0.0L;
}

}  // namespace

// Order of operations of every term (x = times[i] widened to extended, r the
// residual, A[m] = ParameterVector[p(c,1+m)], products and sums read left to
// right; `-A*x` is the negated amplitude times x):
//   E[m]  = expl((-x) * w[m])            D[m] = expl(k[m] - (x * w[m]))
//   model = Y0, then model = model + A[m]*E[m] for m = 1..n
//           (evaluateModelAtPoint's order: Y0 + A[1]*E[1] first, then the
//           rest; (-rate)*time there equals (-x)*w[m] here because negation
//           is exact and multiplication commutative)
//   r     = values[i] (widened) - model
//   step 1   [j][1]: E[j-1]
//            [j][l]: expl((-x) * (w[l-1] + w[j-1]))
//   step 2   [m][1]: ((-A[m]) * x) * D[m]
//            [m][j]: (((-A[m]) * x) * E[j-1]) * D[m]                 j != m+1
//          [m][m+1]: ((((-A[m]) * x) * E[m]) * D[m]) - ((r * x) * E[m])
//   step 3   [m][l]: ((A[m] * A[l]) * (x * x)) * expl((k[m] + k[l]) - (x * (w[m] + w[l])))
//   step 4      [m]: subtotal = subtotal - ((((r * A[m]) * x) * D[m]) * (1 - (x * w[m])))
//   gradient    [1]: r
//               [j]: r * E[j-1]
//         rate [m]: (((r * (-1)) * x) * A[m]) * D[m]
// Every subtotal other than step 4's adds its term: subtotal = subtotal + term.
void accumulateCurveSubtotals(int curve, const RateTable& table, CurveParts parts,
                              CurveSubtotals& subtotals) {
    const int n = table.componentCount;
    const bool matrix = includes(parts, CurveParts::Matrix);
    const bool gradient = includes(parts, CurveParts::Gradient);
    if (matrix)
        clearMatrixSubtotals(n, subtotals);
    if (gradient)
        clearGradientSubtotals(n, subtotals);

    const long double* parameters = workspace.ParameterVector;
    const int base = (curve - 1) * (n + 1);  // p(c,j) = base + j
    const long double offset = parameters[base + 1];
    long double amplitude[kMaxComponents + 1];
    for (int m = 1; m <= n; ++m)
        amplitude[m] = parameters[base + 1 + m];
    const long double* rate = table.rate;
    const long double* logRate = table.logRate;

    const Curve& data = workspace.curves[curve];
    const int points = workspace.pointCount[curve];
    long double decay[kMaxComponents + 1];           // E[m]
    long double rateDerivative[kMaxComponents + 1];  // D[m]

    for (int i = 1; i <= points; ++i) {
        const long double x = data.times[i];
        for (int m = 1; m <= n; ++m) {
            decay[m] = expl(-x * rate[m]);
            rateDerivative[m] = expl(logRate[m] - x * rate[m]);
        }
        long double model = offset;
        for (int m = 1; m <= n; ++m)
            model = model + amplitude[m] * decay[m];
        const long double r = static_cast<long double>(data.values[i]) - model;

        if (matrix) {
            for (int j = 2; j <= n + 1; ++j) {
                subtotals.coefficientBlock[j][1] += decay[j - 1];
                for (int l = 2; l <= j; ++l)
                    subtotals.coefficientBlock[j][l] += expl(-x * table.rateSum[j - 1][l - 1]);
            }
            const long double xSquared = x * x;
            for (int m = 1; m <= n; ++m) {
                const long double derivativeFactor = -amplitude[m] * x;
                subtotals.rateByCoefficient[m][1] += derivativeFactor * rateDerivative[m];
                for (int j = 2; j <= n + 1; ++j) {
                    long double term = (derivativeFactor * decay[j - 1]) * rateDerivative[m];
                    if (j == m + 1)
                        term = term - (r * x) * decay[m];
                    subtotals.rateByCoefficient[m][j] += term;
                }
                for (int l = 1; l <= m; ++l) {
                    const long double pair = expl(table.logRateSum[m][l] - x * table.rateSum[m][l]);
                    subtotals.rateBlock[m][l] += ((amplitude[m] * amplitude[l]) * xSquared) * pair;
                }
                const long double secondOrderTerm =
                    (((r * amplitude[m]) * x) * rateDerivative[m]) * (1.0L - x * rate[m]);
                subtotals.secondOrder[m] = subtotals.secondOrder[m] - secondOrderTerm;
            }
        }

        if (gradient) {
            subtotals.coefficientGradient[1] += r;
            for (int j = 2; j <= n + 1; ++j)
                subtotals.coefficientGradient[j] += r * decay[j - 1];
            for (int m = 1; m <= n; ++m)
                subtotals.rateGradient[m] += (((r * -1.0L) * x) * amplitude[m]) * rateDerivative[m];
        }
    }
}

}  // namespace quorvane
