#include "lsq/curve_subtotals.h"

#include "lsq/exponential_sum.h"

namespace quorvane {

namespace {

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

// A batch of the curve's own, formed when no shared batch fits: one per
// thread.
alignas(64) thread_local long double privateStorage[kMaxExponentialRows * kBatchPoints];

// Order of operations of every term (x = times[i] widened to extended, r the
// residual, A[m] = V[amplitudeIndex(c, m)] of the table's parameter vector
// V, products and sums read left to right; `-A*x` is the negated amplitude
// times x; E, D, the pairs and the rate block's exponentials as in
// exponential_batch.h):
//   model = Y0 + A[1]*E[1], then model = model + A[m]*E[m] for m = 2..n
//           (exponentialSum, evaluateModelAtPoint's own order)
//   r     = values[i] (widened) - model
//   step 1   [j][1]: E[j-1]
//            [j][l]: pair[j-1][l-1]
//   step 2   [m][1]: ((-A[m]) * x) * D[m]
//            [m][j]: (((-A[m]) * x) * E[j-1]) * D[m]                 j != m+1
//          [m][m+1]: ((((-A[m]) * x) * E[m]) * D[m]) - ((r * x) * E[m])
//   step 3   [m][l]: ((A[m] * A[l]) * (x * x)) * rate[m][l]
//   step 4      [m]: subtotal = subtotal - ((((r * A[m]) * x) * D[m]) * (1 - (x * w[m])))
//   gradient    [1]: r
//               [j]: r * E[j-1]
//         rate [m]: (((r * (-1)) * x) * A[m]) * D[m]
//   sum            : subtotal = subtotal + r * r
// Every subtotal other than step 4's adds its term: subtotal = subtotal + term.
// The exponentials and x * w[m] of a point are the same values whichever
// curve of its time axis forms them, and a product formed once per point or
// once per use is the same value.
//
// Within a batch the pass first forms every point's residual, then runs
// through the batch's points once per subtotal, which a kernel below holds
// in a register meanwhile: each subtotal still adds its terms in increasing
// point order, and is read and written once per batch instead of once per
// point.

// What the kernels read of one batch of one curve's points.
struct PassBatch {
    int n;
    int count;
    const ExponentialBatch* exponentials;
    const double* times;                // times[i]: the batch's point i
    const long double* residual;        // r of point i
    const long double* coefficients;    // [0] the offset Y0, [m] the amplitude A[m]
    const long double* amplitudeProduct;  // [m * (kMaxComponents + 1) + l] = A[m] * A[l], l <= m

