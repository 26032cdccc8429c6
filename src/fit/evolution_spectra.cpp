#include "fit/evolution_spectra.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "data/error.h"
#include "data/extended_exp.h"

namespace quorvane {

namespace {

void refuseRate(long double rate, const std::string& label) {
    if (!std::isfinite(rate) || rate < 0.0L) {
        throw QuorvaneError(label + " has no finite rate: the sequential scheme cannot be formed");
    }
}

bool indistinguishable(long double faster, long double slower) {
    return faster - slower <= kIndistinguishableRates * faster;
}

}  // namespace

SequentialScheme sequentialScheme(const std::vector<long double>& rates,
                                  const std::vector<std::string>& labels) {
    const int n = static_cast<int>(rates.size());
    for (int j = 0; j < n; ++j)
        refuseRate(rates[j], labels.at(j));
    SequentialScheme scheme;
    scheme.components.resize(n);
    std::iota(scheme.components.begin(), scheme.components.end(), 0);
    std::stable_sort(scheme.components.begin(), scheme.components.end(),
                     [&rates](int a, int b) { return rates[a] > rates[b]; });
    for (const int component : scheme.components)
        scheme.rates.push_back(rates[component]);
    for (int i = 1; i < n; ++i) {
        if (indistinguishable(scheme.rates[i - 1], scheme.rates[i])) {
            throw QuorvaneError(labels.at(scheme.components[i - 1]) + " and " +
                                labels.at(scheme.components[i]) +
                                " have equal or indistinguishable rates: the sequential "
                                "scheme needs time constants that differ");
        }
    }

    const std::vector<long double>& k = scheme.rates;
    long double numerator = 1.0L;  // prod_{m<i} k_m
    for (int i = 1; i <= n; ++i) {
        std::vector<long double> row;
        for (int j = 1; j <= i; ++j) {
            long double denominator = 1.0L;
            for (int m = 1; m <= i; ++m) {
                if (m != j)
                    denominator *= k[m - 1] - k[j - 1];
            }
            row.push_back(numerator / denominator);
        }
        scheme.coefficients.push_back(std::move(row));
        numerator *= k[i - 1];
    }
    return scheme;
}

std::vector<long double> evolutionFromDecay(const SequentialScheme& scheme,
                                            const std::vector<long double>& das) {
    const int n = static_cast<int>(scheme.rates.size());
    const auto& b = scheme.coefficients;
    std::vector<long double> eas(n);
    for (int j = n; j >= 1; --j) {
        long double rest = das.at(j - 1);
        for (int i = j + 1; i <= n; ++i)
            rest -= b[i - 1][j - 1] * eas[i - 1];
        eas[j - 1] = rest / b[j - 1][j - 1];
    }
    return eas;
}

std::vector<long double> decayFromEvolution(const SequentialScheme& scheme,
                                            const std::vector<long double>& eas) {
    const int n = static_cast<int>(scheme.rates.size());
    const auto& b = scheme.coefficients;
    std::vector<long double> das(n);
    for (int j = 1; j <= n; ++j) {
        long double sum = 0.0L;
        for (int i = j; i <= n; ++i)
            sum += b[i - 1][j - 1] * eas.at(i - 1);
        das[j - 1] = sum;
    }
    return das;
}

long double speciesConcentration(const SequentialScheme& scheme, int species, long double time) {
    const std::vector<long double>& row = scheme.coefficients.at(species - 1);
    long double sum = 0.0L;
    for (int j = 1; j <= species; ++j)
        sum += row[j - 1] * extendedExp(-scheme.rates[j - 1] * time);
    return sum;
}

}  // namespace quorvane
