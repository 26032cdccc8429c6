// Runs the built quorvane-fit as a user would and checks what it prints.

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/number_format.h"
#include "data/number_text.h"
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
    for (const char ch : argument) {
        if (ch == '\'')
            result += "'\\''";
        else
            result += ch;
    }
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

// A noiseless trace of two components with time constants 1e-5 and 1e-3:
// 250 times spaced evenly on a log axis from 1e-7 to 1, values with 17
// significant digits.
std::string twoComponentTrace(double offset, double a1, double a2) {
    std::string text;
    char line[96];
    for (int i = 0; i < 250; ++i) {
        const double t = std::pow(10.0, -7.0 + 7.0 * i / 249);
        const double y = offset + a1 * std::exp(-t / 1e-5) + a2 * std::exp(-t / 1e-3);
        std::snprintf(line, sizeof line, "%.17g %.17g\n", t, y);
        text += line;
    }
    return text;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> result;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        result.push_back(field);
    return result;
}

// Index of the line `text` in the run's output, or -1.
int lineIndex(const FitRun& run, const std::string& text) {
    for (std::size_t i = 0; i < run.out.size(); ++i) {
        if (run.out[i] == text)
            return static_cast<int>(i);
    }
    return -1;
}

const std::string kUsage =
    "usage: quorvane-fit [-n TEXT] [-i TEXT] [--t1 TEXT] ... [--t9 TEXT] "
    "[--method classic|varpro] [--require-convergence] [--save NAME] FILE...\n";

// ---- A complete run ---------------------------------------------------------

class CompleteRun : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        folder = new TempDir;
        // Loaded in the order 600, 400, 500: the spectra run 400, 500, 600.
        const std::string f600 = folder->write("600.txt", twoComponentTrace(0.001, 0.3, -0.1));
        const std::string f400 = folder->write("400nm.txt", twoComponentTrace(-0.002, 0.1, 0.2));
        const std::string f500 = folder->write("500.txt", twoComponentTrace(0.0, -0.2, 0.4));
        run = new FitRun(
            runFit({"-n", "2", "-i", "60", "--t1", "2e-5", "--t2", "5e-4", f600, f400, f500}));
    }
    static void TearDownTestSuite() {
        delete run;
        delete folder;
    }
    static TempDir* folder;
    static FitRun* run;
};

TempDir* CompleteRun::folder = nullptr;
FitRun* CompleteRun::run = nullptr;

TEST_F(CompleteRun, StandardErrorHoldsOnlyTheVerdict) {
    EXPECT_EQ(run->exitCode, 0);
    EXPECT_EQ(run->errText, "Converged\n");  // no progress: standard error is no terminal
    EXPECT_EQ(run->outText.find('\r'), std::string::npos);
    ASSERT_FALSE(run->outText.empty());
    EXPECT_EQ(run->outText.back(), '\n');
}

TEST_F(CompleteRun, TimeConstantsComeFirstAndAreRecoveredToSixDigits) {
    ASSERT_GE(run->out.size(), 10u);
    const std::vector<std::string> expected = {
        "t1 = 1.00000E-5", "t2 = 1.00000E-3", "t3 = 2.00000E-3",
        "t4 = 2.00000E-2", "t5 = 8.00000E-3", "t6 = 2.00000E-3",
        "t7 = 8.00000E-3", "t8 = 4.00000E-2", "t9 = 1.00000E-5"};
    EXPECT_EQ(std::vector<std::string>(run->out.begin(), run->out.begin() + 9), expected);
    ASSERT_EQ(run->out[9].rfind("SSR = ", 0), 0u) << run->out[9];
    const std::optional<long double> sum = parseExtended(run->out[9].substr(6));
    ASSERT_TRUE(sum.has_value());
    EXPECT_LT(*sum, 1e-20L);
}

TEST_F(CompleteRun, ParameterReportFollowsWithOneBlockPerCurve) {
    // 3 curves * (K + 2) lines for K = 2.
    ASSERT_GE(run->out.size(), 22u);
    const std::vector<std::string> labels = {"Serie1", "Y0   ", "A1   ", "A2   ",
                                             "Serie2", "Y0   ", "A1   ", "A2   ",
                                             "Serie3", "Y0   ", "A1   ", "A2   "};
    for (std::size_t i = 0; i < labels.size(); ++i)
        EXPECT_EQ(run->out[10 + i].rfind(labels[i], 0), 0u) << run->out[10 + i];
    // Curve 1 is 600.txt: offset 0.001, A1 (1e-5) 0.3, A2 (1e-3) -0.1.
    EXPECT_EQ(run->out[11], "Y0   0.00100");
    EXPECT_EQ(run->out[12], "A1   0.30000");
    EXPECT_EQ(run->out[13], "A2   -0.10000");
    EXPECT_EQ(run->out[22], "Var-Cov");
}

