// quorvane-fit on matrix files, run in the same process: the traces each
// layout gives, their wavelengths in the reports and saved files, the
// singular values, and the refused option values.

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "cli/batch_run.h"
#include "cli/matrix_inputs.h"
#include "data/loaded_measurement.h"
#include "data/number_text.h"
#include "data/trace_reader.h"
#include "data/workspace.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::readFile;

// The cell of a small matrix at time index t and column w: exact in binary
// and in decimal.
double cell(std::size_t t, std::size_t w) {
    return static_cast<double>(t) + 0.125 * static_cast<double>(w + 1);
}
const std::vector<std::string> kTimes = {"0", "1", "2", "3"};

// The matrix of cell() in a delimited layout: times down or across, with
// `mark` as decimal separator.
std::string delimited(const std::vector<std::string>& wavelengths, char separator, bool timesDown,
                      char mark = '.') {
    const auto number = [mark](double value) {
        std::string text = (std::ostringstream() << value).str();
        for (char& ch : text)
            ch = ch == '.' ? mark : ch;
        return text;
    };
    const std::vector<std::string>& across = timesDown ? wavelengths : kTimes;
    const std::vector<std::string>& down = timesDown ? kTimes : wavelengths;
    std::string text = "Time / nm";
    for (const std::string& value : across)
        text += separator + value;
    text += '\n';
    for (std::size_t r = 0; r < down.size(); ++r) {
        text += down[r];
        for (std::size_t c = 0; c < across.size(); ++c)
            text += separator + number(timesDown ? cell(r, c) : cell(c, r));
        text += '\n';
    }
    return text;
}

// Time explicit, the axis and every row wrapped after two numbers.
std::string glotaran(const std::vector<std::string>& wavelengths) {
    std::string text = "title\n\n  time EXPLICIT\nintervalnr 4\n0 1\n2 3\n";
    for (std::size_t w = 0; w < wavelengths.size(); ++w) {
        std::ostringstream row;
        row << wavelengths[w] << ' ' << cell(0, w) << '\n'
            << cell(1, w) << '\t' << cell(2, w) << "\n"
            << cell(3, w) << '\n';
        text += row.str();
    }
    return text;
}

