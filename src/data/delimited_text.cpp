// The delimited layout of matrix_file.h: CSV, TSV, semicolon or blank
// separated, a header row and rows that start with a value of the other axis.
#include <optional>
#include <string>

#include "data/matrix_number.h"
#include "data/matrix_text.h"

namespace quorvane::matrix_text {

namespace {

// Title lines allowed before the header.
constexpr std::size_t kMaxTitleLines = 1000;
// In the order they are tried; ' ' stands for runs of blanks and tabs.
constexpr char kSeparators[] = {'\t', ';', ',', ' '};

bool isBlank(char ch) {
    return ch == ' ' || ch == '\t';
}

// The cells of a line. One separator at the end of the line is ignored.
void splitCells(std::string_view line, char separator, std::vector<std::string_view>& cells) {
    cells.clear();
    if (separator == ' ') {
        splitAtBlanks(line, cells);
        return;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = line.find(separator, start);
        cells.push_back(line.substr(start, at == std::string_view::npos ? at : at - start));
        if (at == std::string_view::npos)
            break;
        start = at + 1;
    }
    if (cells.size() > 1 && trimBlanks(cells.back()).empty())
        cells.pop_back();
}

struct Kinds {
    bool allNumbers = true;  // every cell a number
    bool anyText = false;
    bool allEmpty = true;
};

Kinds kindsOf(const std::vector<std::string_view>& cells, std::size_t from, bool decimalComma) {
    Kinds kinds;
    for (std::size_t i = from; i < cells.size(); ++i) {
        const CellKind kind = readCell(cells[i], decimalComma).kind;
        kinds.allNumbers = kinds.allNumbers && kind == CellKind::Number;
        kinds.anyText = kinds.anyText || kind == CellKind::Text;
        kinds.allEmpty = kinds.allEmpty && kind == CellKind::Empty;
    }
    return kinds;
}

bool isNumber(std::string_view cell, bool decimalComma) {
    return readCell(cell, decimalComma).kind == CellKind::Number;
}

// Where the matrix starts: its separator, the header line (an index into the
// lines), the length of its rows and whether the header has a first cell.
struct Layout {
    char separator = ',';
    std::size_t header = 0;
    std::size_t rowLength = 0;
    bool corner = true;
};

// Line `index` and the line after it are a header and a row with separator
// `separator`.
std::optional<Layout> headerAndRowAt(const std::vector<std::string_view>& lines, std::size_t index,
                                     char separator, std::vector<std::string_view>& header,
                                     std::vector<std::string_view>& row) {
    const bool decimalComma = separator != ',';
    if (separator != ' ' && lines[index].find(separator) == std::string_view::npos)
        return std::nullopt;
    splitCells(lines[index], separator, header);
    splitCells(lines[index + 1], separator, row);
    // An empty first cell shows in a blank-separated header as leading blanks.
    const bool cornerless = separator == ' ' && row.size() == header.size() + 1 &&
                            !lines[index].empty() && isBlank(lines[index][0]);
    if (row.size() < 2 || (row.size() != header.size() && !cornerless))
        return std::nullopt;
    if (!kindsOf(row, 0, decimalComma).allNumbers ||
        !kindsOf(header, cornerless ? 0 : 1, decimalComma).allNumbers)
        return std::nullopt;
    return Layout{separator, index, row.size(), !cornerless};
}

std::optional<Layout> findLayout(const std::vector<std::string_view>& lines) {
    std::vector<std::string_view> header;
    std::vector<std::string_view> row;
    for (const char separator : kSeparators) {
        for (std::size_t index = 0; index + 1 < lines.size() && index <= kMaxTitleLines; ++index) {
            if (const std::optional<Layout> layout =
                    headerAndRowAt(lines, index, separator, header, row))
                return layout;
        }
    }
    return std::nullopt;
}

QuorvaneError emptyCell(const std::string& title, int line, std::size_t column) {
    return lineError(
        title, line,
        "empty cell in column " + std::to_string(column + 1) + " of line " + std::to_string(line));
}

// The first cell of `cells` from `from` on that is not a number, as its error.
QuorvaneError firstBadCell(const std::string& title, int line,
                           const std::vector<std::string_view>& cells, bool decimalComma,
                           std::size_t from = 0) {
    for (std::size_t i = from; i < cells.size(); ++i) {
        const CellKind kind = readCell(cells[i], decimalComma).kind;
        if (kind == CellKind::Empty)
            return emptyCell(title, line, i);
        if (kind != CellKind::Number)
            return badNumber(title, line, trimBlanks(cells[i]));
    }
    return lineError(title, line, "line " + std::to_string(line) + " is not a row");
}

QuorvaneError raggedRow(const std::string& title, int line, std::size_t cells,
                        std::size_t rowLength) {
    return lineError(title, line,
                     "line " + std::to_string(line) + " has " + std::to_string(cells) +
                         " cells where the rows of the matrix have " + std::to_string(rowLength));
}

// No layout was found: refuses a header-like line (an axis of numbers after
// a first cell that is text or empty, two values at least with blanks) with
// what stops it, or says that the text is no matrix. A line of numbers alone,
// or two blank-separated cells, cannot be told from a stray line of a trace
// file and is left to the trace reader.
void refuseLoneHeader(const std::vector<std::string_view>& lines, const std::string& title) {
    std::vector<std::string_view> header;
    std::vector<std::string_view> next;
    for (const char separator : kSeparators) {
        const bool decimalComma = separator != ',';
        for (std::size_t index = 0; index < lines.size() && index <= kMaxTitleLines; ++index) {
            if (separator != ' ' && lines[index].find(separator) == std::string_view::npos)
                continue;
            splitCells(lines[index], separator, header);
            const bool emptyCorner =
                separator == ' ' && !lines[index].empty() && isBlank(lines[index][0]);
            if (emptyCorner)
                header.insert(header.begin(), std::string_view());
            const std::size_t shortest = separator == ' ' ? 3 : 2;
            if (header.size() < shortest || isNumber(header[0], decimalComma) ||
                !kindsOf(header, 1, decimalComma).allNumbers)
                continue;
            const int line = static_cast<int>(index) + 1;
            if (index + 1 < lines.size()) {
                splitCells(lines[index + 1], separator, next);
                if (!next.empty() && isNumber(next[0], decimalComma)) {
                    if (next.size() != header.size())
                        throw raggedRow(title, line + 1, next.size(), header.size());
                    throw firstBadCell(title, line + 1, next, decimalComma);
                }
            }
            throw lineError(title, line,
                            "the header at line " + std::to_string(line) + " has no rows after it");
        }
    }
}

// Lines before the header: each must be a title (empty, one cell, or some
// text in it).
void checkTitleLines(const std::vector<std::string_view>& lines, const Layout& layout,
                     MatrixFile& file) {
    std::vector<std::string_view> cells;
    for (std::size_t index = 0; index < layout.header; ++index) {
        const int line = static_cast<int>(index) + 1;
        if (mentionsWavenumbers(lines[index]))
            file.unit = WavelengthUnit::Wavenumber;
        splitCells(lines[index], layout.separator, cells);
        if (cells.size() <= 1)
            continue;
        const Kinds kinds = kindsOf(cells, 0, file.decimalComma);
        if (kinds.anyText || kinds.allEmpty)
            continue;
        if (cells.size() != layout.rowLength)
            throw raggedRow(file.title, line, cells.size(), layout.rowLength);
        if (!kindsOf(cells, 1, file.decimalComma).allNumbers)
            throw firstBadCell(file.title, line, cells, file.decimalComma, 1);
        throw lineError(file.title, line,
                        "line " + std::to_string(line) +
                            " holds numbers above the header at line " +
                            std::to_string(layout.header + 1));
    }
}

}  // namespace

bool readDelimited(const std::vector<std::string_view>& lines, MatrixFile& file) {
    const std::optional<Layout> found = findLayout(lines);
    if (!found) {
        refuseLoneHeader(lines, file.title);
        return false;
    }
    const Layout layout = *found;
    file.format = MatrixFormat::Delimited;
    file.separator = layout.separator;
    file.decimalComma = layout.separator != ',';
    file.headerLine = static_cast<int>(layout.header) + 1;

    std::vector<std::string_view> cells;
    splitCells(lines[layout.header], layout.separator, cells);
    // Two blank-separated columns are the trace file's layout; two columns of
    // numbers with any separator are no matrix either.
    if (layout.rowLength == 2 &&
        (layout.separator == ' ' || (layout.corner && isNumber(cells[0], file.decimalComma))))
        return false;
    checkTitleLines(lines, layout, file);
    if (layout.corner && mentionsWavenumbers(cells[0]))
        file.unit = WavelengthUnit::Wavenumber;
    for (std::size_t i = layout.corner ? 1 : 0; i < cells.size(); ++i) {
        file.across.push_back(readCell(cells[i], file.decimalComma).value);
        file.acrossLines.push_back(file.headerLine);
    }

    const std::size_t rowLength = layout.rowLength;
    std::size_t index = layout.header + 1;
    for (; index < lines.size(); ++index) {
        const int line = static_cast<int>(index) + 1;
        splitCells(lines[index], layout.separator, cells);
        const Cell first = cells.empty() ? Cell{} : readCell(cells[0], file.decimalComma);
        if (first.kind == CellKind::Number && cells.size() == rowLength) {
            file.down.push_back(first.value);
            file.downLines.push_back(line);
            for (std::size_t i = 1; i < rowLength; ++i) {
                const Cell cell = readCell(cells[i], file.decimalComma);
                if (cell.kind != CellKind::Number)
                    throw firstBadCell(file.title, line, cells, file.decimalComma);
                file.cells.push_back(cell.value);
            }
            continue;
        }
        const Kinds kinds = kindsOf(cells, 0, file.decimalComma);
        if (first.kind == CellKind::Number && !kinds.anyText)
            throw raggedRow(file.title, line, cells.size(), rowLength);
        if (cells.size() == rowLength && !kinds.anyText && !kinds.allEmpty)
            throw firstBadCell(file.title, line, cells, file.decimalComma);
        break;  // the end of the matrix
    }
    if (index == lines.size())
        return true;

    file.endLine = static_cast<int>(index) + 1;
    for (++index; index < lines.size(); ++index) {
        splitCells(lines[index], layout.separator, cells);
        if (cells.size() == rowLength && isNumber(cells[0], file.decimalComma) &&
            !kindsOf(cells, 1, file.decimalComma).anyText) {
            const int line = static_cast<int>(index) + 1;
            throw lineError(file.title, line,
                            "line " + std::to_string(line) +
                                " is a row of the matrix after its end at line " +
                                std::to_string(file.endLine));
        }
    }
    return true;
}

}  // namespace quorvane::matrix_text
