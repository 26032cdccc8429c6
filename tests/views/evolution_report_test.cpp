// The evolution-associated spectra of a fit of noiseless traces made from a
// sequential scheme: they give back the species spectra that made them.

#include "views/evolution_report.h"

#include <gtest/gtest.h>

#include <unsupported/Eigen/MatrixFunctions>

#include "fit/fit_driver.h"
#include "support/synthetic_traces.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using ExtendedMatrix = Eigen::Matrix<long double, 3, 3>;

// Species 1 -> 2 -> 3 with these time constants.
const long double kSpeciesTimeConstants[3] = {2e-6L, 5e-5L, 1e-3L};
const double kWavelengths[4] = {420, 480, 540, 600};
// kSpecies[w][i]: the spectrum of species i+1 at kWavelengths[w].
const long double kSpecies[4][3] = {
    {0.8L, -0.3L, 0.2L}, {0.5L, 0.4L, -0.25L}, {-0.2L, 0.6L, 0.3L}, {0.3L, -0.5L, -0.1L}};

// The concentrations c(t) = expm(K t) e_1 of the scheme's rate matrix: an
// oracle that does not use the closed form of the code under test.
Eigen::Matrix<long double, 3, 1> concentrations(long double time) {
    ExtendedMatrix rates = ExtendedMatrix::Zero();
    for (int i = 0; i < 3; ++i) {
        rates(i, i) = -1.0L / kSpeciesTimeConstants[i];
        if (i > 0)
            rates(i, i - 1) = 1.0L / kSpeciesTimeConstants[i - 1];
    }
    const ExtendedMatrix propagator = (rates * time).exp();
    return propagator.col(0);
}

class EvolutionReport : public testing::WorkspaceTest {
  protected:
    void SetUp() override {
        WorkspaceTest::SetUp();
        const std::vector<double> times = testing::logTimes({300, 1e-7, 1e-1});
        std::vector<Eigen::Matrix<long double, 3, 1>> profile;
        for (const double t : times)
            profile.push_back(concentrations(t));
        for (int w = 0; w < 4; ++w) {
            std::vector<double> values;
            for (const auto& c : profile)
                values.push_back(static_cast<double>(
                    0.01L + kSpecies[w][0] * c(0) + kSpecies[w][1] * c(1) + kSpecies[w][2] * c(2)));
            workspace.wavelength[testing::addCurve(times, values)] = kWavelengths[w];
            titles.push_back(std::to_string(static_cast<int>(kWavelengths[w])) + ".txt");
        }
    }
    std::vector<std::string> titles;
};

TEST_F(EvolutionReport, NoiselessSequentialDataGiveBackTheSpeciesSpectra) {
    StartBoxes boxes;
    boxes.componentCount = "3";
    boxes.iterationCount = "60";
    // Out of order: the species are t2, t3, t1.
    boxes.timeConstants[0] = "1.3e-3";
    boxes.timeConstants[1] = "2.5e-6";
    boxes.timeConstants[2] = "4e-5";
    runStart(boxes, {}, FitMethod::VariableProjection);

    const EvolutionTable table = buildEvolutionTable(titles);
    EXPECT_EQ(table.species, (std::vector<std::string>{"t2", "t3", "t1"}));
    ASSERT_EQ(table.spectra.rows.size(), 4u);
    for (int w = 0; w < 4; ++w) {
        const SpectraTable::Row& row = table.spectra.rows[w];
        EXPECT_EQ(row.wavelength, kWavelengths[w]);
        for (int i = 0; i < 3; ++i) {
            EXPECT_NEAR(row.amplitudes[i], kSpecies[w][i], 1e-8 * fabsl(kSpecies[w][i]))
                << kWavelengths[w] << " species " << i + 1;
        }
    }
    const std::string section = evolutionSection(table);
    EXPECT_EQ(section.substr(0, section.find('\n')), "EAS\tt2\tt3\tt1");
    EXPECT_EQ(section.substr(section.find('\n') + 1, 4), "420\t");
}

}  // namespace
}  // namespace quorvane