class MatrixBatch : public testing::WorkspaceTest {
  protected:
    void SetUp() override {
        testing::WorkspaceTest::SetUp();
        clearLoadedMeasurement();
    }
    void TearDown() override { clearLoadedMeasurement(); }
    int run(std::vector<std::string> arguments) {
        out.str("");
        err.str("");
        std::string problem;
        const std::optional<BatchRequest> request = parseCommandLine(arguments, problem);
        EXPECT_TRUE(request) << problem;
        return request ? runBatch(*request, out, err, false) : -1;
    }
    std::string path(const std::string& name) const { return (folder.path() / name).string(); }
    testing::TempDir folder;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(MatrixBatch, EachLayoutGivesItsColumnsAsTraceFilesThatReadBackExactly) {
    const std::vector<std::string> nm = {"450", "500", "550"};
    const std::vector<std::pair<std::string, std::string>> layouts = {
        {"down.csv", delimited(nm, ',', true) + "Instrument: probe,2\n"},
        {"across.csv", delimited(nm, ',', false)},
        {"comma.txt", delimited(nm, ';', true, ',')},
        {"wrapped.ascii", glotaran(nm)},
    };
    for (const auto& [name, text] : layouts) {
        testing::resetWholeWorkspace();
        std::filesystem::remove_all(path("out"));
        std::filesystem::create_directory(path("out"));
        ASSERT_EQ(run({"--write-traces", path("out"), folder.write(name, text)}), kExitSuccess)
            << name << err.str();
        testing::resetWholeWorkspace();
        for (std::size_t w = 0; w < nm.size(); ++w) {
            const int curve = loadTraceFile(path("out/" + nm[w] + "nm.txt"));
            EXPECT_EQ(workspace.wavelength[curve], std::stod(nm[w])) << name;
            ASSERT_EQ(workspace.pointCount[curve], 4) << name;
            for (std::size_t t = 0; t < kTimes.size(); ++t) {
                EXPECT_EQ(workspace.curves[curve].times[t + 1], static_cast<double>(t)) << name;
                EXPECT_EQ(workspace.curves[curve].values[t + 1], cell(t, w)) << name;
            }
        }
    }
}

TEST_F(MatrixBatch, BinsAreColumnMeansAndTheListShowsThem) {
    const std::string file =
        folder.write("m.csv", delimited({"400", "401", "402", "403"}, ',', true));
    std::filesystem::create_directory(path("out"));
    ASSERT_EQ(run({"--traces", "2", "--list", "--write-traces", path("out"), file}), kExitSuccess);
    EXPECT_NE(out.str().find("1\t400.5\t2\t4\tm.csv\n2\t402.5\t2\t4\tm.csv\n"), std::string::npos)
        << out.str();
    EXPECT_EQ(readFile(path("out/402.5nm.txt")), "0 0.4375\n1 1.4375\n2 2.4375\n3 3.4375\n");
}

TEST_F(MatrixBatch, TraceFilesAreWrittenWithTheLocalesDecimalSeparator) {
    setDecimalSeparator(',');
    const std::string file = folder.write("m.csv", "Delay;450,5\n0;0,125\n1;2\n");
    std::filesystem::create_directory(path("out"));
    ASSERT_EQ(run({"--write-traces", path("out"), file}), kExitSuccess) << err.str();
    EXPECT_EQ(readFile(path("out/450,5nm.txt")), "0 0,125\n1 2\n");
}

TEST_F(MatrixBatch, WavelengthsReachTheSpectraAndTheSavedFilesAndTheSingularValuesComeLast) {
    // One decay of time constant 2 with the spectrum (1, -0.5); a
    // wavelength of four digits keeps all of them.
    std::string text = "t,452.5,1050\n";
    for (int t = 0; t < 30; ++t) {
        const double decay = std::exp(-t / 2.0);
        std::ostringstream row;
        row.precision(17);
        row << t << ',' << decay << ',' << -0.5 * decay << '\n';
        text += row.str();
    }
    ASSERT_EQ(run({"-n", "1", "--t1", "1.5", "--method", "varpro", "--svd", "--save", path("fit"),
                   folder.write("m.csv", text)}),
              kExitSuccess)
        << err.str();
    const std::string printed = out.str();
    const std::size_t spectra = printed.find("\nSpectra\n452.5\t");
    ASSERT_NE(spectra, std::string::npos) << printed;
    EXPECT_NE(printed.find("\n1050\t", spectra), std::string::npos);
    EXPECT_GT(printed.find("\nSingular values\ndata\t"), spectra);
    EXPECT_EQ(readFile(path("fit.txt")), printed);

    const std::string csv = readFile(path("fit-spectra.csv"));
    EXPECT_NE(csv.find("\n452.5,"), std::string::npos);
    EXPECT_NE(csv.find("\n1050,"), std::string::npos);
    const std::string curves = readFile(path("fit-curves.csv"));
    EXPECT_EQ(
        curves.rfind("trace,file,wavelength,time,value,model,residual\n1,m.csv,452.5,0,1,", 0), 0u);
    EXPECT_NE(curves.find("\n2,m.csv,1050,0,-0.5,"), std::string::npos);
    EXPECT_EQ(
        readFile(path("fit-svd.csv")).rfind("matrix,quantity,k,axis,value\ndata,value,1,,", 0), 0u);
    // A decay times a spectrum has rank one.
    std::istringstream values(printed.substr(printed.find("\ndata\t") + 6));
    double s1 = 0, s2 = 0;
    values >> s1 >> s2;
    EXPECT_LT(s2, 1e-9 * s1) << s1 << ' ' << s2;
}

TEST_F(MatrixBatch, OptionsThatCannotHoldAreUsageErrors) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> refused = {
        {{"--bin", "0"}, "bad value '0' of option '--bin' (a width greater than 0)"},
        {{"--traces", "2.5"},
         "bad value '2.5' of option '--traces' (a whole number of at least 1)"},
        {{"--bin", "2", "--every", "3"},
         "options '--bin', '--traces' and '--every' exclude each other"},
        {{"--times", "1"},
         "bad value '1' of option '--times' (FROM:TO, two numbers, one of them may be left out)"},
        {{"--exclude", ":"},
         "bad value ':' of option '--exclude' (FROM:TO, two numbers, one of them may be left "
         "out)"},
        {{"--orientation", "up"},
         "bad value 'up' of option '--orientation' (auto, times-down or times-across)"},
        {{"--wavelengths"}, "option '--wavelengths' needs a value"},
    };
    for (const auto& [arguments, message] : refused) {
        std::vector<std::string> line = {"m.csv"};
        line.insert(line.end(), arguments.begin(), arguments.end());
        std::string problem;
        EXPECT_FALSE(parseCommandLine(line, problem));
        EXPECT_EQ(problem, message) << arguments[0];
    }
    // Known only from the files: an orientation the rule cannot decide, and a
    // choice without a matrix to choose from.
    const std::string inRange = folder.write("range.csv", "x,450,500\n200,1,2\n300,3,4\n");
    EXPECT_EQ(run({"--list", inRange}), kExitUsage);
    EXPECT_NE(err.str().find("--orientation times-down"), std::string::npos) << err.str();
    EXPECT_EQ(run({"--list", "--orientation", "times-down", inRange}), kExitSuccess);
    EXPECT_EQ(run({"--bin", "5", folder.write("450.txt", "1 2\n")}), kExitUsage);
    EXPECT_EQ(err.str(),
              "quorvane-fit: option '--bin' chooses from matrix files, and no FILE is one\n");
}

TEST(TraceFileName, CarriesTheWavelengthWhereTheReaderCanReadIt) {
    EXPECT_EQ(traceFileName(452.5, WavelengthUnit::Nanometre), "452.5nm.txt");
    EXPECT_EQ(traceFileName(1050, WavelengthUnit::Nanometre), "w1050nm.txt");
    EXPECT_EQ(traceFileName(15873, WavelengthUnit::Wavenumber), "w15873cm-1.txt");
}

}  // namespace
}  // namespace quorvane
