// Runs the built quorvane-fit as a user would and checks what it prints.

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "data/number_format.h"
#include "data/number_text.h"
#include "support/synthetic_traces.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::readFile;
using testing::TempDir;

struct FitRun {
    int exitCode = -1;
    std::vector<std::string> out;  // stdout split at LF
    std::string outText;
    std::string errText;
};

std::string quoted(const std::string& argument) {
    std::string result = "'";
    for (const char ch : argument)
        result += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return result + "'";
}

// environment: assignments put before the command ("LC_ALL=... ").
FitRun runFit(const std::vector<std::string>& arguments, const std::string& environment = "") {
    const TempDir capture;
    std::string command = environment + quoted(QUORVANE_FIT_PATH);
    for (const std::string& argument : arguments)
        command += ' ' + quoted(argument);
    const std::string outPath = (capture.path() / "out").string();
    const std::string errPath = (capture.path() / "err").string();
    command += " >" + quoted(outPath) + " 2>" + quoted(errPath) + " </dev/null";
    const int status = std::system(command.c_str());
    FitRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.outText = readFile(outPath);
    run.errText = readFile(errPath);
    std::istringstream lines(run.outText);
    for (std::string line; std::getline(lines, line);)
        run.out.push_back(line);
    return run;
}

// A noiseless trace of two components with time constants 1e-5 and 1e-3 at
// 250 times spaced evenly on a log axis from 1e-7 to 1.
std::string twoComponentTrace(double offset, double a1, double a2) {
    return testing::decayText({offset, {a1, a2}, {1e-5L, 1e-3L}}, {250, 1e-7, 1.0});
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> result;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        result.push_back(field);
    return result;
}

const std::string kUsage =
    "usage: quorvane-fit [-n TEXT] [-i TEXT] [--t1 TEXT] ... [--t9 TEXT] "
    "[--method classic|varpro] [--require-convergence] [--save NAME] FILE...\n";

// ---- A complete run ---------------------------------------------------------

class CompleteRun : public ::testing::Test {
  protected:
    // Loaded in the order 600, 400nm, 600b: the spectra run 400 (curve 2),
    // 600 (curve 1), 600 (curve 3, after the earlier one).
    static void SetUpTestSuite() {
        folder = new TempDir;
        const std::string f600 = folder->write("600.txt", twoComponentTrace(0.001, 0.3, -0.1));
        const std::string f400 = folder->write("400nm.txt", twoComponentTrace(-0.002, 0.1, 0.2));
        const std::string f600b = folder->write("600b.txt", twoComponentTrace(0.0, -0.2, 0.4));
        const std::string save = (folder->path() / "fit").string();
        arguments = {"-n",   "2",      "-i", "60", "--t1", "2e-5", "--t2",
                     "5e-4", "--save", save, f600, f400,   f600b};
        run = new FitRun(runFit(arguments));
    }
    static void TearDownTestSuite() {
        delete run;
        delete folder;
    }
    static inline TempDir* folder = nullptr;
    static inline std::vector<std::string> arguments;
    static inline FitRun* run = nullptr;
};

TEST_F(CompleteRun, PrintsAndSavesTheSectionsInOrderAndOnlyTheVerdictOnStandardError) {
    EXPECT_EQ(run->exitCode, 0);
    EXPECT_EQ(run->errText, "Converged\n");  // no progress: standard error is no terminal
    // How each line starts; the time constants are recovered to six digits.
    const std::vector<std::string> starts = {
        "t1 = 1.00000E-5", "t2 = 1.00000E-3", "t3 = 2.00000E-3", "t4 = 2.00000E-2",
        "t5 = 8.00000E-3", "t6 = 2.00000E-3", "t7 = 8.00000E-3", "t8 = 4.00000E-2",
        "t9 = 1.00000E-5", "SSR = ",
        // One block per curve in load order; curve 1 is 600.txt: offset
        // 0.001, A1 (1e-5) 0.3, A2 (1e-3) -0.1.
        "Serie1", "Y0   0.00100", "A1   0.30000", "A2   -0.10000", "Serie2", "Y0   ", "A1   ",
        "A2   ", "Serie3", "Y0   ", "A1   ", "A2   ",
        // The K x K block with row labels, then the spectra by wavelength.
        "Var-Cov", "t1\t", "t2\t", "Spectra", "400\t", "600\t", "600\t",
        // The standard errors, their correlations and the coefficients' by
        // wavelength.
        "Errors", "s2 = ", "t1 = 1.00000E-5 +- ", "t2 = 1.00000E-3 +- ", "ln t correlation",
        "t1\t1.000000\t", "t2\t", "SE\tY0\tA1\tA2", "400\t", "600\t", "600\t"};
    ASSERT_EQ(run->out.size(), starts.size()) << run->outText;
    for (std::size_t i = 0; i < starts.size(); ++i)
        EXPECT_EQ(run->out[i].rfind(starts[i], 0), 0u) << run->out[i];
    EXPECT_LT(parseExtended(run->out[9].substr(6)).value_or(1), 1e-20L);
    EXPECT_EQ(fields(run->out[23]).size(), 3u);
    EXPECT_EQ(fields(run->out[24]).size(), 3u);
    // Each row of the spectra holds the amplitudes of its curve's block.
    const int reportLineOfA1[3] = {16, 12, 20};
    for (int row = 0; row < 3; ++row) {
        const std::vector<std::string> cells = fields(run->out[26 + row]);
        ASSERT_EQ(cells.size(), 3u);
        for (int k = 1; k <= 2; ++k)
            EXPECT_EQ(formatFixed5(textToExtended(cells[k])),
                      run->out[reportLineOfA1[row] + k - 1].substr(5));
    }
    EXPECT_EQ(readFile(folder->path() / "fit.txt"), run->outText);
    EXPECT_EQ(readFile(folder->path() / "fit-spectra.csv").rfind("wavelength,A1,A2\n400,", 0), 0u);
}

