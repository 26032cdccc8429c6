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

void copyMatrixSubtotals(int n, const CurveSubtotals& from, CurveSubtotals& to) {
    copyCoefficientBlock(n, from, to);
    for (int m = 1; m <= n; ++m) {
        for (int j = 1; j <= n + 1; ++j)
            to.rateByCoefficient[m][j] = from.rateByCoefficient[m][j];
        for (int l = 1; l <= m; ++l)
            to.rateBlock[m][l] = from.rateBlock[m][l];
        to.secondOrder[m] = from.secondOrder[m];
    }
}

void copyGradientSubtotals(int n, const CurveSubtotals& from, CurveSubtotals& to) {
    for (int j = 1; j <= n + 1; ++j)
        to.coefficientGradient[j] = from.coefficientGradient[j];
    for (int m = 1; m <= n; ++m)
        to.rateGradient[m] = from.rateGradient[m];
}

// A block of the curve's own, formed when no shared block fits: one per
// thread.
alignas(64) thread_local long double privateStorage[kMaxExponentialRows * kBlockPoints];

// Rows of a block (exponentialRowCount): E, then D and x*w, then the pairs
// [a][b] and the rate block's [m][l], each triangle row by row.
int triangleIndex(int row, int column) {
    return row * (row - 1) / 2 + (column - 1);
}
int decayRow(int m) {
    return m - 1;
}
int rateDerivativeRow(int n, int m) {
    return n + m - 1;
}
int xTimesRateRow(int n, int m) {
    return 2 * n + m - 1;
}
int pairRow(int n, int a, int b) {
    return 3 * n + triangleIndex(a, b);
}
int ratePairRow(int n, int m, int l) {
    return 3 * n + n * (n + 1) / 2 + triangleIndex(m, l);
}

