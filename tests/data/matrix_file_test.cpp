#include "data/matrix_file.h"

#include <cmath>
#include <string>
#include <vector>

#include "data/matrix_number.h"
#include "data/matrix_orientation.h"
#include "support/expect_error.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

using testing::errorWithDetailOf;

Measurement readAndOrient(const std::string& text, Orientation orientation = Orientation::Auto) {
    const std::optional<MatrixFile> file = parseMatrixText(text, "/data/m.csv");
    if (!file)
        throw QuorvaneError("(read as a trace file)");
    return orientMatrix(*file, orientation);
}

struct LayoutCase {
    const char* name;
    std::string text;
    MatrixFormat format;
    Orientation orientation;
    WavelengthUnit unit;
    std::vector<double> times;
    std::vector<double> wavelengths;
    std::vector<double> values;  // time-major
};

const MatrixFormat kDelimited = MatrixFormat::Delimited;
const Orientation kDown = Orientation::TimesDown;
const Orientation kAcross = Orientation::TimesAcross;
const WavelengthUnit kNm = WavelengthUnit::Nanometre;

// Every layout and orientation; the values are those the text says, exactly.
const std::vector<LayoutCase> kLayouts = {
    {"csv, times down, empty corner",
     ",400,450.5,500\n-0.5,0.001,0.002,0.003\n0,0.011,-0.012,0.013\n1.5e2,1e-3,2E-3,3e-03\n",
     kDelimited,
     kDown,
     kNm,
     {-0.5, 0, 150},
     {400, 450.5, 500},
     {0.001, 0.002, 0.003, 0.011, -0.012, 0.013, 1e-3, 2e-3, 3e-3}},
    {"csv, times across, descending wavelengths",
     "Wavelength (nm) / Time (ps),-1,0,2.5,10\n410,1,2,3,4\n400,5,6,7,8\n",
     kDelimited,
     kAcross,
     kNm,
     {-1, 0, 2.5, 10},
     {410, 400},
     {1, 5, 2, 6, 3, 7, 4, 8}},
    {"semicolon, decimal comma, titles, trailing metadata",
     "Transient absorption, sample 3\nPump 400 nm; 1 mW\n;450,5;460,5\n0,1;1,25;-2,5e-3\n"
     "0,2;3;4\nExposure;100 ms\nAverages;500;2\n",
     kDelimited,
     kDown,
     kNm,
     {0.1, 0.2},
     {450.5, 460.5},
     {1.25, -2.5e-3, 3, 4}},
    {"tab, byte-order mark, CRLF, trailing tab",
     "\xEF\xBB\xBFtime\t500\t600\t\r\n-1\t1\t2\t\r\n1\t3\t4\t\r\n",
     kDelimited,
     kDown,
     kNm,
     {-1, 1},
     {500, 600},
     {1, 2, 3, 4}},
    {"blanks, no corner, Fortran numbers",
     "Streak camera export\n        500.0      510.0      520.0\n"
     "   -1.00000000E+00   9.99999978E-03   1.0D-02   -3.5E-04\n"
     "    2.00000000E+00   1.00000000E+00   2.5E+00   3.0E+00\n",
     kDelimited,
     kDown,
     kNm,
     {-1, 2},
     {500, 510, 520},
     {9.99999978E-03, 1e-2, -3.5e-4, 1, 2.5, 3}},
    {"blanks with a decimal comma",
     "0 400 450\n-1,5 0,25 0,5\n2 1 2\n",
     kDelimited,
     kDown,
     kNm,
     {-1.5, 2},
     {400, 450},
     {0.25, 0.5, 1, 2}},
    {"Glotaran, wavelength explicit, wrapped",
     "Sample TA run\n\n  WAVELENGTH   Explicit\nintervalnr\t3\n 400 450\n 500\n"
     "-1.0E+00 1.0E-03 2.0E-03\n 3.0E-03\n 2.0 4.0 5.0 6.0\n",
     MatrixFormat::GlotaranWavelengthExplicit,
     kDown,
     kNm,
     {-1, 2},
     {400, 450, 500},
     {1e-3, 2e-3, 3e-3, 4, 5, 6}},
    {"Glotaran, time explicit",
     "title\ncomment\nTime explicit\nIntervalnr 2\n0 1.5\n400 1 2\n500 3 4\n",
     MatrixFormat::GlotaranTimeExplicit,
     kAcross,
     kNm,
     {0, 1.5},
     {400, 500},
     {1, 3, 2, 4}},
    {"positive axes, the wavelengths within 150..3000",
     "t,400,700\n0.5,1,2\n5000,3,4\n",
     kDelimited,
     kDown,
     kNm,
     {0.5, 5000},
     {400, 700},
     {1, 2, 3, 4}},
    {"one wavelength",
     "time,500\n-1,0.5\n0,0.4\n",
     kDelimited,
     kDown,
     kNm,
     {-1, 0},
     {500},
     {0.5, 0.4}},
    {"wavenumbers",
     "Wavenumber / cm-1\n,15000,16000\n0.1,1,2\n1,3,4\n",
     kDelimited,
     kDown,
     WavelengthUnit::Wavenumber,
     {0.1, 1},
     {15000, 16000},
     {1, 2, 3, 4}},
};