TEST_F(CompleteRun, AFailedSaveExitsWithOneAfterPrintingEverything) {
    const std::filesystem::path spectra = folder->path() / "fit-spectra.csv";
    std::filesystem::remove(spectra);
    std::filesystem::create_directory(spectra);
    const FitRun failed = runFit(arguments);
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.errText, "Cannot create file " + spectra.string() + ".\n");
    EXPECT_EQ(failed.outText, run->outText);
}

// ---- Defaults, options and errors ----------------------------------------------

TEST(QuorvaneFit, DefaultsAreTheWindowsInitialTextsAndHelpGoesToStandardOutput) {
    const TempDir folder;
    const FitRun run = runFit({"-i", "0", folder.write("450.txt", twoComponentTrace(0, 0.2, 0.1))});
    ASSERT_EQ(run.exitCode, 0) << run.errText;
    ASSERT_GE(run.out.size(), 17u);
    std::string timeConstants;
    for (int k = 0; k < 9; ++k)
        timeConstants += run.out[k].substr(5) + ' ';
    EXPECT_EQ(timeConstants,
              "1.00000E-5 1.00000E-4 2.00000E-3 2.00000E-2 8.00000E-3 2.00000E-3 "
              "8.00000E-3 4.00000E-2 1.00000E-5 ");
    // Four components: the report block has A1..A4, all at the start value.
    EXPECT_EQ(run.out[15], "A4   1.00000");
    EXPECT_EQ(run.out[16], "Var-Cov");

    const FitRun help = runFit({"-n", "2", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.errText, "");
    EXPECT_EQ(help.outText.rfind(kUsage, 0), 0u);
    for (const char* text :
         {"(default 4)", "(default 50)", "10e-6 100e-6 2e-3 20e-3 8e-3 2e-3 8e-3 40e-3 10e-6",
          "--save NAME", "Exit status: 0"})
        EXPECT_NE(help.outText.find(text), std::string::npos) << text;
}

TEST(QuorvaneFit, UsageErrorsExitWithTwoOtherErrorsBeforeTheFitWithOneAndNothingIsPrinted) {
    const TempDir folder;
    const std::string file = folder.write("450.txt", twoComponentTrace(0.0, 0.2, 0.1));
    const std::string bad = folder.write("500.txt", "1e-6 0.5\n2e-6 x\n");
    const std::string missing = (folder.path() / "missing.txt").string();
    const auto usage = [](const std::string& problem) {
        return "quorvane-fit: " + problem + '\n' + kUsage;
    };
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string err;
    } cases[] = {
        {{"-x", file}, 2, usage("unknown option '-x'")},
        {{"--t10", "1", file}, 2, usage("unknown option '--t10'")},
        {{file, "-n"}, 2, usage("option '-n' needs a value")},
        {{"-n", "2"}, 2, usage("no trace FILE given")},
        {{"--save", "", file}, 2, usage("option '--save' needs a NAME")},
        {{"--method", "fast", file}, 2, usage("unknown method 'fast' (classic or varpro)")},
        {{file, missing}, 1, "File not found.\nFile " + missing + ".\n"},
        {{file, bad}, 1, "'x' is not a valid floating point value.\nFile 500.txt, line 2.\n"},
        // Each box's option goes to its box.
        {{"-n", "four", file}, 1, "'four' is not a valid integer value.\n"},
        {{"-i", "5x", file}, 1, "'5x' is not a valid integer value.\n"},
        {{"--t9", "abc", file}, 1, "'abc' is not a valid floating point value.\n"},
        {{"--t3", "-1e-3", file}, 1, "Invalid floating point operation.\n"},
    };
    for (const auto& failure : cases) {
        const FitRun run = runFit(failure.arguments);
        EXPECT_EQ(run.exitCode, failure.exitCode) << failure.err;
        EXPECT_EQ(run.outText, "") << failure.err;
        EXPECT_EQ(run.errText, failure.err);
    }
}

