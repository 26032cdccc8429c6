#include "views/evolution_report.h"

#include "data/ascending_sequence.h"
#include "data/error.h"
#include "data/extended_exp.h"
#include "data/floating_point.h"
#include "data/number_format.h"
#include "data/workspace.h"
#include "fit/response_model.h"
#include "views/report_text.h"
#include "views/result_files.h"
#include "views/wavelength_report.h"

namespace quorvane {

namespace {

bool withStep() {
    return responseInUse() && responseModel.step;
}

}  // namespace

SequentialScheme fittedSequentialScheme(std::vector<std::string>* labels) {
    const int K = workspace.layoutComponentCount;
    if (K < 1 || workspace.fitCount == 0)
        throw QuorvaneError("There are no fitted components: press Start first");
    const ParameterLayout layout = reportLayout();
    std::vector<long double> rates;
    std::vector<std::string> names;
    clearFloatingPointFaults();
    for (int k = 1; k <= K; ++k) {
        rates.push_back(extendedExp(workspace.ParameterVector[layout.rateIndex(k)]));
        names.push_back(timeConstantLabel(k));
    }
    checkFloatingPointFaults();
    if (withStep()) {
        rates.push_back(0.0L);
        names.push_back("step");
    }
    SequentialScheme scheme = sequentialScheme(rates, names);
    if (labels != nullptr) {
        labels->clear();
        for (const int component : scheme.components)
            labels->push_back(names[component]);
    }
    return scheme;
}

EvolutionTable buildEvolutionTable(const std::vector<std::string>& titles) {
    EvolutionTable table;
    const SequentialScheme scheme = fittedSequentialScheme(&table.species);

    // The wavelengths as chart 1 of the differential spectra receives them.
    std::vector<double> wavelengths;
    SpectraSink sink;
    sink.beginChart = [](int) {};
    sink.addPoint = [&wavelengths](int chart, double wavelength, double) {
        if (chart == 1)
            wavelengths.push_back(wavelength);
    };
    buildDifferentialSpectra([&titles](int curve) { return titles.at(curve - 1); }, sink);

    const ParameterLayout layout = reportLayout();
    const int K = workspace.layoutComponentCount;
    AscendingSequence<SpectraTable::Row, &SpectraTable::Row::wavelength> rows;
    clearFloatingPointFaults();
    for (int c = 1; c <= static_cast<int>(wavelengths.size()); ++c) {
        std::vector<long double> das;
        for (const int component : scheme.components) {
            das.push_back(component < K
                              ? workspace.ParameterVector[layout.amplitudeIndex(c, component + 1)]
                              : responseModel.stepAmplitude[c]);
        }
        SpectraTable::Row row;
        row.wavelength = wavelengths[c - 1];
        row.curve = c;
        for (const long double value : evolutionFromDecay(scheme, das))
            row.amplitudes.push_back(static_cast<double>(value));
        rows.add(std::move(row));
    }
    checkFloatingPointFaults();
    table.spectra.componentCount = static_cast<int>(scheme.components.size());
    table.spectra.rows = rows.items();
    return table;
}

std::string evolutionSection(const EvolutionTable& table) {
    std::string section = "EAS";
    for (const std::string& label : table.species)
        section += '\t' + label;
    section += '\n';
    // The rows exactly as the Spectra section writes its own.
    const std::string rows = spectraSection(table.spectra);
    return section + rows.substr(rows.find('\n') + 1);
}

std::string evolutionCsv(const EvolutionTable& table) {
    std::vector<std::string> columns;
    for (const std::string& label : table.species)
        columns.push_back(",EAS_" + label);
    return spectraTableCsv(columns, table.spectra);
}

}  // namespace quorvane
