// The Glotaran ascii layout of matrix_file.h.
#include <cstdint>
#include <optional>
#include <string>

#include "data/matrix_number.h"
#include "data/matrix_text.h"

namespace quorvane::matrix_text {

namespace {

constexpr int kLayoutLine = 3;
constexpr int kIntervalLine = 4;
// Larger counts cannot be told from junk; no measurement comes near them.
constexpr std::int64_t kMaxIntervals = 1'000'000'000;

// The words of a line, in lower case.
std::vector<std::string> wordsOf(std::string_view line) {
    std::vector<std::string_view> pieces;
    splitAtBlanks(line, pieces);
    std::vector<std::string> words;
    for (const std::string_view piece : pieces)
        words.push_back(lowerCase(piece));
    return words;
}

// Whether line 3 names time (true) or the wavelength (false) as the explicit
// axis; no value when it is no Glotaran layout line.
std::optional<bool> explicitAxisIsTime(std::string_view line) {
    const std::vector<std::string> words = wordsOf(line);
    if (words.size() != 2 || words[1] != "explicit")
        return std::nullopt;
    if (words[0] == "time")
        return true;
    if (words[0] == "wavelength")
        return false;
    return std::nullopt;
}

std::int64_t intervalCount(const std::vector<std::string_view>& lines, const std::string& title) {
    const std::string what = "line 4 must read Intervalnr followed by the number of values";
    if (lines.size() < kIntervalLine)
        throw lineError(title, static_cast<int>(lines.size()), what);
    const std::vector<std::string> words = wordsOf(lines[kIntervalLine - 1]);
    if (words.size() != 2 || words[0] != "intervalnr")
        throw lineError(title, kIntervalLine, what);
    std::int64_t count = 0;
    for (const char ch : words[1]) {
        if (ch < '0' || ch > '9' || count > kMaxIntervals)
            throw lineError(title, kIntervalLine, what);
        count = count * 10 + (ch - '0');
    }
    if (count < 1 || count > kMaxIntervals)
        throw lineError(title, kIntervalLine,
                        "Intervalnr must be a whole number from 1 to 1000000000");
    return count;
}

}  // namespace

bool isGlotaran(const std::vector<std::string_view>& lines) {
    return lines.size() >= kLayoutLine && explicitAxisIsTime(lines[kLayoutLine - 1]).has_value();
}

void readGlotaran(const std::vector<std::string_view>& lines, MatrixFile& file) {
    const bool timeExplicit = *explicitAxisIsTime(lines[kLayoutLine - 1]);
    file.format = timeExplicit ? MatrixFormat::GlotaranTimeExplicit
                               : MatrixFormat::GlotaranWavelengthExplicit;
    file.separator = ' ';
    file.decimalComma = true;
    file.headerLine = kIntervalLine;
    if (mentionsWavenumbers(lines[0]) || mentionsWavenumbers(lines[1]))
        file.unit = WavelengthUnit::Wavenumber;
    const std::int64_t columns = intervalCount(lines, file.title);

    // One stream of numbers: the axis, then rows of 1 + columns values.
    std::int64_t position = 0;  // index in the stream after the axis, within a row
    int rowStartLine = 0;
    int lastLine = kIntervalLine;
    std::vector<std::string_view> tokens;
    for (std::size_t index = kIntervalLine; index < lines.size(); ++index) {
        const std::string_view line = lines[index];
        const int lineNumber = static_cast<int>(index) + 1;
        splitAtBlanks(line, tokens);
        for (const std::string_view token : tokens) {
            const Cell cell = readCell(token, file.decimalComma);
            if (cell.kind != CellKind::Number)
                throw badNumber(file.title, lineNumber, token);
            lastLine = lineNumber;
            if (static_cast<std::int64_t>(file.across.size()) < columns) {
                file.across.push_back(cell.value);
                file.acrossLines.push_back(lineNumber);
            } else if (position == 0) {
                file.down.push_back(cell.value);
                file.downLines.push_back(lineNumber);
                rowStartLine = lineNumber;
                position = 1;
            } else {
                file.cells.push_back(cell.value);
                position = position == columns ? 0 : position + 1;
            }
        }
    }
    if (static_cast<std::int64_t>(file.across.size()) < columns) {
        throw lineError(file.title, lastLine,
                        "Intervalnr is " + std::to_string(columns) + " but only " +
                            std::to_string(file.across.size()) + " values follow line 4");
    }
    if (file.down.empty())
        throw lineError(file.title, lastLine,
                        "the axis has no rows after it (line " + std::to_string(lastLine) + ")");
    if (position != 0) {
        throw lineError(file.title, rowStartLine,
                        "the last row, from line " + std::to_string(rowStartLine) + ", has " +
                            std::to_string(position) + " of its " + std::to_string(columns + 1) +
                            " values");
    }
}

}  // namespace quorvane::matrix_text