TEST_F(CompleteRun, CovarianceBlockIsKByKWithRowLabels) {
    const int start = lineIndex(*run, "Var-Cov");
    ASSERT_EQ(start, 22);
    for (int b = 1; b <= 2; ++b) {
        const std::vector<std::string> cells = fields(run->out[start + b]);
        ASSERT_EQ(cells.size(), 3u) << run->out[start + b];
        EXPECT_EQ(cells[0], std::string("t").append(std::to_string(b)));
        for (int a = 1; a <= 2; ++a) {
            // Fixed notation with six decimals.
            const std::size_t point = cells[a].find('.');
            ASSERT_NE(point, std::string::npos) << cells[a];
            EXPECT_EQ(cells[a].size() - point - 1, 6u) << cells[a];
        }
    }
    // Symmetric, with positive variances.
    EXPECT_EQ(fields(run->out[start + 1])[2], fields(run->out[start + 2])[1]);
    EXPECT_GT(textToDouble(fields(run->out[start + 1])[1]), 0.0);
    EXPECT_GT(textToDouble(fields(run->out[start + 2])[2]), 0.0);
}

TEST_F(CompleteRun, SpectraRunInAscendingWavelengthAndMatchTheReport) {
    const int start = lineIndex(*run, "Spectra");
    ASSERT_EQ(start, 25);
    ASSERT_EQ(run->out.size(), 29u);
    const std::vector<std::string> wavelengths = {"400", "500", "600"};
    // Report blocks in load order: 600 is curve 1, 400 curve 2, 500 curve 3.
    const int reportLineOfA1[3] = {10 + 4 + 2, 10 + 8 + 2, 10 + 0 + 2};
    for (int line = 0; line < 3; ++line) {
        const std::vector<std::string> cells = fields(run->out[start + 1 + line]);
        ASSERT_EQ(cells.size(), 3u);
        EXPECT_EQ(cells[0], wavelengths[line]);
        for (int k = 1; k <= 2; ++k) {
            const std::string reported = run->out[reportLineOfA1[line] + k - 1].substr(5);
            EXPECT_EQ(formatFixed5(textToExtended(cells[k])), reported) << cells[k];
        }
    }
    EXPECT_NEAR(textToDouble(fields(run->out[start + 3])[1]), 0.3, 1e-9);
}

// ---- Defaults, ties and errors ----------------------------------------------

TEST(QuorvaneFit, DefaultsAreTheWindowsInitialTexts) {
    const TempDir folder;
    const std::string file = folder.write("450.txt", twoComponentTrace(0.0, 0.2, 0.1));
    const FitRun run = runFit({"-i", "0", file});
    ASSERT_EQ(run.exitCode, 0) << run.errText;
    const std::vector<std::string> expected = {
        "t1 = 1.00000E-5", "t2 = 1.00000E-4", "t3 = 2.00000E-3",
        "t4 = 2.00000E-2", "t5 = 8.00000E-3", "t6 = 2.00000E-3",
        "t7 = 8.00000E-3", "t8 = 4.00000E-2", "t9 = 1.00000E-5"};
    ASSERT_GE(run.out.size(), 9u);
    EXPECT_EQ(std::vector<std::string>(run.out.begin(), run.out.begin() + 9), expected);
    // Four components: the report block has A1..A4, all at the start value.
    EXPECT_EQ(run.out[10], "Serie1");
    EXPECT_EQ(run.out[15], "A4   1.00000");
    EXPECT_EQ(run.out[16], "Var-Cov");
}

