// quorvane-fit's instrument-response options: what they write into the
// response's boxes, what they refuse, and the "Response" section of a run.
#include "cli/response_options.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch_run.h"
#include "cli/command_line.h"
#include "support/response_traces.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

// The boxes as "enabled fwhm centre fitFwhm fitCentre order c1 c2 reference step".
std::string describe(const ResponseBoxes& r) {
    return std::to_string(r.enabled) + ' ' + r.fwhm + ' ' + r.centre + ' ' +
           std::to_string(r.fitFwhm) + std::to_string(r.fitCentre) + ' ' + r.dispersionOrder + ' ' +
           r.dispersion[0] + ' ' + r.dispersion[1] + " [" + r.referenceWavelength + "] " +
           std::to_string(r.step);
}

TEST(ResponseOptions, FillTheBoxesOrAreRefused) {
    const std::string varpro[] = {"--method", "varpro"};
    struct Case {
        std::vector<std::string> arguments;
        std::string expected;  // describe(), or the problem
    };
    const Case cases[] = {
        {{"--irf", "0.12"}, "1 0.12 0 11 0 0 0 [] 0"},
        {{"--irf", "0.12,0.4", "--irf-fixed", "width"}, "1 0.12 0.4 01 0 0 0 [] 0"},
        {{"--irf", "0,12;0,4", "--irf-fixed", "both"}, "1 0,12 0,4 00 0 0 0 [] 0"},
        {{"--irf", "0.1", "--dispersion", "2,0.3,0.15", "--dispersion-centre", "550", "--step"},
         "1 0.1 0 11 2 0.3 0.15 [550] 1"},
        {{"--irf", "0.1,0,1"}, "option '--irf' takes FWHM[,CENTRE], not '0.1,0,1'"},
        {{"--irf", "0.1", "--irf-fixed", "all"},
         "option '--irf-fixed' takes width, centre or both, not 'all'"},
        {{"--irf", "0.1", "--dispersion", "1,2,3,4,5,6"},
         "option '--dispersion' takes ORDER and at most 4 coefficients, not '1,2,3,4,5,6'"},
        {{"--dispersion", "1"}, "option '--dispersion' needs '--irf'"},
        {{"--irf"}, "option '--irf' needs a value"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> arguments(std::begin(varpro), std::end(varpro));
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        if (c.arguments.back() != "--irf")
            arguments.push_back("500.txt");
        std::string problem;
        const std::optional<BatchRequest> request = parseCommandLine(arguments, problem);
        EXPECT_EQ(request ? describe(request->boxes.response) : problem, c.expected);
    }
    std::string problem;
    EXPECT_EQ(parseCommandLine({"--irf", "0.1", "500.txt"}, problem)->method,
              FitMethod::VariableProjection);
    EXPECT_FALSE(parseCommandLine({"--method", "classic", "--irf", "0.1", "500.txt"}, problem));
    EXPECT_EQ(problem,
              "the instrument response (--irf) is fitted by variable projection only, not by "
              "'--method classic'");
}

// A run on simulated traces written as files: the section comes after the
// spectra, in the output and in the saved report alike.
TEST(ResponseRun, PrintsAndSavesTheResponseSectionLast) {
    testing::resetWholeWorkspace();
    testing::addResponseTraces({4, 120});
    testing::TempDir folder;
    std::vector<std::string> arguments = {"--method",
                                          "varpro",
                                          "-n",
                                          "3",
                                          "--t1",
                                          "0.5",
                                          "--t2",
                                          "30",
                                          "--t3",
                                          "800",
                                          "--irf",
                                          "0.15,0.5",
                                          "--dispersion",
                                          "2",
                                          "--step",
                                          "--save",
                                          (folder.path() / "fit").string()};
    for (int c = 1; c <= workspace.curveCount; ++c) {
        std::string text;
        for (int i = 1; i <= workspace.pointCount[c]; ++i) {
            char line[64];
            std::snprintf(line, sizeof line, "%.17g %.17g\n", workspace.curves[c].times[i],
                          workspace.curves[c].values[i]);
            text += line;
        }
        arguments.push_back(
            folder.write(std::to_string(static_cast<int>(workspace.wavelength[c])) + ".txt", text));
    }
    testing::resetWholeWorkspace();
    std::string problem;
    std::ostringstream out;
    std::ostringstream err;
    ASSERT_EQ(runBatch(parseCommandLine(arguments, problem).value(), out, err, false), 0)
        << err.str();
    const std::string printed = out.str();
    const std::size_t section = printed.find("Response\nmu0 = ");
    ASSERT_NE(section, std::string::npos) << printed;
    EXPECT_LT(printed.find("Spectra\n"), section);
    EXPECT_NE(printed.find("lambda_c = 550\n", section), std::string::npos);
    EXPECT_NE(printed.find("step4 = ", section), std::string::npos);
    EXPECT_EQ(testing::readFile(folder.path() / "fit.txt"), printed);
}

}  // namespace
}  // namespace quorvane