TEST(MatrixFile, ReadsEveryLayoutValueForValue) {
    for (const LayoutCase& layout : kLayouts) {
        SCOPED_TRACE(layout.name);
        const Measurement measurement = readAndOrient(layout.text);
        EXPECT_EQ(measurement.format, layout.format);
        EXPECT_EQ(measurement.orientation, layout.orientation);
        EXPECT_EQ(measurement.unit, layout.unit);
        EXPECT_EQ(measurement.title, "m.csv");
        EXPECT_EQ(measurement.matrix.times, layout.times);
        EXPECT_EQ(measurement.matrix.wavelengths, layout.wavelengths);
        EXPECT_EQ(measurement.matrix.values, layout.values);
    }
}

TEST(MatrixFile, TraceFilesAreNoMatrices) {
    for (const char* text : {"1e-6 0.012\n2e-6 0.010\n4e-6 0.007\n", "time signal\n1e-6 0.5\n",
                             "1e-6 0.5", "1,5E-6 0,25\n2,5E-6 0,20\n", "", "1e-6\t0.5\n",
                             "1e-6 0.5\n2e-6 0.4 7\n", "x 0.5\n1e-6 0.4\n"}) {
        EXPECT_FALSE(parseMatrixText(text, "450.txt").has_value()) << text;
    }
}

TEST(MatrixFile, ReadsFromTheFileSystem) {
    const testing::TempDir dir;
    const std::string path = dir.write("run.csv", kLayouts[0].text);
    EXPECT_EQ(readMatrixFile(path)->cells, parseMatrixText(kLayouts[0].text, path)->cells);
    EXPECT_EQ(errorWithDetailOf([&] { readMatrixFile(path + ".missing"); }), "File not found | ");
}

struct BadCase {
    const char* text;
    std::string expected;  // "message | detail"
};

TEST(MatrixFile, RefusesBadInputNamingTheLine) {
    const std::string file = "File m.csv, line ";
    const std::string refused = "Cannot load m.csv: ";
    const std::vector<BadCase> cases = {
        {",400,500\n1,2,3\n2,4\n3,5,6\n",
         refused + "line 3 has 2 cells where the rows of the matrix have 3 | " + file + "3."},
        {",400,500\n1,2,3\n\n3,5,6\n",
         refused + "line 4 is a row of the matrix after its end at line 3 | " + file + "4."},
        {",400,500\n1,2,3\n2,,5\n", refused + "empty cell in column 2 of line 3 | " + file + "3."},
        {",400,500\n1,,3\n2,4,5\n", refused + "empty cell in column 2 of line 2 | " + file + "2."},
        {",400,500\n1,2,3\n2,nan,5\n",
         "'nan' is not a valid floating point value | " + file + "3."},
        {",400,500\n-1,1e400,3\n0,1,2\n",
         "'1e400' is not a valid floating point value | " + file + "2."},
        {",400,500\n", refused + "the header at line 1 has no rows after it | " + file + "1."},
        {",400,,500\n-1,1,2,3\n0,4,5,6\n",
         refused + "empty cell in column 3 of line 1 | " + file + "1."},
        {",400,500\n1,2,3\n3,4,5\n2,6,7\n",
         refused + "the times are not strictly increasing or decreasing: 2 on line 4 follows 3 | " +
             file + "4."},
        {",400,500,400\n-1,1,2,3\n",
         refused + "wavelength 400 is given twice on line 1 | " + file + "1."},
        {"t,-1,0\n400,1,2\n500,3,4\n400,5,6\n",
         refused + "wavelength 400 is given on lines 2 and 4 | " + file + "4."},
        {",400,500,450\n-1,1,2,3\n",
         refused +
             "the wavelengths are not strictly increasing or decreasing: 450 on line 1 "
             "follows 500 | " +
             file + "1."},
        {"t\n\nTime explicit\nIntervals 3\n",
         refused + "line 4 must read Intervalnr followed by the number of values | " + file + "4."},
        {"t\n\nTime explicit\nIntervalnr 2\n0 1\n400 1 2\n500 3\n",
         refused + "the last row, from line 7, has 2 of its 3 values | " + file + "7."},
        {"t\n\nWavelength explicit\nIntervalnr 2\n400 500\n0 1 x\n",
         "'x' is not a valid floating point value | " + file + "6."},
        {"t\n\nWavelength explicit\nIntervalnr 3\n400 500\n",
         refused + "Intervalnr is 3 but only 2 values follow line 4 | " + file + "5."},
        {"t\n\nWavelength explicit\nIntervalnr 2\n400 500\n",
         refused + "the axis has no rows after it (line 5) | " + file + "5."},
        {"x,1,2\n3,4,5\n6,7,8\n",
         refused + "cannot tell the times from the wavelengths (no axis has a value <= 0, and "
                   "neither axis lies within 150..3000 nm) | File m.csv."},
    };
    for (const BadCase& bad : cases)
        EXPECT_EQ(errorWithDetailOf([&] { readAndOrient(bad.text); }), bad.expected) << bad.text;
}

