#include "views/result_files.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <sstream>

#include "data/number_format.h"
#include "data/time_axes.h"
#include "fit/model.h"
#include "lsq/normal_equations.h"
#include "support/expect_error.h"
#include "support/workspace_image.h"
#include "views/fitted_workspace.h"

namespace quorvane {
namespace {

namespace fs = std::filesystem;

using testing::errorOf;
using testing::readFile;

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(part);
    return parts;
}

double readBack(const std::string& text) {
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    EXPECT_EQ(*end, '\0') << text;
    return value;
}

class ResultFiles : public testing::WorkspaceTest {
  protected:
    // The two-curve fit after a completed Start: the last iteration's
    // damped matrix and lambda, and an older covariance matrix, all of which
    // the Var-Cov section must leave alone.
    void fittedState() {
        testing::loadTwoCurvesThreeComponents();
        workspace.wavelength[1] = 500;  // as the reader reads the titles below
        workspace.wavelength[2] = 450;
        workspace.fitCount = 1;
        workspace.laidOutCurveCount = 2;
        buildNormalMatrix();
        workspace.covarianceMatrix[9][9] = 42.0L;
    }
    std::string path(const std::string& name) const { return (folder.path() / name).string(); }
    // Saves as "fit" with the titles below: the error's message, or kNoError.
    std::string save() {
        return errorOf([this] { saveResults(path("fit"), titles); });
    }

    // Curve 2 is loaded first by wavelength; curve 1's title needs quotes.
    const std::vector<std::string> titles = {"500,b.txt", "450.txt"};
    testing::TempDir folder;
};

TEST_F(ResultFiles, SpectraReadBackToTheReportsNumbersAndTheWorkspaceStaysAsItWas) {
    fittedState();
    const testing::WorkspaceImage before;
    saveResults(path("fit.txt"), titles);
    EXPECT_TRUE(before.matches());
    const std::vector<std::string> report = split(readFile(path("fit.txt")), '\n');
    const std::vector<std::string> csv = split(readFile(path("fit-spectra.csv")), '\n');
    ASSERT_EQ(csv.size(), 3u);
    EXPECT_EQ(csv[0], "wavelength,A1,A2,A3");
    // 9 t, SSR, 2*5 report, 1+3 Var-Cov, 1+2 spectra, 2+3+1+3+1+2 errors
    ASSERT_EQ(report.size(), 39u);
    const int curveOfRow[2] = {2, 1};
    for (int row = 1; row <= 2; ++row) {
        const std::vector<std::string> cells = split(csv[row], ',');
        const std::vector<std::string> reported = split(report[24 + row], '\t');
        ASSERT_EQ(cells.size(), 4u) << csv[row];
        ASSERT_EQ(reported.size(), 4u) << report[24 + row];
        EXPECT_EQ(readBack(cells[0]), row == 1 ? 450.0 : 500.0);
        for (std::size_t k = 0; k < cells.size(); ++k)
            EXPECT_EQ(formatGeneral15(readBack(cells[k])), reported[k]);
        for (int k = 1; k <= 3; ++k) {
            const long double amplitude =
                workspace.ParameterVector[amplitudeIndex(curveOfRow[row - 1], k)];
            EXPECT_EQ(readBack(cells[k]), static_cast<double>(amplitude)) << cells[k];
        }
    }
}

TEST_F(ResultFiles, CurvesReadBackToTheDataTheModelAndTheResidual) {
    fittedState();
    // A value that no model point equals, so that the residuals are not 0.
    workspace.curves[2].values[7] += 1e-3;
    noteCurveDataChanged();
    saveResults(path("fit"), titles);
    const std::vector<std::string> lines = split(readFile(path("fit-curves.csv")), '\n');
    ASSERT_EQ(lines.size(), 1u + 120);
    EXPECT_EQ(lines[0], "trace,file,time,value,model,residual");
    EXPECT_EQ(lines[1].rfind("1,\"500,b.txt\",", 0), 0u) << lines[1];
    for (int c = 1; c <= 2; ++c) {
        for (int i = 1; i <= 60; ++i) {
            const std::string& line = lines[static_cast<std::size_t>((c - 1) * 60 + i)];
            const std::vector<std::string> all = split(line, ',');
            ASSERT_GE(all.size(), 6u) << line;
            const std::vector<std::string> cells(all.end() - 4, all.end());
            const long double model = evaluateModelAtPoint(c, i);
            const double value = workspace.curves[c].values[i];
            EXPECT_EQ(line.substr(0, 2), std::to_string(c) + ",");
            EXPECT_EQ(readBack(cells[0]), workspace.curves[c].times[i]);
            EXPECT_EQ(readBack(cells[1]), value);
            EXPECT_EQ(readBack(cells[2]), static_cast<double>(model));
            EXPECT_EQ(readBack(cells[3]), static_cast<double>(value - model)) << line;
        }
    }
    EXPECT_NEAR(readBack(split(lines[60 + 7], ',').back()), 1e-3, 1e-12);
}

TEST_F(ResultFiles, AnInverseThatCannotBeFormedIsReportedInItsSection) {
    // Every point at time 0: the undamped matrix is singular.
    testing::addCurve({0, 0, 0}, {1, 2, 3});
    workspace.wavelength[1] = 450;
    testing::setLaidOutComponents(1);
    workspace.fitCount = 1;
    workspace.laidOutCurveCount = 1;
    workspace.ParameterVector[1] = workspace.ParameterVector[2] = 1.0L;
    const testing::WorkspaceImage before;
    saveResults(path("flat"), {"450.txt"});
    const std::string report = readFile(path("flat.txt"));
    const bool divisionByZero =
        report.find("\nVar-Cov\nFloating point division by zero.\nSpectra\n450\t1\n") !=
        std::string::npos;
    const bool invalid =
        report.find("\nVar-Cov\nInvalid floating point operation.\nSpectra\n") != std::string::npos;
    EXPECT_TRUE(divisionByZero || invalid) << report;
    EXPECT_EQ(split(readFile(path("flat-curves.csv")), '\n').size(), 4u);
    EXPECT_TRUE(before.matches());
}

TEST_F(ResultFiles, NothingIsWrittenBeforeAFitOrForTracesLoadedAfterIt) {
    testing::loadTwoCurvesThreeComponents();
    EXPECT_EQ(save(), "There are no results to save: press Start first");
    workspace.fitCount = 1;
    workspace.laidOutCurveCount = 1;
    EXPECT_EQ(save(), "Traces were loaded after the last fit: press Start again before saving");
    EXPECT_TRUE(fs::is_empty(folder.path()));
}

TEST_F(ResultFiles, AFailedSaveLeavesTheEarlierFilesWholeAndNoTemporaryFile) {
    fittedState();
    ASSERT_EQ(save(), testing::kNoError);
    const std::string earlierReport = readFile(path("fit.txt"));
    fs::remove(path("fit-curves.csv"));
    fs::create_directory(path("fit-curves.csv"));
    workspace.ParameterVector[1] = 0.5L;  // a second save would write other numbers

    EXPECT_EQ(save(), "Cannot create file " + path("fit-curves.csv"));
    EXPECT_EQ(readFile(path("fit.txt")), earlierReport);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 3);
}

}  // namespace
}  // namespace quorvane
