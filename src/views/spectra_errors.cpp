#include "views/spectra_errors.h"

#include <cmath>

namespace quorvane {

std::vector<long double> evolutionStandardErrors(const SequentialScheme& scheme,
                                                 const StandardErrors& errors, int curve) {
    const int n = static_cast<int>(scheme.components.size());
    // Column j of M, M[j][i] = M_ij.
    std::vector<std::vector<long double>> map;
    for (int j = 0; j < n; ++j) {
        std::vector<long double> unit(n, 0.0L);
        unit[j] = 1.0L;
        map.push_back(evolutionFromDecay(scheme, unit));
    }
    // Species j's place in the covariance: component k at k, the step
    // (the rate after the K components) at K + 1.
    std::vector<int> place;
    for (const int component : scheme.components)
        place.push_back(component + 1);
    const auto& covariance = errors.coefficientCovariance[curve];
    std::vector<long double> result(n);
    for (int i = 0; i < n; ++i) {
        long double variance = 0.0L;
        for (int j = 0; j < n; ++j) {
            long double row = 0.0L;
            for (int l = 0; l < n; ++l)
                row = row + covariance[place[j]][place[l]] * map[l][i];
            variance = variance + map[j][i] * row;
        }
        result[i] = sqrtl(variance);
    }
    return result;
}

}  // namespace quorvane
