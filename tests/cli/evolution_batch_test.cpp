// quorvane-fit --eas: where its section goes and the file a save adds.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "cli/batch_run.h"
#include "support/synthetic_traces.h"

namespace quorvane {
namespace {

class EvolutionBatch : public testing::WorkspaceTest {
  protected:
    int run(std::vector<std::string> arguments) {
        for (const int wavelength : {450, 500, 550}) {
            const long double scale = wavelength / 500.0L;
            arguments.push_back(
                folder.write(std::to_string(wavelength) + ".txt",
                             testing::decayText({0.0L, {0.4L * scale, -0.2L}, {1e-5L, 1e-3L}})));
        }
        std::string problem;
        return runBatch(parseCommandLine(arguments, problem).value(), out, err, false);
    }
    testing::TempDir folder;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(EvolutionBatch, TheSectionFollowsTheSpectraAndPrecedesTheSingularValuesAndIsSaved) {
    const std::string name = (folder.path() / "fit").string();
    ASSERT_EQ(run({"-n", "2", "-i", "30", "--method", "varpro", "--eas", "--svd", "--save", name}),
              kExitSuccess)
        << err.str();
    const std::string text = out.str();
    const std::size_t spectra = text.find("Spectra\n");
    const std::size_t evolution = text.find("EAS\tt1\tt2\n");
    const std::size_t singular = text.find("Singular values\n");
    EXPECT_LT(spectra, evolution);
    EXPECT_LT(evolution, singular);
    EXPECT_NE(singular, std::string::npos);
    // The rows, in the order of the Spectra section.
    EXPECT_NE(text.find("\n450\t", evolution), std::string::npos);
    EXPECT_EQ(testing::readFile(name + ".txt"), text);
    const std::string csv = testing::readFile(name + "-eas.csv");
    EXPECT_EQ(csv.substr(0, csv.find('\n')), "wavelength,EAS_t1,EAS_t2");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 4);
}

}  // namespace
}  // namespace quorvane
