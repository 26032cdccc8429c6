#include "data/matrix_orientation.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "data/matrix_text.h"
#include "data/number_format.h"

namespace quorvane {

namespace {

struct WavelengthRange {
    double low;
    double high;
    const char* text;
};

WavelengthRange wavelengthRange(WavelengthUnit unit) {
    if (unit == WavelengthUnit::Wavenumber)
        return {300.0, 70000.0, "300..70000 cm^-1"};
    return {150.0, 3000.0, "150..3000 nm"};
}

bool hasNonPositive(const std::vector<double>& axis) {
    return std::any_of(axis.begin(), axis.end(), [](double v) { return v <= 0.0; });
}

bool within(const std::vector<double>& axis, const WavelengthRange& range) {
    return std::all_of(axis.begin(), axis.end(),
                       [&](double v) { return v >= range.low && v <= range.high; });
}

// Two equal values: the pair whose later member comes first in the file.
void checkDistinct(const std::vector<double>& axis, const std::vector<int>& lines,
                   const std::string& title) {
    std::vector<std::size_t> order(axis.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return axis[a] < axis[b]; });
    std::size_t first = 0;
    std::size_t second = axis.size();
    for (std::size_t k = 1; k < order.size(); ++k) {
        if (axis[order[k]] == axis[order[k - 1]] && order[k] < second) {
            first = order[k - 1];
            second = order[k];
        }
    }
    if (second == axis.size())
        return;
    const std::string where =
        lines[first] == lines[second]
            ? "twice on line " + std::to_string(lines[second])
            : "on lines " + std::to_string(lines[first]) + " and " + std::to_string(lines[second]);
    throw matrix_text::lineError(
        title, lines[second], "wavelength " + formatGeneral15(axis[second]) + " is given " + where);
}

void checkMonotonic(const std::vector<double>& axis, const std::vector<int>& lines,
                    const std::string& title, const char* name) {
    if (axis.size() < 2)
        return;
    const bool increasing = axis[1] > axis[0];
    for (std::size_t i = 1; i < axis.size(); ++i) {
        const bool inOrder = increasing ? axis[i] > axis[i - 1] : axis[i] < axis[i - 1];
        if (!inOrder) {
            throw matrix_text::lineError(
                title, lines[i],
                std::string("the ") + name + " are not strictly increasing or decreasing: " +
                    formatGeneral15(axis[i]) + " on line " + std::to_string(lines[i]) +
                    " follows " + formatGeneral15(axis[i - 1]));
        }
    }
}

std::vector<double> transposed(const std::vector<double>& cells, std::size_t rows,
                               std::size_t columns) {
    std::vector<double> result(cells.size());
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < columns; ++c)
            result[c * rows + r] = cells[r * columns + c];
    }
    return result;
}

}  // namespace

OrientationDecision decideOrientation(const MatrixFile& file) {
    if (file.format == MatrixFormat::GlotaranTimeExplicit)
        return {true, Orientation::TimesAcross, "the file is Time explicit"};
    if (file.format == MatrixFormat::GlotaranWavelengthExplicit)
        return {true, Orientation::TimesDown, "the file is Wavelength explicit"};

    const bool acrossNonPositive = hasNonPositive(file.across);
    const bool downNonPositive = hasNonPositive(file.down);
    if (downNonPositive && !acrossNonPositive)
        return {true, Orientation::TimesDown, "the first column has a value <= 0"};
    if (acrossNonPositive && !downNonPositive)
        return {true, Orientation::TimesAcross, "the first row has a value <= 0"};
    if (acrossNonPositive && downNonPositive)
        return {false, Orientation::TimesDown,
                "both the first row and the first column have a value <= 0"};

    const WavelengthRange range = wavelengthRange(file.unit);
    const bool acrossWithin = within(file.across, range);
    const bool downWithin = within(file.down, range);
    if (acrossWithin && !downWithin) {
        return {true, Orientation::TimesDown,
                std::string("the first row lies within ") + range.text +
                    " and the first column does not"};
    }
    if (downWithin && !acrossWithin) {
        return {true, Orientation::TimesAcross,
                std::string("the first column lies within ") + range.text +
                    " and the first row does not"};
    }
    return {false, Orientation::TimesDown,
            std::string("no axis has a value <= 0, and ") +
                (acrossWithin ? "both axes lie" : "neither axis lies") + " within " + range.text};
}

Measurement orientMatrix(MatrixFile file, Orientation orientation) {
    const OrientationDecision decision = decideOrientation(file);
    if (orientation == Orientation::Auto || file.format != MatrixFormat::Delimited) {
        if (!decision.decided) {
            throw UndecidedOrientation("Cannot load " + file.title +
                                           ": cannot tell the times from the wavelengths (" +
                                           decision.reason + ")",
                                       "File " + file.title + ".");
        }
        orientation = decision.orientation;
    }

    Measurement measurement;
    measurement.path = file.path;
    measurement.title = file.title;
    measurement.format = file.format;
    measurement.orientation = orientation;
    measurement.unit = file.unit;
    const bool timesDown = orientation == Orientation::TimesDown;
    const std::vector<int>& timeLines = timesDown ? file.downLines : file.acrossLines;
    const std::vector<int>& wavelengthLines = timesDown ? file.acrossLines : file.downLines;
    KineticMatrix& matrix = measurement.matrix;
    checkDistinct(timesDown ? file.across : file.down, wavelengthLines, file.title);
    checkMonotonic(timesDown ? file.across : file.down, wavelengthLines, file.title, "wavelengths");
    checkMonotonic(timesDown ? file.down : file.across, timeLines, file.title, "times");
    matrix.values = timesDown ? std::move(file.cells)
                              : transposed(file.cells, file.rowCount(), file.columnCount());
    matrix.times = std::move(timesDown ? file.down : file.across);
    matrix.wavelengths = std::move(timesDown ? file.across : file.down);
    return measurement;
}

const char* orientationName(Orientation orientation) {
    switch (orientation) {
        case Orientation::Auto:
            return "auto";
        case Orientation::TimesDown:
            return "times-down";
        case Orientation::TimesAcross:
            return "times-across";
    }
    return "auto";
}

std::optional<Orientation> orientationFromName(std::string_view name) {
    for (const Orientation orientation :
         {Orientation::Auto, Orientation::TimesDown, Orientation::TimesAcross}) {
        if (name == orientationName(orientation))
            return orientation;
    }
    return std::nullopt;
}

}  // namespace quorvane