TEST(QuorvaneFit, EqualWavelengthsKeepTheLoadOrder) {
    const TempDir folder;
    const std::string b = folder.write("450b.txt", twoComponentTrace(0.0, 0.5, 0.1));
    const std::string a = folder.write("450a.txt", twoComponentTrace(0.0, 0.2, 0.1));
    const std::string c = folder.write("420.txt", twoComponentTrace(0.0, 0.3, 0.1));
    const FitRun run = runFit({"-n", "2", "-i", "30", "--t1", "1e-5", "--t2", "1e-3", b, a, c});
    ASSERT_EQ(run.exitCode, 0) << run.errText;
    const int start = lineIndex(run, "Spectra");
    ASSERT_GT(start, 0);
    ASSERT_EQ(run.out.size(), static_cast<std::size_t>(start) + 4);
    EXPECT_EQ(fields(run.out[start + 1])[0], "420");
    EXPECT_NEAR(textToDouble(fields(run.out[start + 2])[1]), 0.5, 1e-6);  // 450b, loaded first
    EXPECT_NEAR(textToDouble(fields(run.out[start + 3])[1]), 0.2, 1e-6);  // 450a
}

TEST(QuorvaneFit, UsageErrorsExitWithTwo) {
    const TempDir folder;
    const std::string file = folder.write("450.txt", twoComponentTrace(0.0, 0.2, 0.1));
    const struct {
        std::vector<std::string> arguments;
        std::string problem;
    } cases[] = {
        {{"-x", file}, "quorvane-fit: unknown option '-x'\n"},
        {{"--t10", "1", file}, "quorvane-fit: unknown option '--t10'\n"},
        {{file, "-n"}, "quorvane-fit: option '-n' needs a value\n"},
        {{"-n", "2"}, "quorvane-fit: no trace FILE given\n"},
        {{"--save", "", file}, "quorvane-fit: option '--save' needs a NAME\n"},
        {{"--method", "fast", file}, "quorvane-fit: unknown method 'fast' (classic or varpro)\n"},
        {{}, "quorvane-fit: no trace FILE given\n"},
    };
    for (const auto& usage : cases) {
        const FitRun run = runFit(usage.arguments);
        EXPECT_EQ(run.exitCode, 2) << usage.problem;
        EXPECT_EQ(run.outText, "");
        EXPECT_EQ(run.errText, usage.problem + kUsage);
    }
}

TEST(QuorvaneFit, ErrorsBeforeTheFitPrintNothingAndExitWithOne) {
    const TempDir folder;
    const std::string file = folder.write("450.txt", twoComponentTrace(0.0, 0.2, 0.1));
    const std::string bad = folder.write("500.txt", "1e-6 0.5\n2e-6 x\n");
    const struct {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{file, (folder.path() / "missing.txt").string()},
         "File not found.\nFile " + (folder.path() / "missing.txt").string() + ".\n"},
        {{file, bad}, "'x' is not a valid floating point value.\nFile 500.txt, line 2.\n"},
        {{"-n", "four", file}, "'four' is not a valid integer value.\n"},
        {{"-n", "10", file}, "The number of components must be between 1 and 9, not 10.\n"},
        {{"-i", "5x", file}, "'5x' is not a valid integer value.\n"},
        {{"--t9", "abc", file}, "'abc' is not a valid floating point value.\n"},
        {{"--t2", "0", file}, "Floating point division by zero.\n"},
        {{"--t3", "-1e-3", file}, "Invalid floating point operation.\n"},
    };
    for (const auto& failure : cases) {
        const FitRun run = runFit(failure.arguments);
        EXPECT_EQ(run.exitCode, 1) << failure.message;
        EXPECT_EQ(run.outText, "") << failure.message;
        EXPECT_EQ(run.errText, failure.message);
    }
}

TEST(QuorvaneFit, AnOverflowInAnExponentialOfASharedAxisEndsTheRunBeforeAnySection) {
    const TempDir folder;
    const std::string text = "-1 0.5\n1e-6 0.4\n1e-5 0.2\n1e-4 0.1\n";
    const FitRun run = runFit(
        {"-n", "2", "-i", "5", folder.write("450.txt", text), folder.write("500.txt", text)});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.outText, "");
    EXPECT_EQ(run.errText, "Floating point overflow.\n");
}

