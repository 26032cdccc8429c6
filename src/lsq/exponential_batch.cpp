#include "lsq/exponential_batch.h"

#include "lsq/exponential_sum.h"

namespace quorvane {

void prepareRateTable(RateTable& table, const long double* parameters) {
    const int n = workspace.componentCount;
    table.parameters = parameters;
    table.componentCount = n;
    table.curveCount = workspace.curveCount;
    for (int m = 1; m <= n; ++m) {
        table.logRate[m] = parameters[rateIndex(m)];
        table.rate[m] = decayRate(table.logRate[m]);
    }
    for (int m = 1; m <= n; ++m) {
        for (int l = 1; l <= m; ++l) {
            table.rateSum[m][l] = table.rate[l] + table.rate[m];
            table.logRateSum[m][l] = table.logRate[m] + table.logRate[l];
        }
    }
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
// extendedExpBlock at once; the faults are taken after each kind, so that a
// fault is charged only to the parts that use the values that raised it.
void formExponentialBatch(const double* times, int first, int count, const RateTable& table,
                          unsigned parts, long double* storage, ExponentialBatch& batch) {
    const int n = table.componentCount;
    const double* x = times + first;  // x[i] is point first+i
    auto row = [storage, count](int r) { return storage + r * count; };

    for (int m = 1; m <= n; ++m) {
        long double* arguments = row(decayRow(m));
        const long double rate = table.rate[m];
        for (int i = 0; i < count; ++i)
            arguments[i] = decayArgument(rate, static_cast<long double>(x[i]));
    }
    FloatingPointFaults decayFaults = takeFloatingPointFaults();
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
        rateFactorFaults = takeFloatingPointFaults();
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
                    arguments[i] = decayArgument(rateSum, static_cast<long double>(x[i]));
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
        matrixOnlyFaults = takeFloatingPointFaults();
        matrixOnlyFaults |=
            extendedExpBlock(row(pairRow(n, 1, 1)), row(pairRow(n, 1, 1)), n * (n + 1) * count);
    }

    batch.count = count;
    batch.values = storage;
    batch.faults = PartFaults{};
    batch.faults.charge(parts, decayFaults);
    batch.faults.charge(parts & (kMatrixPart | kGradientPart), rateFactorFaults);
    batch.faults.charge(parts & kMatrixPart, matrixOnlyFaults);
}

}  // namespace quorvane
