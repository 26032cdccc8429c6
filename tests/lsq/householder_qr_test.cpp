// The rank test of the Householder QR and the least-squares solve over the
// independent columns.
#include "lsq/householder_qr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace quorvane {
namespace {

using Columns = std::vector<std::vector<long double>>;

// Factors `columns` (all but the last, the right-hand side) with `tolerance`:
// the columns found independent, each reduced at the row of the rank
// before it; R^T R = A^T A over the independent ones; the least-squares
// coefficients of the right-hand side, 0 for a dependent column.
void expectFactoring(const Columns& columns, long double tolerance,
                     const std::vector<bool>& independent,
                     const std::vector<long double>& solution) {
    const int rows = static_cast<int>(columns[0].size());
    const int factored = static_cast<int>(columns.size()) - 1;
    std::vector<long double> block;
    for (const auto& column : columns)
        block.insert(block.end(), column.begin(), column.end());
    HouseholderFactors factors;
    householderFactor(block.data(), rows, 0, rows, factored, factored + 1, tolerance, factors);
    auto R = [&](int row, int column) {
        return triangleEntry(block.data(), rows, factors, row, column);
    };

    int rank = 0;
    for (int j = 0; j < factored; ++j) {
        EXPECT_EQ(factors.independent[j], independent[j]) << "column " << j;
        EXPECT_EQ(factors.pivotRow[j], rank) << "column " << j;
        if (!independent[j]) {
            EXPECT_EQ(R(rank, j), 0.0L);  // no pivot
        }
        rank += independent[j] ? 1 : 0;
    }
    EXPECT_EQ(factors.rank, rank);
    for (int a = 0; a < factored; ++a) {
        for (int b = 0; b <= a && independent[a]; ++b) {
            long double product = 0.0L;
            long double expected = 0.0L;
            for (int t = 0; t < rank && independent[b]; ++t)
                product += R(t, a) * R(t, b);
            for (int i = 0; i < rows && independent[b]; ++i)
                expected += columns[a][i] * columns[b][i];
            EXPECT_NEAR(product, expected, 1e-16L * fabsl(expected)) << a << "," << b;
        }
    }
    std::vector<long double> x(factored);
    householderSolve(block.data(), rows, factors, block.data() + factored * rows, x.data());
    for (int j = 0; j < factored; ++j)
        EXPECT_NEAR(x[j], solution[j], 1e-15L) << "coefficient " << j;
}

// The right-hand sides are 1 col0 + 2 col1 (+ 3 col3): solved exactly.
TEST(HouseholderQr, RankTestAndSolve) {
    expectFactoring({{1, 1, 1, 1}, {1, 2, 3, 4}, {1, 4, 9, 16}, {3, 5, 7, 9}}, 1e-12L,
                    {true, true, true}, {1, 2, 0});
    // The sum of the two columns before it.
    expectFactoring({{1, 1, 1, 1}, {1, 2, 3, 4}, {2, 3, 4, 5}, {1, 4, 9, 16}, {6, 17, 34, 57}},
                    1e-12L, {true, true, false, true}, {1, 2, 0, 3});
    // A zero column, even without a tolerance.
    expectFactoring({{1, 1, 1}, {0, 0, 0}, {1, 2, 4}, {4, 7, 13}}, 0.0L, {true, false, true},
                    {1, 0, 3});
    // (3, 4) after e_0: its part below the first row has the norm 4, 4/5 of
    // its norm as it entered; it passes just below that tolerance and is
    // dependent just above it.
    expectFactoring({{1, 0}, {3, 4}, {7, 8}}, 0.8L * (1 - 1e-15L), {true, true}, {1, 2});
    expectFactoring({{1, 0}, {3, 4}, {7, 8}}, 0.8L * (1 + 1e-15L), {true, false}, {7, 0});
}

}  // namespace
}  // namespace quorvane