MatrixFile delimitedFile(std::vector<double> across, std::vector<double> down,
                         WavelengthUnit unit = WavelengthUnit::Nanometre) {
    MatrixFile file;
    file.title = "m.csv";
    file.unit = unit;
    file.acrossLines.assign(across.size(), 1);
    for (std::size_t i = 0; i < down.size(); ++i)
        file.downLines.push_back(static_cast<int>(i) + 2);
    file.cells.assign(across.size() * down.size(), 0.0);
    file.across = std::move(across);
    file.down = std::move(down);
    return file;
}

TEST(MatrixOrientation, FollowsTheStatedRule) {
    struct Case {
        MatrixFile file;
        bool decided;
        Orientation orientation;
    };
    const WavelengthUnit kCm = WavelengthUnit::Wavenumber;
    const std::vector<Case> cases = {
        {delimitedFile({400, 500}, {-1, 1}), true, kDown},
        {delimitedFile({0, 1}, {400, 500}), true, kAcross},
        {delimitedFile({0, 1}, {-1, 400}), false, kDown},
        {delimitedFile({400, 500}, {1, 10}), true, kDown},
        {delimitedFile({1, 10}, {400, 500}), true, kAcross},
        {delimitedFile({400, 500}, {300, 600}), false, kDown},
        {delimitedFile({1, 2}, {3, 4}), false, kDown},
        {delimitedFile({15000, 16000}, {0.1, 1}, kCm), true, kDown},
        {delimitedFile({15000, 16000}, {0.1, 1}), false, kDown},
    };
    for (const Case& rule : cases) {
        const OrientationDecision decision = decideOrientation(rule.file);
        EXPECT_EQ(decision.decided, rule.decided) << decision.reason;
        if (rule.decided) {
            EXPECT_EQ(decision.orientation, rule.orientation) << decision.reason;
        }
    }
}

TEST(MatrixOrientation, AnOverrideDecidesForADelimitedFileOnly) {
    MatrixFile file = delimitedFile({1, 2, 3}, {4, 5});
    file.cells = {1, 2, 3, 4, 5, 6};
    EXPECT_THROW(orientMatrix(file, Orientation::Auto), UndecidedOrientation);
    const Measurement across = orientMatrix(file, Orientation::TimesAcross);
    EXPECT_EQ(across.matrix.times, (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(across.matrix.values, (std::vector<double>{1, 4, 2, 5, 3, 6}));
    EXPECT_EQ(orientMatrix(file, Orientation::TimesDown).matrix.values, file.cells);

    file.format = MatrixFormat::GlotaranTimeExplicit;
    EXPECT_EQ(orientMatrix(file, Orientation::TimesDown).orientation, Orientation::TimesAcross);
    for (const Orientation orientation :
         {Orientation::Auto, Orientation::TimesDown, Orientation::TimesAcross})
        EXPECT_EQ(orientationFromName(orientationName(orientation)), orientation);
    EXPECT_FALSE(orientationFromName("down").has_value());
}

TEST(MatrixNumber, ReadsCellsCorrectlyRounded) {
    struct Case {
        const char* text;
        bool decimalComma;
        CellKind kind;
        double value;
    };
    const std::vector<Case> cases = {
        {"9.99999978E-03", false, CellKind::Number, 9.99999978E-03},
        {" 1.0D-03\t", false, CellKind::Number, 1e-3},
        {"+5", false, CellKind::Number, 5},
        {".5", false, CellKind::Number, 0.5},
        {"5.", false, CellKind::Number, 5},
        {"0.1", false, CellKind::Number, 0.1},
        {"9007199254740993", false, CellKind::Number, 9007199254740992.0},
        {"2.4703282292062328e-324", false, CellKind::Number, 4.9406564584124654e-324},
        {"-1e-400", false, CellKind::Number, -0.0},
        {"\"2.5\"", false, CellKind::Number, 2.5},
        {"1,5", true, CellKind::Number, 1.5},
        {"-2,5d-3", true, CellKind::Number, -2.5e-3},
        {"1,5", false, CellKind::Text, 0},
        {"1.5,3", true, CellKind::Text, 0},
        {"1e", false, CellKind::Text, 0},
        {"0x10", false, CellKind::Text, 0},
        {"+-1", false, CellKind::Text, 0},
        {"nm", false, CellKind::Text, 0},
        {"  ", false, CellKind::Empty, 0},
        {"1e400", false, CellKind::Invalid, 0},
        {"-NaN", false, CellKind::Invalid, 0},
        {"inf", false, CellKind::Invalid, 0},
    };
    for (const Case& number : cases) {
        const Cell cell = readCell(number.text, number.decimalComma);
        EXPECT_EQ(cell.kind, number.kind) << number.text;
        if (number.kind == CellKind::Number) {
            EXPECT_EQ(cell.value, number.value) << number.text;
            EXPECT_EQ(std::signbit(cell.value), std::signbit(number.value)) << number.text;
        }
    }
}

}  // namespace
}  // namespace quorvane