TEST(QuorvaneFit, SectionsPrintedBeforeAnErrorStay) {
    // A title that is no wavelength fails the spectra after Var-Cov.
    const TempDir folder;
    const std::string unnamed = folder.write("abc.txt", twoComponentTrace(0.0, 0.2, 0.1));
    const FitRun run = runFit({"-n", "2", "-i", "10", "--t2", "1e-3", unnamed});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errText, "'abc' is not a valid floating point value.\n");
    ASSERT_EQ(run.out.size(), 17u);
    EXPECT_EQ(run.out[14], "Var-Cov");
}

TEST(QuorvaneFit, RequiredConvergenceAndTheMethod) {
    const TempDir folder;
    const std::string file = folder.write("450.txt", twoComponentTrace(0.0, 0.2, 0.1));
    const auto fit = [&file](const std::string& method, bool required) {
        std::vector<std::string> arguments = {"-n",   "2",    "-i",       "3",    "--t1", "2e-5",
                                              "--t2", "5e-4", "--method", method, file};
        if (required)
            arguments.insert(arguments.begin(), "--require-convergence");
        return runFit(arguments);
    };
    // Three classic iterations leave the time constants where they started ...
    const FitRun classic = fit("classic", false);
    const FitRun required = fit("classic", true);
    EXPECT_EQ(classic.exitCode, 0);
    EXPECT_EQ(classic.out.at(0), "t1 = 2.00000E-5");
    EXPECT_EQ(required.exitCode, 3);
    EXPECT_EQ(required.outText + required.errText, classic.outText + classic.errText);
    EXPECT_EQ(required.errText.rfind("Not converged: ", 0), 0u) << required.errText;
    // ... three of variable projection find them.
    const FitRun projected = fit("varpro", true);
    EXPECT_EQ(projected.exitCode, 0) << projected.errText;
    EXPECT_EQ(projected.errText, "Converged\n");
    EXPECT_EQ(projected.out.at(0) + ", " + projected.out.at(1), "t1 = 1.00000E-5, t2 = 1.00000E-3");
}

TEST(QuorvaneFit, DecimalSeparatorComesFromTheNumericLocale) {
    const TempDir folder;
    // A German locale compiled into the folder, where the system can.
    const std::string locales = (folder.path() / "locales").string();
    const std::string compile = "mkdir " + quoted(locales) + " && localedef -i de_DE -f UTF-8 " +
                                quoted(locales + "/de_DE.UTF-8") + " >/dev/null 2>&1";
    if (std::system(compile.c_str()) != 0)
        GTEST_SKIP() << "cannot compile a de_DE locale";

    std::string trace = twoComponentTrace(0.0, 0.2, 0.1);
    std::replace(trace.begin(), trace.end(), '.', ',');
    const FitRun run =
        runFit({"-n", "2", "-i", "40", "--t1", "2,5e-5", "--t2", "1,2e-3", "--save",
                (folder.path() / "fit").string(), folder.write("450.txt", trace)},
               // The C library keeps the locale path it was given for the
               // life of the process; a leak checker would report it.
               "ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" LOCPATH=" + quoted(locales) +
                   " LC_ALL=de_DE.UTF-8 ");
    ASSERT_EQ(run.exitCode, 0) << run.errText;
    // Every number read and printed with the comma.
    EXPECT_EQ(run.out.at(0), "t1 = 1,00000E-5");
    EXPECT_EQ(run.out.at(11), "Y0   0,00000");
    const auto spectra = std::find(run.out.begin(), run.out.end(), "Spectra");
    ASSERT_LT(spectra + 1, run.out.end());
    EXPECT_EQ(spectra[1].rfind("450\t0,2", 0), 0u) << spectra[1];
    EXPECT_NE(run.out.back().find("E-"), std::string::npos);  // the errors, with the comma too
    EXPECT_NE(run.out.back().find(','), std::string::npos) << run.out.back();
    // The files written for other programs keep the point.
    const std::string spectraFile = readFile(folder.path() / "fit-spectra.csv");
    EXPECT_EQ(std::count(spectraFile.begin(), spectraFile.end(), ','), 2 + 2) << spectraFile;
}

}  // namespace
}  // namespace quorvane
