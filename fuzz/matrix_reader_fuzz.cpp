// Fuzzes the matrix-file reader with arbitrary bytes as the content of a
// file, then carries whatever it reads through the orientation, a plan and a
// load, as File > Open would. Checked at each step:
//   - the reader either says "no matrix", or returns a grid whose shapes
//     agree (a value per row and column, a line per axis value), or refuses
//     with a message of its own naming the file;
//   - each orientation gives a measurement of the grid's shape with a
//     strictly monotonic time axis and distinct, monotonic wavelengths;
//   - a plan's traces fit the room and name existing columns, and a load adds
//     exactly the planned curves with the planned points and wavelengths; a
//     refused plan or load leaves curveCount as it was.
// Loads go on until the workspace is full, then curveCount starts again at 0.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "data/error.h"
#include "data/loaded_measurement.h"
#include "data/matrix_file.h"
#include "data/matrix_orientation.h"
#include "data/trace_choice.h"
#include "data/workspace.h"

namespace {

using namespace quorvane;

const std::string kPath = "/fuzz/matrix.csv";

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "matrix_reader_fuzz: %s (curveCount %d)\n", what, workspace.curveCount);
    std::abort();
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// "Cannot load matrix.csv: ..." or a cell that is not a number.
void checkMessage(const QuorvaneError& error) {
    const std::string& message = error.message();
    if (startsWith(message, "Cannot load matrix.csv: ") ||
        (startsWith(message, "'") && endsWith(message, "' is not a valid floating point value")))
        return;
    std::fprintf(stderr, "unexpected message: %s\n", message.c_str());
    fail("unexpected refusal message");
}

void checkGrid(const MatrixFile& file) {
    if (file.rowCount() == 0 || file.columnCount() == 0)
        fail("a grid without rows or columns");
    if (file.cells.size() != file.rowCount() * file.columnCount())
        fail("the cells do not fill the grid");
    if (file.downLines.size() != file.rowCount() || file.acrossLines.size() != file.columnCount())
        fail("an axis value without its line");
}

bool strictlyMonotonic(const std::vector<double>& axis) {
    for (std::size_t i = 2; i < axis.size(); ++i) {
        if ((axis[1] > axis[0]) != (axis[i] > axis[i - 1]) || axis[i] == axis[i - 1])
            return false;
    }
    return axis.size() < 2 || axis[1] != axis[0];
}

void checkMeasurement(const MatrixFile& file, const Measurement& measurement) {
    const KineticMatrix& matrix = measurement.matrix;
    if (matrix.timeCount() * matrix.wavelengthCount() != file.cells.size() ||
        matrix.values.size() != file.cells.size())
        fail("the measurement lost or gained values");
    if (!strictlyMonotonic(matrix.times) || !strictlyMonotonic(matrix.wavelengths))
        fail("an axis that is not strictly monotonic passed");
}

void planAndLoad(const Measurement& measurement) {
    if (workspace.curveCount == kMaxCurves)
        workspace.curveCount = 0;
    const int before = workspace.curveCount;
    TracePlan plan;
    try {
        plan = planTraces(measurement, TraceChoice{}, roomInWorkspace());
    } catch (const QuorvaneError& error) {
        checkMessage(error);
        if (workspace.curveCount != before)
            fail("a refused plan changed curveCount");
        return;
    }
    if (plan.traces.empty() || plan.traces.size() > static_cast<std::size_t>(plan.room))
        fail("a plan beyond the room");
    for (const PlannedTrace& trace : plan.traces) {
        for (const std::size_t column : trace.columns) {
            if (column >= measurement.matrix.wavelengthCount())
                fail("a planned column outside the measurement");
        }
    }
    const int first = loadMatrixTraces(measurement, plan);
    if (first != before + 1 ||
        workspace.curveCount != before + static_cast<int>(plan.traces.size()))
        fail("the load added another number of curves");
    for (std::size_t k = 0; k < plan.traces.size(); ++k) {
        const int curve = first + static_cast<int>(k);
        if (workspace.pointCount[curve] != static_cast<int>(plan.timeCount) ||
            !(workspace.wavelength[curve] == plan.traces[k].wavelength))
            fail("a loaded curve differs from its plan");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::optional<MatrixFile> file;
    try {
        file = parseMatrixText(text, kPath);
    } catch (const QuorvaneError& error) {
        checkMessage(error);
        return 0;
    }
    if (!file)
        return 0;
    checkGrid(*file);
    for (const Orientation orientation :
         {Orientation::Auto, Orientation::TimesDown, Orientation::TimesAcross}) {
        try {
            const Measurement measurement = orientMatrix(*file, orientation);
            checkMeasurement(*file, measurement);
            if (orientation == Orientation::Auto)
                planAndLoad(measurement);
        } catch (const QuorvaneError& error) {
            checkMessage(error);
        }
    }
    clearLoadedMeasurement();
    return 0;
}
