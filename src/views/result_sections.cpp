#include "views/result_sections.h"

#include <utility>

#include "data/ascending_sequence.h"
#include "data/number_format.h"
#include "views/covariance_report.h"
#include "views/parameter_report.h"
#include "views/report_text.h"
#include "views/wavelength_report.h"

namespace quorvane {

std::string timeConstantSection(const TimeConstantTexts& texts) {
    std::string section;
    for (int k = 1; k <= static_cast<int>(texts.size()); ++k)
        section += timeConstantLabel(k) + " = " + texts[k - 1] + '\n';
    return section;
}

std::string sumSection(const std::string& label) {
    return "SSR = " + label + '\n';
}

std::string parameterSection() {
    std::string section;
    for (const std::string& line : reportLines(buildParameterReport()))
        section += line + '\n';
    return section;
}

std::string covarianceSection() {
    const CovarianceBlock block = computeCovarianceBlock();
    std::string section = "Var-Cov\n";
    for (int row = 1; row <= block.size; ++row) {
        section += timeConstantLabel(row);
        for (int column = 1; column <= block.size; ++column) {
            section += '\t';
            section += block.cell(column, row);
        }
        section += '\n';
    }
    return section;
}

SpectraTable buildSpectraTable(const std::vector<std::string>& titles) {
    // amplitudes[k-1][c-1]: the point of curve c in chart k, as the chart
    // receives it; wavelengths[c-1] as chart 1 receives it.
    std::vector<std::vector<double>> amplitudes;
    std::vector<double> wavelengths;
    SpectraSink sink;
    sink.beginChart = [&amplitudes](int) { amplitudes.emplace_back(); };
    sink.addPoint = [&amplitudes, &wavelengths](int chart, double wavelength, double amplitude) {
        if (chart == 1)
            wavelengths.push_back(wavelength);
        amplitudes.back().push_back(amplitude);
    };
    buildDifferentialSpectra([&titles](int curve) { return titles.at(curve - 1); }, sink);

    // The rows in the order the charts keep their points: ascending
    // wavelength, an equal wavelength after the earlier curves.
    AscendingSequence<SpectraTable::Row, &SpectraTable::Row::wavelength> rows;
    for (std::size_t curve = 0; curve < wavelengths.size(); ++curve) {
        SpectraTable::Row row;
        row.wavelength = wavelengths[curve];
        row.curve = static_cast<int>(curve) + 1;
        for (const std::vector<double>& chart : amplitudes)
            row.amplitudes.push_back(chart[curve]);
        rows.add(std::move(row));
    }

    SpectraTable table;
    table.componentCount = static_cast<int>(amplitudes.size());
    table.rows = rows.items();
    return table;
}

std::string spectraSection(const SpectraTable& table) {
    std::string section = "Spectra\n";
    for (const SpectraTable::Row& row : table.rows) {
        section += formatGeneral15(row.wavelength);
        for (const double amplitude : row.amplitudes) {
            section += '\t';
            section += formatGeneral15(amplitude);
        }
        section += '\n';
    }
    return section;
}

}  // namespace quorvane
