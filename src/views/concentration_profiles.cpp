#include "views/concentration_profiles.h"

#include "data/floating_point.h"
#include "views/evolution_report.h"

namespace quorvane {

ConcentrationProfiles buildConcentrationProfiles(const std::vector<double>& times) {
    ConcentrationProfiles profiles;
    const SequentialScheme scheme = fittedSequentialScheme(&profiles.species);
    const int n = static_cast<int>(scheme.rates.size());
    clearFloatingPointFaults();
    for (int i = 1; i <= n; ++i) {
        std::vector<double> values;
        values.reserve(times.size());
        for (const double time : times) {
            values.push_back(time < 0 ? 0.0
                                      : static_cast<double>(speciesConcentration(
                                            scheme, i, static_cast<long double>(time))));
        }
        profiles.values.push_back(std::move(values));
    }
    checkFloatingPointFaults();
    return profiles;
}

}  // namespace quorvane