// Order of operations of every term (x = times[i] widened to extended, r the
// residual, A[m] = V[p(c,1+m)] of the table's parameter vector V, products
// and sums read left to right; `-A*x` is the negated amplitude times x):
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
// expl is taken through extendedExpBlock, which equals it bit for bit; the
// exponentials and x * w[m] of a point are the same values whichever curve
// of its time axis forms them, and a product formed once per point or once
// per use is the same value.
//
// Within a block the pass first forms every point's residual, then runs
// through the block's points once per subtotal, which it holds in a
// register meanwhile: each subtotal still adds its terms in increasing point
// order, and is read and written once per block instead of once per point.
//
// Faults: with more than one part, the flags are read after each group of
// values: E (in its block), the models and residuals count for every part;
// D and x * w (in the block) for the matrix and the gradient; the pair and
// rate block exponentials (in the block) and the matrix, gradient and sum
// terms for their own part. With one part everything counts for it.
template <bool kMatrix, bool kGradient, bool kSum>
void accumulate(int curve, const RateTable& table, int first, int last,
                const ExponentialBlock* shared, bool coefficientBlockShared, CurveSubtotals& out) {
    constexpr bool kSeveralParts = (kMatrix + kGradient + kSum) > 1;
    constexpr unsigned kParts =
        (kMatrix ? kMatrixPart : 0u) | (kGradient ? kGradientPart : 0u) | (kSum ? kSumPart : 0u);
    const int n = table.componentCount;

    // Accumulated in a local copy: the compiler then knows that no store of
    // the pass can change the inputs it reads.
    CurveSubtotals subtotals;
    long double sumOfSquares = 0.0L;
    FloatingPointFaults matrixFaults = 0;
    FloatingPointFaults gradientFaults = 0;
    FloatingPointFaults sumFaults = 0;
    if (first == 1) {
        if constexpr (kMatrix)
            clearMatrixSubtotals(n, subtotals);
        if constexpr (kGradient)
            clearGradientSubtotals(n, subtotals);
    } else {
        if constexpr (kMatrix) {
            copyMatrixSubtotals(n, out, subtotals);
            matrixFaults = out.matrixFaults;
        }
        if constexpr (kGradient) {
            copyGradientSubtotals(n, out, subtotals);
            gradientFaults = out.gradientFaults;
        }
        if constexpr (kSum) {
            sumOfSquares = out.sumOfSquares;
            sumFaults = out.sumFaults;
        }
    }

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

    const Curve& data = workspace.curves[curve];
    long double residual[kBlockPoints];

    for (int blockFirst = first, b = 0; blockFirst <= last; blockFirst += kBlockPoints, ++b) {
        const int count =
            last - blockFirst + 1 < kBlockPoints ? last - blockFirst + 1 : kBlockPoints;
        ExponentialBlock own;
        const ExponentialBlock* block = shared != nullptr ? &shared[b] : nullptr;
        if (block == nullptr) {
            formExponentialBlock(data.times, blockFirst, count, table, kParts, privateStorage, own);
            block = &own;
        }
        matrixFaults |= block->matrixFaults;
        gradientFaults |= block->gradientFaults;
        sumFaults |= block->sumFaults;

        const double* times = data.times + blockFirst;  // point blockFirst + i
        const double* values = data.values + blockFirst;
        auto row = [block, count](int r) { return block->values + r * count; };

        for (int i = 0; i < count; ++i) {
            long double model = offset;
            for (int m = 1; m <= n; ++m)
                model = model + amplitude[m] * row(decayRow(m))[i];
            residual[i] = static_cast<long double>(values[i]) - model;
        }
        if constexpr (kSeveralParts) {
            const FloatingPointFaults common = takeX87Faults();
            matrixFaults |= common;
            gradientFaults |= common;
            sumFaults |= common;
        }

        if constexpr (kMatrix) {
            if (!coefficientBlockShared) {
                for (int j = 2; j <= n + 1; ++j) {
                    long double* subtotal = subtotals.coefficientBlock[j];
                    const long double* decay = row(decayRow(j - 1));
                    long double sum = subtotal[1];
                    for (int i = 0; i < count; ++i)
                        sum = sum + decay[i];
                    subtotal[1] = sum;
                    for (int l = 2; l <= j; ++l) {
                        const long double* pair = row(pairRow(n, j - 1, l - 1));
                        sum = subtotal[l];
                        for (int i = 0; i < count; ++i)
                            sum = sum + pair[i];
                        subtotal[l] = sum;
                    }
                }
            }
            for (int m = 1; m <= n; ++m) {
                const long double negativeAmplitude = -amplitude[m];
                const long double* factor = row(rateDerivativeRow(n, m));
                long double* subtotal = subtotals.rateByCoefficient[m];
                long double sum = subtotal[1];
                for (int i = 0; i < count; ++i)
                    sum =
                        sum + (negativeAmplitude * static_cast<long double>(times[i])) * factor[i];
                subtotal[1] = sum;
                for (int j = 2; j <= n + 1; ++j) {
                    const long double* decay = row(decayRow(j - 1));
                    sum = subtotal[j];
                    if (j != m + 1) {
                        for (int i = 0; i < count; ++i) {
                            const long double x = times[i];
                            sum = sum + ((negativeAmplitude * x) * decay[i]) * factor[i];
                        }
                    } else {
                        for (int i = 0; i < count; ++i) {
                            const long double x = times[i];
                            sum = sum + ((((negativeAmplitude * x) * decay[i]) * factor[i]) -
                                         ((residual[i] * x) * decay[i]));
                        }
                    }
                    subtotal[j] = sum;
                }
                long double* rateSubtotal = subtotals.rateBlock[m];
                for (int l = 1; l <= m; ++l) {
                    const long double product = amplitudeProduct[m][l];
                    const long double* pair = row(ratePairRow(n, m, l));
                    sum = rateSubtotal[l];
                    for (int i = 0; i < count; ++i) {
                        const long double x = times[i];
                        sum = sum + (product * (x * x)) * pair[i];
                    }
                    rateSubtotal[l] = sum;
                }
                const long double* xTimesRate = row(xTimesRateRow(n, m));
                const long double ownAmplitude = amplitude[m];
                sum = subtotals.secondOrder[m];
                for (int i = 0; i < count; ++i) {
                    const long double x = times[i];
                    sum = sum - ((((residual[i] * ownAmplitude) * x) * factor[i]) *
                                 (1.0L - xTimesRate[i]));
                }
                subtotals.secondOrder[m] = sum;
            }
            if constexpr (kSeveralParts)
                matrixFaults |= takeX87Faults();
        }

        if constexpr (kGradient) {
            long double sum = subtotals.coefficientGradient[1];
            for (int i = 0; i < count; ++i)
                sum = sum + residual[i];
            subtotals.coefficientGradient[1] = sum;
            for (int j = 2; j <= n + 1; ++j) {
                const long double* decay = row(decayRow(j - 1));
                sum = subtotals.coefficientGradient[j];
                for (int i = 0; i < count; ++i)
                    sum = sum + residual[i] * decay[i];
                subtotals.coefficientGradient[j] = sum;
            }
            for (int m = 1; m <= n; ++m) {
                const long double ownAmplitude = amplitude[m];
                const long double* factor = row(rateDerivativeRow(n, m));
                sum = subtotals.rateGradient[m];
                for (int i = 0; i < count; ++i) {
                    const long double x = times[i];
                    sum = sum + (((residual[i] * -1.0L) * x) * ownAmplitude) * factor[i];
                }
                subtotals.rateGradient[m] = sum;
            }
            if constexpr (kSeveralParts)
                gradientFaults |= takeX87Faults();
        }

        if constexpr (kSum) {
            for (int i = 0; i < count; ++i)
                sumOfSquares = sumOfSquares + residual[i] * residual[i];
            if constexpr (kSeveralParts)
                sumFaults |= takeX87Faults();
        }
    }

    // What is left: everything with one part, the SSE unit's flags (which
    // this pass does not use) with several.
    const FloatingPointFaults remaining = takeAllFaults();
    if constexpr (kMatrix) {
        out.matrixFaults = matrixFaults | remaining;
        copyMatrixSubtotals(n, subtotals, out);
    }
    if constexpr (kGradient) {
        out.gradientFaults = gradientFaults | remaining;
        copyGradientSubtotals(n, subtotals, out);
    }
    if constexpr (kSum) {
        out.sumFaults = sumFaults | remaining;
        out.sumOfSquares = sumOfSquares;
    }
}

}  // namespace

