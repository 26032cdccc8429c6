#include "lsq/curve_subtotals.h"

#include <cfenv>
#include <cmath>

#include "data/extended_exp.h"

namespace quorvane {

void prepareRateTable(RateTable& table, const long double* parameters) {
    const int n = workspace.componentCount;
    table.parameters = parameters;
    table.componentCount = n;
    table.curveCount = workspace.curveCount;
    table.rateBase = (n + 1) * workspace.curveCount;
    for (int m = 1; m <= n; ++m) {
        table.logRate[m] = parameters[table.rateBase + m];
        table.rate[m] = extendedExp(table.logRate[m]);
    }
    for (int m = 1; m <= n; ++m) {
        for (int l = 1; l <= m; ++l) {
            table.rateSum[m][l] = table.rate[l] + table.rate[m];
            table.logRateSum[m][l] = table.logRate[m] + table.logRate[l];
        }
    }
}

namespace {

constexpr FloatingPointFaults kFaultFlags = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;

// The fault flags of the x87 unit raised since the last call, cleared when
// any is set (the x87 flags only). The pass computes in extended precision,
// that is on the x87 unit; reading its status word costs a few cycles, a
// library call about ten times more, and this is read several times per
// point. The flags share their bit positions with FE_INVALID, FE_DIVBYZERO
// and FE_OVERFLOW. The memory clobber keeps the stores of the terms before
// it in place.
inline FloatingPointFaults takeX87Faults() {
    unsigned short status;
    asm volatile("fnstsw %0" : "=a"(status) : : "memory");
    const FloatingPointFaults faults = status & kFaultFlags;
    if (faults != 0)
        asm volatile("fnclex" : : : "memory");
    return faults;
}

// Everything else raised since (the SSE unit included), cleared.
FloatingPointFaults takeAllFaults() {
    const FloatingPointFaults faults = raisedFloatingPointFaults();
    if (faults != 0)
        clearFloatingPointFaults();
    return faults;
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

// Order of operations of every term (x = times[i] widened to extended, r the
// residual, A[m] = V[p(c,1+m)] of the table's parameter vector V, products and sums read left to
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
//   sum            : subtotal = subtotal + r * r
// Every subtotal other than step 4's adds its term: subtotal = subtotal + term.
// expl is taken through extendedExp, which equals it bit for bit.
//
// Faults: with more than one part, the flags are read after each group of
// values: E, the model and r count for every part; D for the matrix and the
// gradient; the matrix, gradient and sum terms for their own part. With one
// part everything counts for it.
template <bool kMatrix, bool kGradient, bool kSum>
void accumulate(int curve, const RateTable& table, CurveSubtotals& out) {
    constexpr bool kSeveralParts = (kMatrix + kGradient + kSum) > 1;
    constexpr bool kNeedsRateFactor = kMatrix || kGradient;
    const int n = table.componentCount;

    // Accumulated in a local copy: the compiler then knows that no store of
    // the pass can change the inputs it reads.
    CurveSubtotals subtotals;
    if constexpr (kMatrix)
        clearMatrixSubtotals(n, subtotals);
    if constexpr (kGradient)
        clearGradientSubtotals(n, subtotals);
    long double sumOfSquares = 0.0L;
    FloatingPointFaults matrixFaults = 0;
    FloatingPointFaults gradientFaults = 0;
    FloatingPointFaults sumFaults = 0;

    const long double* parameters = table.parameters;
    const int base = (curve - 1) * (n + 1);  // p(c,j) = base + j
    const long double offset = parameters[base + 1];
    long double amplitude[kMaxComponents + 1];
    for (int m = 1; m <= n; ++m)
        amplitude[m] = parameters[base + 1 + m];
    // A[m] * A[l], the same product for every point.
    long double amplitudeProduct[kMaxComponents + 1][kMaxComponents + 1];
    if constexpr (kMatrix) {
        for (int m = 1; m <= n; ++m)
            for (int l = 1; l <= m; ++l)
                amplitudeProduct[m][l] = amplitude[m] * amplitude[l];
        matrixFaults |= takeX87Faults();
    }
    const long double* rate = table.rate;
    const long double* logRate = table.logRate;

    const Curve& data = workspace.curves[curve];
    const int points = workspace.pointCount[curve];
    long double decay[kMaxComponents + 1];           // E[m]
    long double rateDerivative[kMaxComponents + 1];  // D[m]
    long double xTimesRate[kMaxComponents + 1];      // x * w[m]

    for (int i = 1; i <= points; ++i) {
        const long double x = data.times[i];
        const long double negativeX = -x;
        for (int m = 1; m <= n; ++m)
            decay[m] = extendedExp(negativeX * rate[m]);
        long double model = offset;
        for (int m = 1; m <= n; ++m)
            model = model + amplitude[m] * decay[m];
        const long double r = static_cast<long double>(data.values[i]) - model;
        if constexpr (kSeveralParts) {
            const FloatingPointFaults shared = takeX87Faults();
            matrixFaults |= shared;
            gradientFaults |= shared;
            sumFaults |= shared;
        }

        if constexpr (kNeedsRateFactor) {
            for (int m = 1; m <= n; ++m) {
                xTimesRate[m] = x * rate[m];
                rateDerivative[m] = extendedExp(logRate[m] - xTimesRate[m]);
            }
            if constexpr (kSeveralParts) {
                const FloatingPointFaults shared = takeX87Faults();
                matrixFaults |= shared;
                gradientFaults |= shared;
            }
        }

        if constexpr (kMatrix) {
            for (int j = 2; j <= n + 1; ++j) {
                long double* row = subtotals.coefficientBlock[j];
                row[1] = row[1] + decay[j - 1];
                const long double* rateSum = table.rateSum[j - 1];
                for (int l = 2; l <= j; ++l)
                    row[l] = row[l] + extendedExp(negativeX * rateSum[l - 1]);
            }
            const long double xSquared = x * x;
            const long double residualTimesX = r * x;
            for (int m = 1; m <= n; ++m) {
                const long double derivativeFactor = -amplitude[m] * x;
                const long double factor = rateDerivative[m];
                long double* row = subtotals.rateByCoefficient[m];
                row[1] = row[1] + derivativeFactor * factor;
                for (int j = 2; j <= n + 1; ++j) {
                    long double term = (derivativeFactor * decay[j - 1]) * factor;
                    if (j == m + 1)
                        term = term - residualTimesX * decay[m];
                    row[j] = row[j] + term;
                }
                long double* rateRow = subtotals.rateBlock[m];
                const long double* logRateSum = table.logRateSum[m];
                const long double* rateSum = table.rateSum[m];
                for (int l = 1; l <= m; ++l) {
                    const long double pair = extendedExp(logRateSum[l] - x * rateSum[l]);
                    rateRow[l] = rateRow[l] + (amplitudeProduct[m][l] * xSquared) * pair;
                }
                const long double secondOrderTerm =
                    (((r * amplitude[m]) * x) * factor) * (1.0L - xTimesRate[m]);
                subtotals.secondOrder[m] = subtotals.secondOrder[m] - secondOrderTerm;
            }
            if constexpr (kSeveralParts)
                matrixFaults |= takeX87Faults();
        }

        if constexpr (kGradient) {
            subtotals.coefficientGradient[1] = subtotals.coefficientGradient[1] + r;
            for (int j = 2; j <= n + 1; ++j)
                subtotals.coefficientGradient[j] =
                    subtotals.coefficientGradient[j] + r * decay[j - 1];
            const long double negativeResidualTimesX = (r * -1.0L) * x;
            for (int m = 1; m <= n; ++m)
                subtotals.rateGradient[m] =
                    subtotals.rateGradient[m] +
                    (negativeResidualTimesX * amplitude[m]) * rateDerivative[m];
            if constexpr (kSeveralParts)
                gradientFaults |= takeX87Faults();
        }

        if constexpr (kSum) {
            sumOfSquares = sumOfSquares + r * r;
            if constexpr (kSeveralParts)
                sumFaults |= takeX87Faults();
        }
    }

    // What is left: everything with one part, the SSE unit's flags (which
    // this pass does not use) with several.
    const FloatingPointFaults remaining = takeAllFaults();
    if constexpr (kMatrix) {
        out.matrixFaults = matrixFaults | remaining;
        for (int j = 2; j <= n + 1; ++j)
            for (int l = 1; l <= j; ++l)
                out.coefficientBlock[j][l] = subtotals.coefficientBlock[j][l];
        for (int m = 1; m <= n; ++m) {
            for (int j = 1; j <= n + 1; ++j)
                out.rateByCoefficient[m][j] = subtotals.rateByCoefficient[m][j];
            for (int l = 1; l <= m; ++l)
                out.rateBlock[m][l] = subtotals.rateBlock[m][l];
            out.secondOrder[m] = subtotals.secondOrder[m];
        }
    }
    if constexpr (kGradient) {
        out.gradientFaults = gradientFaults | remaining;
        for (int j = 1; j <= n + 1; ++j)
            out.coefficientGradient[j] = subtotals.coefficientGradient[j];
        for (int m = 1; m <= n; ++m)
            out.rateGradient[m] = subtotals.rateGradient[m];
    }
    if constexpr (kSum) {
        out.sumFaults = sumFaults | remaining;
        out.sumOfSquares = sumOfSquares;
    }
}

}  // namespace

void accumulateCurveSubtotals(int curve, const RateTable& table, unsigned parts,
                              CurveSubtotals& subtotals) {
    switch (parts & (kMatrixPart | kGradientPart | kSumPart)) {
        case kMatrixPart:
            return accumulate<true, false, false>(curve, table, subtotals);
        case kGradientPart:
            return accumulate<false, true, false>(curve, table, subtotals);
        case kSumPart:
            return accumulate<false, false, true>(curve, table, subtotals);
        case kMatrixPart | kGradientPart:
            return accumulate<true, true, false>(curve, table, subtotals);
        case kMatrixPart | kSumPart:
            return accumulate<true, false, true>(curve, table, subtotals);
        case kGradientPart | kSumPart:
            return accumulate<false, true, true>(curve, table, subtotals);
        case kMatrixPart | kGradientPart | kSumPart:
            return accumulate<true, true, true>(curve, table, subtotals);
        default:
            return;
    }
}

}  // namespace quorvane
