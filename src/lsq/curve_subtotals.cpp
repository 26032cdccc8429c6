#include "lsq/curve_subtotals.h"

#include "lsq/batch_terms.h"

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

// The subtotals and faults of the parts in `parts`, started at 0 or taken
// over from an earlier call; the other parts' are left as they are.
void clearParts(unsigned parts, int n, CurveSubtotals& subtotals) {
    if (parts & kMatrixPart)
        clearMatrixSubtotals(n, subtotals);
    if (parts & kGradientPart)
        clearGradientSubtotals(n, subtotals);
    if (parts & kSumPart)
        subtotals.sumOfSquares = 0.0L;
    subtotals.faults.replace(parts, PartFaults{});
}

void copyParts(unsigned parts, int n, const CurveSubtotals& from, CurveSubtotals& to) {
    if (parts & kMatrixPart)
        copyMatrixSubtotals(n, from, to);
    if (parts & kGradientPart)
        copyGradientSubtotals(n, from, to);
    if (parts & kSumPart)
        to.sumOfSquares = from.sumOfSquares;
    to.faults.replace(parts, from.faults);
}

// A batch of the curve's own, formed when no shared batch fits: one per
// thread.
alignas(64) thread_local long double privateStorage[kMaxExponentialRows * kBatchPoints];

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
    if (first == 1)
        clearParts(kParts, n, subtotals);
    else
        copyParts(kParts, n, out, subtotals);
    PartFaults& faults = subtotals.faults;

    // The curve's block of the parameter vector, and A[m] * A[l], the same
    // product for every point.
    long double coefficients[kMaxComponents + 1];
    const long double* curveBlock = table.parameters + table.layout().offsetIndex(curve);
    for (int j = 0; j <= n; ++j)
        coefficients[j] = curveBlock[j];
    long double amplitudeProduct[kMaxComponents + 1][kMaxComponents + 1];
    if constexpr (kMatrix) {
        for (int m = 1; m <= n; ++m)
            for (int l = 1; l <= m; ++l)
                amplitudeProduct[m][l] = coefficients[m] * coefficients[l];
        faults.charge(kMatrixPart, takeX87Faults());
    }

    const Curve& data = workspace.curves[curve];
    long double residual[kBatchPoints];
    PassBatch batch{n, 0, nullptr, nullptr, residual, coefficients, amplitudeProduct};

    for (int batchFirst = first, b = 0; batchFirst <= last; batchFirst += kBatchPoints, ++b) {
        batch.count = last - batchFirst + 1 < kBatchPoints ? last - batchFirst + 1 : kBatchPoints;
        ExponentialBatch own;
        const ExponentialBatch* exponentials = shared != nullptr ? &shared[b] : nullptr;
        if (exponentials == nullptr) {
            formExponentialBatch(data.times, batchFirst, batch.count, table, kParts, privateStorage,
                                 own);
            exponentials = &own;
        }
        faults.charge(exponentials->faults);
        batch.exponentials = exponentials->values;
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
            subtotals.sumOfSquares = addSquaredResiduals(batch, subtotals.sumOfSquares);
            if constexpr (kSeveralParts)
                faults.charge(kSumPart, takeX87Faults());
        }
    }

    // What is left: everything with one part, the SSE unit's flags (which
    // this pass does not use) with several.
    faults.charge(kParts, takeFloatingPointFaults());
    copyParts(kParts, n, subtotals, out);
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
    using Pass =
        void (*)(int, const RateTable&, int, int, const ExponentialBatch*, bool, CurveSubtotals&);
    // By the bits of the parts: matrix 1, gradient 2, sum 4.
    static constexpr Pass kPasses[8] = {
        nullptr,
        accumulate<true, false, false>,
        accumulate<false, true, false>,
        accumulate<true, true, false>,
        accumulate<false, false, true>,
        accumulate<true, false, true>,
        accumulate<false, true, true>,
        accumulate<true, true, true>,
    };
    const Pass pass = kPasses[parts & kAllCurveParts];
    if (pass != nullptr)
        pass(curve, table, first, last, shared, coefficientBlockShared, subtotals);
}

}  // namespace quorvane