    const long double* row(int r) const { return exponentials->row(r); }
    long double time(int i) const { return static_cast<long double>(times[i]); }
};

void formResiduals(const PassBatch& batch, const double* values, long double* residual) {
    const long double* decays = batch.row(decayRow(1));
    for (int i = 0; i < batch.count; ++i)
        residual[i] = static_cast<long double>(values[i]) -
                      exponentialSum(batch.coefficients, decays + i, batch.count, batch.n);
}

// Step 1: the curve's own block, from the exponentials alone.
void addCoefficientBlock(const PassBatch& batch, CurveSubtotals& subtotals) {
    const int n = batch.n;
    for (int j = 2; j <= n + 1; ++j) {
        long double* subtotal = subtotals.coefficientBlock[j];
        const long double* decay = batch.row(decayRow(j - 1));
        long double sum = subtotal[1];
        for (int i = 0; i < batch.count; ++i)
            sum = sum + decay[i];
        subtotal[1] = sum;
        for (int l = 2; l <= j; ++l) {
            const long double* pair = batch.row(pairRow(n, j - 1, l - 1));
            sum = subtotal[l];
            for (int i = 0; i < batch.count; ++i)
                sum = sum + pair[i];
            subtotal[l] = sum;
        }
    }
}

// Step 2, row m: [s+m][p(c,j)] for j = 1..n+1.
void addRateByCoefficientRow(const PassBatch& batch, int m, CurveSubtotals& subtotals) {
    const int n = batch.n;
    const long double negativeAmplitude = -batch.coefficients[m];
    const long double* factor = batch.row(rateDerivativeRow(n, m));
    long double* subtotal = subtotals.rateByCoefficient[m];
    long double sum = subtotal[1];
    for (int i = 0; i < batch.count; ++i)
        sum = sum + (negativeAmplitude * batch.time(i)) * factor[i];
    subtotal[1] = sum;
    for (int j = 2; j <= n + 1; ++j) {
        const long double* decay = batch.row(decayRow(j - 1));
        sum = subtotal[j];
        if (j != m + 1) {
            for (int i = 0; i < batch.count; ++i) {
                const long double x = batch.time(i);
                sum = sum + ((negativeAmplitude * x) * decay[i]) * factor[i];
            }
        } else {
            for (int i = 0; i < batch.count; ++i) {
                const long double x = batch.time(i);
                sum = sum + ((((negativeAmplitude * x) * decay[i]) * factor[i]) -
                             ((batch.residual[i] * x) * decay[i]));
            }
        }
        subtotal[j] = sum;
    }
}

// Step 3, row m: this curve's part of [s+m][s+l] for l = 1..m.
void addRateBlockRow(const PassBatch& batch, int m, CurveSubtotals& subtotals) {
    long double* subtotal = subtotals.rateBlock[m];
    for (int l = 1; l <= m; ++l) {
        const long double product = batch.amplitudeProduct[m * (kMaxComponents + 1) + l];
        const long double* pair = batch.row(ratePairRow(batch.n, m, l));
        long double sum = subtotal[l];
        for (int i = 0; i < batch.count; ++i) {
            const long double x = batch.time(i);
            sum = sum + (product * (x * x)) * pair[i];
        }
        subtotal[l] = sum;
    }
}

// Step 4, component m: this curve's part of S[m].
void addSecondOrder(const PassBatch& batch, int m, CurveSubtotals& subtotals) {
    const long double* factor = batch.row(rateDerivativeRow(batch.n, m));
    const long double* xTimesRate = batch.row(xTimesRateRow(batch.n, m));
    const long double amplitude = batch.coefficients[m];
    long double sum = subtotals.secondOrder[m];
    for (int i = 0; i < batch.count; ++i) {
        const long double x = batch.time(i);
        sum = sum -
              ((((batch.residual[i] * amplitude) * x) * factor[i]) * (1.0L - xTimesRate[i]));
    }
    subtotals.secondOrder[m] = sum;
}

// Steps 1 to 4; components in increasing order, each with its rows of steps
// 2 and 3 and its step 4, so that one pass over a component reads D_m once.
void addMatrixTerms(const PassBatch& batch, bool coefficientBlockShared,
                    CurveSubtotals& subtotals) {
    if (!coefficientBlockShared)
        addCoefficientBlock(batch, subtotals);
    for (int m = 1; m <= batch.n; ++m) {
        addRateByCoefficientRow(batch, m, subtotals);
        addRateBlockRow(batch, m, subtotals);
        addSecondOrder(batch, m, subtotals);
    }
}

void addGradientTerms(const PassBatch& batch, CurveSubtotals& subtotals) {
    const int n = batch.n;
    long double sum = subtotals.coefficientGradient[1];
    for (int i = 0; i < batch.count; ++i)
        sum = sum + batch.residual[i];
    subtotals.coefficientGradient[1] = sum;
    for (int j = 2; j <= n + 1; ++j) {
        const long double* decay = batch.row(decayRow(j - 1));
        sum = subtotals.coefficientGradient[j];
        for (int i = 0; i < batch.count; ++i)
            sum = sum + batch.residual[i] * decay[i];
        subtotals.coefficientGradient[j] = sum;
    }
    for (int m = 1; m <= n; ++m) {
        const long double amplitude = batch.coefficients[m];
        const long double* factor = batch.row(rateDerivativeRow(n, m));
        sum = subtotals.rateGradient[m];
        for (int i = 0; i < batch.count; ++i) {
            const long double x = batch.time(i);
            sum = sum + (((batch.residual[i] * -1.0L) * x) * amplitude) * factor[i];
        }
        subtotals.rateGradient[m] = sum;
    }
}

long double addSquaredResiduals(const PassBatch& batch, long double sum) {
    for (int i = 0; i < batch.count; ++i)
        sum = sum + batch.residual[i] * batch.residual[i];
    return sum;
}

// Faults: with more than one part, they are taken after each group of
// values: E (in its batch), the models and residuals count for every part;
// D and x * w (in the batch) for the matrix and the gradient; the pair and
// rate block exponentials (in the batch) and the matrix, gradient and sum
// terms for their own part. With one part everything counts for it, and
// the faults are taken once, at the end.
template <bool kMatrix, bool kGradient, bool kSum>
void accumulate(int curve, const RateTable& table, int first, int last,
                const ExponentialBatch* shared, bool coefficientBlockShared, CurveSubtotals& out) {
    constexpr bool kSeveralParts = (kMatrix + kGradient + kSum) > 1;
    constexpr unsigned kParts =
        (kMatrix ? kMatrixPart : 0u) | (kGradient ? kGradientPart : 0u) | (kSum ? kSumPart : 0u);
    const int n = table.componentCount;

    // Accumulated in a local copy: the compiler then knows that no store of
    // the pass can change the inputs it reads.
    CurveSubtotals subtotals;
    long double sumOfSquares = 0.0L;
    PartFaults faults;
    if (first == 1) {
        if constexpr (kMatrix)
            clearMatrixSubtotals(n, subtotals);
        if constexpr (kGradient)
            clearGradientSubtotals(n, subtotals);
    } else {
        if constexpr (kMatrix)
            copyMatrixSubtotals(n, out, subtotals);
        if constexpr (kGradient)
            copyGradientSubtotals(n, out, subtotals);
        if constexpr (kSum)
            sumOfSquares = out.sumOfSquares;
        faults.replace(kParts, out.faults);
    }

    // The curve's block of the parameter vector, and A[m] * A[l], the same
    // product for every point.
    long double coefficients[kMaxComponents + 1];
    const long double* block = table.parameters + table.layout().offsetIndex(curve);
    for (int j = 0; j <= n; ++j)
        coefficients[j] = block[j];
    long double amplitudeProduct[(kMaxComponents + 1) * (kMaxComponents + 1)];
    if constexpr (kMatrix) {
        for (int m = 1; m <= n; ++m)
            for (int l = 1; l <= m; ++l)
                amplitudeProduct[m * (kMaxComponents + 1) + l] = coefficients[m] * coefficients[l];
        faults.charge(kMatrixPart, takeX87Faults());
    }

    const Curve& data = workspace.curves[curve];
    long double residual[kBatchPoints];
    PassBatch batch{n, 0, nullptr, nullptr, residual, coefficients, amplitudeProduct};

    for (int batchFirst = first, b = 0; batchFirst <= last; batchFirst += kBatchPoints, ++b) {
        batch.count = last - batchFirst + 1 < kBatchPoints ? last - batchFirst + 1 : kBatchPoints;
        ExponentialBatch own;
        batch.exponentials = shared != nullptr ? &shared[b] : nullptr;
        if (batch.exponentials == nullptr) {
            formExponentialBatch(data.times, batchFirst, batch.count, table, kParts,
                                 privateStorage, own);
            batch.exponentials = &own;
        }
        faults.charge(batch.exponentials->faults);
        batch.times = data.times + batchFirst;

        formResiduals(batch, data.values + batchFirst, residual);
        if constexpr (kSeveralParts)
            faults.charge(kParts, takeX87Faults());

        if constexpr (kMatrix) {
            addMatrixTerms(batch, coefficientBlockShared, subtotals);
            if constexpr (kSeveralParts)
                faults.charge(kMatrixPart, takeX87Faults());
        }
        if constexpr (kGradient) {
            addGradientTerms(batch, subtotals);
            if constexpr (kSeveralParts)
                faults.charge(kGradientPart, takeX87Faults());
        }
        if constexpr (kSum) {
            sumOfSquares = addSquaredResiduals(batch, sumOfSquares);
            if constexpr (kSeveralParts)
                faults.charge(kSumPart, takeX87Faults());
        }
    }

    // What is left: everything with one part, the SSE unit's flags (which
    // this pass does not use) with several.
    faults.charge(kParts, takeFloatingPointFaults());
    out.faults.replace(kParts, faults);
    if constexpr (kMatrix)
        copyMatrixSubtotals(n, subtotals, out);
    if constexpr (kGradient)
        copyGradientSubtotals(n, subtotals, out);
    if constexpr (kSum)
        out.sumOfSquares = sumOfSquares;
}

}  // namespace

void copyCoefficientBlock(int componentCount, const CurveSubtotals& from, CurveSubtotals& to) {
    for (int j = 2; j <= componentCount + 1; ++j)
        for (int l = 1; l <= j; ++l)
            to.coefficientBlock[j][l] = from.coefficientBlock[j][l];
}

void accumulateCurveSubtotals(int curve, const RateTable& table, unsigned parts, int first,
                              int last, const ExponentialBatch* shared, bool coefficientBlockShared,
                              CurveSubtotals& subtotals) {
    switch (parts & kAllCurveParts) {
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
