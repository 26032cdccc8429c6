#include "views/wavelength_report.h"

#include <algorithm>
#include <cmath>

#include "data/error.h"
#include "data/floating_point.h"
#include "data/number_text.h"
#include "data/workspace.h"
#include "views/report_text.h"

namespace quorvane {

namespace {

constexpr std::size_t kWavelengthCharacters = 3;

}  // namespace

double wavelengthFromTitle(const std::string& title) {
    return textToDouble(title.substr(0, kWavelengthCharacters));
}

int filledSpectraCharts() {
    return std::max(1, workspace.layoutComponentCount);
}

void buildDifferentialSpectra(const CurveTitleSource& titleOf, const SpectraSink& sink) {
    const int K = workspace.layoutComponentCount;
    const int curveCount = workspace.curveCount;
    const int charts = filledSpectraCharts();
    const ParameterLayout layout = reportLayout();
    // The highest entry read: amplitude `charts` of the last curve, which is
    // curveCount(K+1) for K >= 1 and curveCount + 1 for K = 0.
    const int highestEntry = layout.amplitudeIndex(curveCount, charts);
    if (curveCount > 0 && highestEntry > kMaxParameters) {
        throw QuorvaneError(textWithNumber("Differential spectra: ", curveCount) +
                            textWithNumber(" traces with ", K) +
                            " components have more coefficients than the 300 a fit can hold");
    }
    for (int k = 1; k <= charts; ++k) {
        sink.beginChart(k);
        for (int c = 1; c <= curveCount; ++c) {
            double wavelength = workspace.wavelength[c];
            if (std::isnan(wavelength)) {
                // No wavelength was stored: the title's characters name what
                // gave none, in the message of the conversion that fails.
                const std::string title = titleOf(c);
                wavelength = withErrorDetail(textWithNumber("Wavelength of trace ", c) +
                                                 ", from its file name " + title + ".",
                                             [&] { return wavelengthFromTitle(title); });
            }
            clearFloatingPointFaults();
            const double amplitude =
                static_cast<double>(workspace.ParameterVector[layout.amplitudeIndex(c, k)]);
            checkFloatingPointFaults();
            sink.addPoint(k, wavelength, amplitude);
        }
    }
}

}  // namespace quorvane