TEST(QuorvaneFit, SectionsPrintedBeforeAnErrorStay) {
    const TempDir folder;
    // All points at time 0: Start with no iteration completes, but the
    // undamped normal matrix is singular, so Var-Cov fails.
    const std::string flat = folder.write("450.txt", "0 1\n0 2\n0 3\n");
    const FitRun singular = runFit({"-n", "1", "-i", "0", flat});
    EXPECT_EQ(singular.exitCode, 1);
    // The zero pivot meets 0/0 or a division by zero.
    EXPECT_TRUE(singular.errText == "Floating point division by zero.\n" ||
                singular.errText == "Invalid floating point operation.\n")
        << singular.errText;
    ASSERT_EQ(singular.out.size(), 9u + 1 + 3);
    EXPECT_EQ(singular.out[9], "SSR = 2");  // (1-2)^2 + (2-2)^2 + (3-2)^2 at Y0 = A1 = 1
    EXPECT_EQ(singular.out[10], "Serie1");
    EXPECT_EQ(lineIndex(singular, "Var-Cov"), -1);

    // A title that is no wavelength fails the spectra after Var-Cov.
    const std::string unnamed = folder.write("abc.txt", twoComponentTrace(0.0, 0.2, 0.1));
    const FitRun noWavelength = runFit({"-n", "2", "-i", "10", "--t2", "1e-3", unnamed});
    EXPECT_EQ(noWavelength.exitCode, 1);
    EXPECT_EQ(noWavelength.errText, "'abc' is not a valid floating point value.\n");
    EXPECT_EQ(lineIndex(noWavelength, "Var-Cov"), 14);
    EXPECT_EQ(noWavelength.out.size(), 17u);
    EXPECT_EQ(lineIndex(noWavelength, "Spectra"), -1);
}

TEST(QuorvaneFit, SaveWritesWhatItPrintsAndAFailedSaveExitsWithOne) {
    const TempDir folder;
    const std::string file = folder.write("450.txt", twoComponentTrace(0.0, 0.2, 0.1));
    const std::vector<std::string> fit = {"-n", "2", "-i", "20", "--t2", "1e-3", file};
    const FitRun plain = runFit(fit);
    std::vector<std::string> saving = {"--save", (folder.path() / "fit.txt").string()};
    saving.insert(saving.end(), fit.begin(), fit.end());
    const FitRun saved = runFit(saving);
    ASSERT_EQ(saved.exitCode, 0) << saved.errText;
    EXPECT_EQ(saved.outText, plain.outText);
    EXPECT_EQ(readFile(folder.path() / "fit.txt"), saved.outText);
    EXPECT_EQ(readFile(folder.path() / "fit-spectra.csv").rfind("wavelength,A1,A2\n450,", 0), 0u);

    const std::string spectra = (folder.path() / "fit-spectra.csv").string();
    std::filesystem::remove(spectra);
    std::filesystem::create_directory(spectra);
    const FitRun failed = runFit(saving);
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.errText, "Cannot create file " + spectra + ".\n");
    EXPECT_EQ(failed.outText, plain.outText);
}

TEST(QuorvaneFit, HelpGoesToStandardOutput) {
    const FitRun help = runFit({"-n", "2", "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.errText, "");
    EXPECT_EQ(help.outText.rfind(kUsage, 0), 0u);
    for (const char* text :
         {"(default 4)", "(default 50)", "10e-6 100e-6 2e-3 20e-3 8e-3 2e-3 8e-3 40e-3 10e-6",
          "--save NAME", "Exit status: 0"})
        EXPECT_NE(help.outText.find(text), std::string::npos) << text;
}

TEST(QuorvaneFit, RequiredConvergenceAndTheSecondMethod) {
    const TempDir folder;
    const std::vector<std::string> files = {
        folder.write("450.txt", twoComponentTrace(0.0, 0.2, 0.1)),
        folder.write("500.txt", twoComponentTrace(0.001, -0.1, 0.3))};
    const auto fit = [&files](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), {"-n", "2", "--t1", "2e-5", "--t2", "5e-4"});
        arguments.insert(arguments.end(), files.begin(), files.end());
        return runFit(arguments);
    };
    // Three classic iterations leave the time constants where they started.
    const FitRun classic = fit({"-i", "3"});
    const FitRun required = fit({"-i", "3", "--require-convergence"});
    EXPECT_EQ(classic.exitCode, 0);
    EXPECT_EQ(required.exitCode, 3);
    EXPECT_EQ(required.outText, classic.outText);
    EXPECT_EQ(required.errText, classic.errText);
    EXPECT_EQ(required.errText.rfind("Not converged: ", 0), 0u) << required.errText;

    const FitRun projected = fit({"-i", "30", "--method", "varpro", "--require-convergence"});
    EXPECT_EQ(projected.exitCode, 0) << projected.errText;
    EXPECT_EQ(projected.errText, "Converged\n");
    EXPECT_EQ(projected.out.at(0), "t1 = 1.00000E-5");
    EXPECT_EQ(projected.out.at(1), "t2 = 1.00000E-3");
}

