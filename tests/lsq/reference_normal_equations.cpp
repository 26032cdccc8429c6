#include "reference_normal_equations.h"

#include <cmath>
#include <utility>

#include "data/extended_exp.h"
#include "data/floating_point.h"
#include "data/workspace.h"
#include "fit/model.h"

namespace quorvane::testing {

namespace {

// Symbols of the normal equations, always from the current workspace.
int components() {
    return workspace.componentCount;
}
int rateBase() {
    return (components() + 1) * workspace.curveCount;
}
int parameterIndex(int curve, int j) {
    return (curve - 1) * (components() + 1) + j;
}
long double logRate(int m) {
    return workspace.ParameterVector[rateBase() + m];
}
long double rate(int m) {
    return extendedExp(logRate(m));
}
long double amplitude(int curve, int m) {
    return workspace.ParameterVector[parameterIndex(curve, 1 + m)];
}
int points(int curve) {
    return workspace.pointCount[curve];
}
long double time(int curve, int i) {
    return workspace.curves[curve].times[i];
}
long double residual(int curve, int i) {
    return static_cast<long double>(workspace.curves[curve].values[i]) -
           evaluateModelAtPoint(curve, i);
}
// exp(-x*w[m]) and exp(k[m] - x*w[m]), the latter one exponential.
long double decay(int curve, int i, int m) {
    return extendedExp(-time(curve, i) * rate(m));
}
long double rateFactor(int curve, int i, int m) {
    return extendedExp(logRate(m) - time(curve, i) * rate(m));
}

// Step 1, j >= 2.
long double amplitudeOffsetEntry(int c, int j) {
    long double sum = 0.0L;
    for (int i = 1; i <= points(c); ++i)
        sum = sum + decay(c, i, j - 1);
    return sum;
}
long double amplitudeAmplitudeEntry(int c, int j, int l) {
    long double sum = 0.0L;
    for (int i = 1; i <= points(c); ++i)
        sum = sum + extendedExp(-time(c, i) * (rate(l - 1) + rate(j - 1)));
    return sum;
}

// Step 2.
long double rateOffsetEntry(int m, int c) {
    long double sum = 0.0L;
    for (int i = 1; i <= points(c); ++i)
        sum = sum + -amplitude(c, m) * time(c, i) * rateFactor(c, i, m);
    return sum;
}
long double rateAmplitudeEntry(int m, int c, int j) {
    long double sum = 0.0L;
    for (int i = 1; i <= points(c); ++i) {
        const long double x = time(c, i);
        long double term = -amplitude(c, m) * x * decay(c, i, j - 1) * rateFactor(c, i, m);
        if (j == m + 1)
            term = term - residual(c, i) * x * decay(c, i, m);
        sum = sum + term;
    }
    return sum;
}

// Step 3, one curve's subtotal and the sum over the curves.
long double rateRateSubtotal(int m, int l, int c) {
    long double sum = 0.0L;
    for (int i = 1; i <= points(c); ++i) {
        const long double x = time(c, i);
        sum = sum + amplitude(c, m) * amplitude(c, l) * (x * x) *
                        extendedExp(logRate(m) + logRate(l) - x * (rate(m) + rate(l)));
    }
    return sum;
}
long double rateRateEntry(int m, int l) {
    long double total = 0.0L;
    for (int c = 1; c <= workspace.curveCount; ++c)
        total = total + rateRateSubtotal(m, l, c);
    return total;
}

// Step 4: S[m], each point's term subtracted from its curve's subtotal.
long double secondOrderSubtotal(int m, int c) {
    long double sum = 0.0L;
    for (int i = 1; i <= points(c); ++i) {
        const long double x = time(c, i);
        const long double term =
            residual(c, i) * amplitude(c, m) * x * rateFactor(c, i, m) * (1.0L - x * rate(m));
        sum = sum - term;
    }
    return sum;
}
long double secondOrderCorrection(int m) {
    long double total = 0.0L;
    for (int c = 1; c <= workspace.curveCount; ++c)
        total = total + secondOrderSubtotal(m, c);
    return total;
}

// Gradient.
long double offsetGradientEntry(int c) {
    long double sum = 0.0L;
    for (int i = 1; i <= points(c); ++i)
        sum = sum + residual(c, i);
    return sum;
}
long double amplitudeGradientEntry(int c, int j) {
    long double sum = 0.0L;
    for (int i = 1; i <= points(c); ++i)
        sum = sum + residual(c, i) * decay(c, i, j - 1);
    return sum;
}
long double rateGradientEntry(int m) {
    long double total = 0.0L;
    for (int c = 1; c <= workspace.curveCount; ++c) {
        long double sum = 0.0L;
        for (int i = 1; i <= points(c); ++i)
            sum = sum + residual(c, i) * -1.0L * time(c, i) * amplitude(c, m) * rateFactor(c, i, m);
        total = total + sum;
    }
    return total;
}

}  // namespace

void referenceBuildNormalMatrix() {
    clearFloatingPointFaults();
    auto& matrix = workspace.normalMatrix;
    const int n = components();
    const int s = rateBase();
    const int size = s + n;
    for (int q = 1; q <= size; ++q)
        for (int l = 1; l <= size; ++l)
            matrix[q][l] = 0.0L;

    for (int c = 1; c <= workspace.curveCount; ++c) {
        for (int j = 1; j <= n + 1; ++j) {
            for (int l = 1; l <= j; ++l) {
                long double value;
                if (j == 1)
                    value = static_cast<long double>(points(c));
                else if (l == 1)
                    value = amplitudeOffsetEntry(c, j);
                else
                    value = amplitudeAmplitudeEntry(c, j, l);
                matrix[parameterIndex(c, j)][parameterIndex(c, l)] = value;
            }
        }
    }
    for (int m = 1; m <= n; ++m)
        for (int c = 1; c <= workspace.curveCount; ++c)
            for (int j = 1; j <= n + 1; ++j)
                matrix[s + m][parameterIndex(c, j)] =
                    j == 1 ? rateOffsetEntry(m, c) : rateAmplitudeEntry(m, c, j);
    for (int m = 1; m <= n; ++m)
        for (int l = 1; l <= m; ++l)
            matrix[s + m][s + l] = rateRateEntry(m, l);
    for (int m = 1; m <= n; ++m)
        matrix[s + m][s + m] = matrix[s + m][s + m] - secondOrderCorrection(m);
    for (int q = 1; q <= size; ++q)
        for (int l = 1; l <= q - 1; ++l)
            matrix[l][q] = matrix[q][l];
    for (int q = 1; q <= size; ++q)
        matrix[q][q] = matrix[q][q] * (workspace.lambda + 1.0L);
    checkFloatingPointFaults();
}

void referenceBuildGradientVector() {
    clearFloatingPointFaults();
    const int n = components();
    for (int c = 1; c <= workspace.curveCount; ++c)
        for (int j = 1; j <= n + 1; ++j)
            workspace.gradientVector[parameterIndex(c, j)] =
                j == 1 ? offsetGradientEntry(c) : amplitudeGradientEntry(c, j);
    for (int m = 1; m <= n; ++m)
        workspace.gradientVector[rateBase() + m] = rateGradientEntry(m);
    checkFloatingPointFaults();
}

void referenceSolveByElimination(MatrixStore& A, long double* b, long double* x, int size) {
    if (size <= 0)
        return;
    clearFloatingPointFaults();
    for (int i = 1; i <= size - 1; ++i) {
        if (A[i][i] == 0.0L) {
            for (int r = i + 1; r <= size; ++r) {
                if (A[r][i] != 0.0L) {
                    for (int c = i; c <= size; ++c)
                        std::swap(A[i][c], A[r][c]);
                    std::swap(b[i], b[r]);
                    break;
                }
            }
        }
        for (int r = i + 1; r <= size; ++r) {
            if (A[r][i] == 0.0L)
                continue;
            b[r] = b[r] / A[r][i] - b[i] / A[i][i];
            for (int c = i + 1; c <= size; ++c)
                A[r][c] = A[r][c] / A[r][i] - A[i][c] / A[i][i];
        }
        checkFloatingPointFaults();
    }
    const long double last = b[size] / A[size][size];
    checkFloatingPointFaults();
    x[size] = last;
    for (int j = 1; j <= size - 1; ++j) {
        const int p = size - j;
        long double sum = 0.0L;
        for (int k = 1; k <= j; ++k)
            sum = sum + A[p][p + k] * x[p + k];
        const long double value = (b[p] - sum) / A[p][p];
        checkFloatingPointFaults();
        x[p] = value;
    }
}

void referenceInvert(int size) {
    static MatrixStore workMatrix;
    static long double rightHandSide[kMaxParameters + 1];
    static long double solution[kMaxParameters + 1];
    for (int i = 1; i <= size; ++i) {
        for (int row = 1; row <= size; ++row)
            for (int column = 1; column <= size; ++column)
                workMatrix[row][column] = workspace.normalMatrix[row][column];
        for (int k = 1; k <= size; ++k) {
            rightHandSide[k] = k == i ? 1.0L : 0.0L;
            solution[k] = 0.0L;
        }
        referenceSolveByElimination(workMatrix, rightHandSide, solution, size);
        for (int k = 1; k <= size; ++k)
            workspace.covarianceMatrix[k][i] = solution[k];
    }
}

}  // namespace quorvane::testing
