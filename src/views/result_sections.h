// The sections of the results report that quorvane-fit prints and File >
// Save as... writes, each built completely as text before it is printed (so
// that a failure leaves no half section behind). Every line ends in one LF.
// The contents come from the routines the desktop windows use; nothing is
// computed here a second time.
#pragma once

#include <string>
#include <vector>

#include "fit/fit_driver.h"

namespace quorvane {

// Nine lines "tK = TEXT": the texts Start writes back into the boxes.
std::string timeConstantSection(const TimeConstantTexts& texts);

// "SSR = TEXT": the text of the sum-of-squares label.
std::string sumSection(const std::string& label);

// The lines of the parameter report, as the report window shows them.
std::string parameterSection();

// "Var-Cov", then for b = 1..K the line "tb" followed, for a = 1..K, by a TAB
// and the text of the grid cell in column a, row b. Runs the
// variance–covariance command (lambda 0, undamped build, inversion) and
// throws its errors.
std::string covarianceSection();

// The differential spectra as a table: one row per curve in ascending
// wavelength (equal wavelengths in load order), holding the wavelength read
// from the curve's title and its amplitudes of components k = 1..max(1, K),
// each as the spectra charts receive it. titles[c-1] is the title of curve
// c. Throws the errors of the Differential spectra command.
struct SpectraTable {
    struct Row {
        double wavelength = 0;
        std::vector<double> amplitudes;
        int curve = 0;  // the curve of the row, 1..C
    };
    int componentCount = 0;
    std::vector<Row> rows;
};
SpectraTable buildSpectraTable(const std::vector<std::string>& titles);

// "Spectra", then one line per row: the wavelength, then for each component
// a TAB and the amplitude, all in the general 15-digit format.
std::string spectraSection(const SpectraTable& table);

}  // namespace quorvane