TEST(QuorvaneFit, DecimalSeparatorComesFromTheNumericLocale) {
    const TempDir folder;
    // A German locale compiled into the folder, where the system can.
    const std::string locales = (folder.path() / "locales").string();
    std::filesystem::create_directory(locales);
    const std::string compile =
        "localedef -i de_DE -f UTF-8 " + quoted(locales + "/de_DE.UTF-8") + " >/dev/null 2>&1";
    if (std::system(compile.c_str()) != 0)
        GTEST_SKIP() << "cannot compile a de_DE locale";

    std::string trace = twoComponentTrace(0.0, 0.2, 0.1);
    for (char& ch : trace) {
        if (ch == '.')
            ch = ',';
    }
    const std::string file = folder.write("450.txt", trace);
    const FitRun run =
        runFit({"-n", "2", "-i", "40", "--t1", "2,5e-5", "--t2", "1,2e-3", "--save",
                (folder.path() / "fit").string(), file},
               // The C library keeps the locale path it was given for the
               // life of the process; a leak checker would report it.
               "ASAN_OPTIONS=\"$ASAN_OPTIONS:detect_leaks=0\" LOCPATH=" + quoted(locales) +
                   " LC_ALL=de_DE.UTF-8 ");
    ASSERT_EQ(run.exitCode, 0) << run.errText;
    EXPECT_EQ(run.out.at(0), "t1 = 1,00000E-5");
    EXPECT_EQ(run.out.at(1), "t2 = 1,00000E-3");
    EXPECT_EQ(run.out.at(11), "Y0   0,00000");
    EXPECT_EQ(run.out.back().substr(0, 4), "450\t");
    EXPECT_NE(run.out.back().find("0,2"), std::string::npos) << run.out.back();
    // The files written for other programs keep the point.
    const std::string spectra = readFile(folder.path() / "fit-spectra.csv");
    EXPECT_NE(spectra.find("\n450,0."), std::string::npos) << spectra;
    EXPECT_EQ(std::count(spectra.begin(), spectra.end(), ','), 2 + 2) << spectra;
}

// ---- The example traces ------------------------------------------------------

std::filesystem::path examplesFolder() {
    const char* source = std::getenv("QUORVANE_SOURCE_DIR");
    return std::filesystem::path(source != nullptr ? source : ".") / "examples";
}

std::vector<std::string> exampleFiles(const std::filesystem::path& folder) {
    std::vector<std::string> files;
    for (const char* name : {"400.txt", "450.txt", "500.txt", "550.txt", "600.txt"}) {
        if (!std::filesystem::exists(folder / name))
            return {};
        files.push_back((folder / name).string());
    }
    return files;
}

FitRun fitExamples(const std::filesystem::path& folder) {
    std::vector<std::string> arguments = {"-n",   "3",    "-i",   "100",  "--t1",
                                          "1e-5", "--t2", "2e-4", "--t3", "1e-3"};
    for (const std::string& file : exampleFiles(folder))
        arguments.push_back(file);
    return runFit(arguments);
}

TEST(QuorvaneFitExamples, NoisyTracesGiveTheTimeConstantsWithinTheNoise) {
    if (exampleFiles(examplesFolder()).empty())
        GTEST_SKIP() << "no examples/ folder";
    const FitRun run = fitExamples(examplesFolder());
    ASSERT_EQ(run.exitCode, 0) << run.errText;
    const double expected[3] = {5e-6, 1e-4, 3e-3};
    for (int k = 0; k < 3; ++k) {
        const double fitted = textToDouble(run.out.at(k).substr(5));
        EXPECT_NEAR(fitted, expected[k], 0.03 * expected[k]) << run.out[k];
    }
    EXPECT_EQ(run.out.back().substr(0, 4), "600\t");
}

TEST(QuorvaneFitExamples, NoiselessTracesGiveTheTimeConstantsToSixDigits) {
    if (exampleFiles(examplesFolder() / "noiseless").empty())
        GTEST_SKIP() << "no examples";
    const FitRun run = fitExamples(examplesFolder() / "noiseless");
    ASSERT_EQ(run.exitCode, 0) << run.errText;
    EXPECT_EQ(run.out.at(0), "t1 = 5.00000E-6");
    EXPECT_EQ(run.out.at(1), "t2 = 1.00000E-4");
    EXPECT_EQ(run.out.at(2), "t3 = 3.00000E-3");
}

}  // namespace
}  // namespace quorvane
