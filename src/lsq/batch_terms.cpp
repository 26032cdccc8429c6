#include "lsq/batch_terms.h"

#include "lsq/exponential_sum.h"

namespace quorvane {

namespace {

// Step 1: the curve's own block, from the exponentials alone.
void addCoefficientBlock(const PassBatch batch, CurveSubtotals& subtotals) {
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
void addRateByCoefficientRow(const PassBatch batch, int m, CurveSubtotals& subtotals) {
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
void addRateBlockRow(const PassBatch batch, int m, CurveSubtotals& subtotals) {
    long double* subtotal = subtotals.rateBlock[m];
    for (int l = 1; l <= m; ++l) {
        const long double product = batch.amplitudeProduct[m][l];
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
void addSecondOrder(const PassBatch batch, int m, CurveSubtotals& subtotals) {
    const long double* factor = batch.row(rateDerivativeRow(batch.n, m));
    const long double* xTimesRate = batch.row(xTimesRateRow(batch.n, m));
    const long double amplitude = batch.coefficients[m];
    long double sum = subtotals.secondOrder[m];
    for (int i = 0; i < batch.count; ++i) {
        const long double x = batch.time(i);
        sum = sum - ((((batch.residual[i] * amplitude) * x) * factor[i]) * (1.0L - xTimesRate[i]));
    }
    subtotals.secondOrder[m] = sum;
}

}  // namespace

// The coefficients are copied into an array of the kernel's own, which no
// store of the loop can change: the compiler then keeps them in registers.
void formResiduals(const PassBatch batch, const double* values, long double* residual) {
    long double coefficients[kMaxComponents + 1];
    const long double* decays[kMaxComponents + 1];
    for (int j = 0; j <= batch.n; ++j)
        coefficients[j] = batch.coefficients[j];
    for (int m = 1; m <= batch.n; ++m)
        decays[m] = batch.row(decayRow(m));
    for (int i = 0; i < batch.count; ++i)
        residual[i] = static_cast<long double>(values[i]) -
                      exponentialSum(coefficients, batch.n, [&](int m) { return decays[m][i]; });
}

// Steps 1 to 4; components in increasing order, each with its rows of steps
// 2 and 3 and its step 4, so that one pass over a component reads D_m once.
void addMatrixTerms(const PassBatch batch, bool coefficientBlockShared, CurveSubtotals& subtotals) {
    if (!coefficientBlockShared)
        addCoefficientBlock(batch, subtotals);
    for (int m = 1; m <= batch.n; ++m) {
        addRateByCoefficientRow(batch, m, subtotals);
        addRateBlockRow(batch, m, subtotals);
        addSecondOrder(batch, m, subtotals);
    }
}

void addGradientTerms(const PassBatch batch, CurveSubtotals& subtotals) {
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

long double addSquaredResiduals(const PassBatch batch, long double sum) {
    for (int i = 0; i < batch.count; ++i)
        sum = sum + batch.residual[i] * batch.residual[i];
    return sum;
}

}  // namespace quorvane