void copyCoefficientBlock(int componentCount, const CurveSubtotals& from, CurveSubtotals& to) {
    for (int j = 2; j <= componentCount + 1; ++j)
        for (int l = 1; l <= j; ++l)
            to.coefficientBlock[j][l] = from.coefficientBlock[j][l];
}

int exponentialRowCount(int componentCount, unsigned parts) {
    const int n = componentCount;
    if (parts & kMatrixPart)
        return 3 * n + n * (n + 1);
    if (parts & kGradientPart)
        return 3 * n;
    return n;
}

// Arguments are formed row by row in place, then each kind's rows go through
// extendedExpBlock at once; the flags are read after each kind, so that a
// fault is charged only to the parts that use the values that raised it.
void formExponentialBlock(const double* times, int first, int count, const RateTable& table,
                          unsigned parts, long double* storage, ExponentialBlock& block) {
    const int n = table.componentCount;
    const double* x = times + first;  // x[i] is point first+i
    auto row = [storage, count](int r) { return storage + r * count; };

    for (int m = 1; m <= n; ++m) {
        long double* arguments = row(decayRow(m));
        const long double rate = table.rate[m];
        for (int i = 0; i < count; ++i)
            arguments[i] = -static_cast<long double>(x[i]) * rate;
    }
    FloatingPointFaults decayFaults = takeAllFaults();
    decayFaults |= extendedExpBlock(row(decayRow(1)), row(decayRow(1)), n * count);

    FloatingPointFaults rateFactorFaults = 0;
    if (parts & (kMatrixPart | kGradientPart)) {
        for (int m = 1; m <= n; ++m) {
            long double* xTimesRate = row(xTimesRateRow(n, m));
            long double* arguments = row(rateDerivativeRow(n, m));
            const long double rate = table.rate[m];
            const long double logRate = table.logRate[m];
            for (int i = 0; i < count; ++i) {
                xTimesRate[i] = static_cast<long double>(x[i]) * rate;
                arguments[i] = logRate - xTimesRate[i];
            }
        }
        rateFactorFaults = takeAllFaults();
        rateFactorFaults |=
            extendedExpBlock(row(rateDerivativeRow(n, 1)), row(rateDerivativeRow(n, 1)), n * count);
    }

    FloatingPointFaults matrixOnlyFaults = 0;
    if (parts & kMatrixPart) {
        for (int a = 1; a <= n; ++a) {
            for (int b = 1; b <= a; ++b) {
                long double* arguments = row(pairRow(n, a, b));
                const long double rateSum = table.rateSum[a][b];
                for (int i = 0; i < count; ++i)
                    arguments[i] = -static_cast<long double>(x[i]) * rateSum;
            }
        }
        for (int m = 1; m <= n; ++m) {
            for (int l = 1; l <= m; ++l) {
                long double* arguments = row(ratePairRow(n, m, l));
                const long double rateSum = table.rateSum[m][l];
                const long double logRateSum = table.logRateSum[m][l];
                for (int i = 0; i < count; ++i)
                    arguments[i] = logRateSum - static_cast<long double>(x[i]) * rateSum;
            }
        }
        matrixOnlyFaults = takeAllFaults();
        matrixOnlyFaults |=
            extendedExpBlock(row(pairRow(n, 1, 1)), row(pairRow(n, 1, 1)), n * (n + 1) * count);
    }

    block.count = count;
    block.values = storage;
    block.sumFaults = (parts & kSumPart) ? decayFaults : 0;
    block.gradientFaults = (parts & kGradientPart) ? decayFaults | rateFactorFaults : 0;
    block.matrixFaults =
        (parts & kMatrixPart) ? decayFaults | rateFactorFaults | matrixOnlyFaults : 0;
}

