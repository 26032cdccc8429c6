// The rank test of the Householder QR and the least-squares solve over the
// independent columns.
#include "lsq/householder_qr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace quorvane {
namespace {

using Columns = std::vector<std::vector<long double>>;

struct Factoring {
    const char* what;
    Columns columns;  // then the right-hand side
    long double tolerance;
    std::vector<bool> independent;
    std::vector<long double> solution;  // of the right-hand side; 0 for a dependent column
};

// The right-hand sides are 1 col0 + 2 col1 (+ 3 col3): solved exactly.
const Factoring kFactorings[] = {
    {"independent columns pass",
     {{1, 1, 1, 1}, {1, 2, 3, 4}, {1, 4, 9, 16}, {3, 5, 7, 9}},
     1e-12L,
     {true, true, true},
     {1, 2, 0}},
    {"a column that is the sum of the two before it is dependent and gets no pivot",
     {{1, 1, 1, 1}, {1, 2, 3, 4}, {2, 3, 4, 5}, {1, 4, 9, 16}, {6, 17, 34, 57}},
     1e-12L,
     {true, true, false, true},
     {1, 2, 0, 3}},
    {"a zero column is dependent even without a tolerance",
     {{1, 1, 1}, {0, 0, 0}, {1, 2, 4}, {4, 7, 13}},
     0.0L,
     {true, false, true},
     {1, 0, 3}},
    // (3, 4) after e_0: its part below the first row has the norm 4, 4/5 of
    // its norm as it entered.
    {"just below the tolerance a column passes",
     {{1, 0}, {3, 4}, {7, 8}},
     0.8L * (1 - 1e-15L),
     {true, true},
     {1, 2}},
    {"just above it the column is dependent",
     {{1, 0}, {3, 4}, {7, 8}},
     0.8L * (1 + 1e-15L),
     {true, false},
     {7, 0}},
};

TEST(HouseholderQr, RankTestAndSolve) {
    for (const Factoring& f : kFactorings) {
        SCOPED_TRACE(f.what);
        const int rows = static_cast<int>(f.columns[0].size());
        const int factored = static_cast<int>(f.columns.size()) - 1;
        std::vector<long double> block;
        for (const auto& column : f.columns)
            block.insert(block.end(), column.begin(), column.end());
        HouseholderFactors factors;
        householderFactor(block.data(), rows, 0, rows, factored, factored + 1, f.tolerance,
                          factors);

        int rank = 0;
        for (int j = 0; j < factored; ++j) {
            EXPECT_EQ(factors.independent[j], f.independent[j]) << "column " << j;
            EXPECT_EQ(factors.pivotRow[j], rank) << "column " << j;  // the rank before it
            if (!f.independent[j]) {
                EXPECT_EQ(triangleEntry(block.data(), rows, factors, rank, j), 0.0L);
            }
            rank += f.independent[j] ? 1 : 0;
        }
        EXPECT_EQ(factors.rank, rank);
        // R^T R = A^T A over the independent columns: the reflections are
        // orthogonal and R is their image of A.
        for (int a = 0; a < factored; ++a) {
            for (int b = 0; b <= a && f.independent[a]; ++b) {
                if (!f.independent[b])
                    continue;
                long double product = 0.0L;
                long double expected = 0.0L;
                for (int t = 0; t < rank; ++t)
                    product += triangleEntry(block.data(), rows, factors, t, a) *
                               triangleEntry(block.data(), rows, factors, t, b);
                for (int i = 0; i < rows; ++i)
                    expected += f.columns[a][i] * f.columns[b][i];
                EXPECT_NEAR(product, expected, 1e-16L * fabsl(expected)) << a << "," << b;
            }
        }
        std::vector<long double> x(factored);
        householderSolve(block.data(), rows, factors, block.data() + factored * rows, x.data());
        for (int j = 0; j < factored; ++j)
            EXPECT_NEAR(x[j], f.solution[j], 1e-15L) << "coefficient " << j;
    }
}

}  // namespace
}  // namespace quorvane