void accumulateCurveSubtotals(int curve, const RateTable& table, unsigned parts, int first,
                              int last, const ExponentialBlock* shared, bool coefficientBlockShared,
                              CurveSubtotals& subtotals) {
    switch (parts & (kMatrixPart | kGradientPart | kSumPart)) {
        case kMatrixPart:
            return accumulate<true, false, false>(curve, table, first, last, shared,
                                                  coefficientBlockShared, subtotals);
        case kGradientPart:
            return accumulate<false, true, false>(curve, table, first, last, shared,
                                                  coefficientBlockShared, subtotals);
        case kSumPart:
            return accumulate<false, false, true>(curve, table, first, last, shared,
                                                  coefficientBlockShared, subtotals);
        case kMatrixPart | kGradientPart:
            return accumulate<true, true, false>(curve, table, first, last, shared,
                                                 coefficientBlockShared, subtotals);
        case kMatrixPart | kSumPart:
            return accumulate<true, false, true>(curve, table, first, last, shared,
                                                 coefficientBlockShared, subtotals);
        case kGradientPart | kSumPart:
            return accumulate<false, true, true>(curve, table, first, last, shared,
                                                 coefficientBlockShared, subtotals);
        case kMatrixPart | kGradientPart | kSumPart:
            return accumulate<true, true, true>(curve, table, first, last, shared,
                                                coefficientBlockShared, subtotals);
        default:
            return;
    }
}

}  // namespace quorvane
