// Reading a time x wavelength matrix file into its grid of numbers.
//
// The format is recognised from the content, never from the extension:
//
// Glotaran ascii: line 3 reads "Time explicit" or "Wavelength explicit" (any
//   case, blanks or tabs around and between the words). Line 1 is a title,
//   line 2 a comment (may be empty), line 4 "Intervalnr N" (any case, N >= 1).
//   Everything after line 4 is one stream of numbers separated by runs of
//   blanks, tabs and line breaks, so rows and the axis may wrap: first the N
//   values of the explicit axis, then rows of N + 1 numbers, each the value
//   of the other axis followed by its N values. The explicit axis goes
//   across (columns), the row values down. "Time explicit": time across,
//   one row per wavelength; "Wavelength explicit": wavelengths across, one row
//   per time.
//
// Delimited matrix: a header row - a first cell that is ignored (empty, a
//   label or a number), then the across axis - followed by rows that start
//   with a value of the down axis and hold one value per column.
//   - Separator: the first of tab, semicolon, comma and blank (a run of blanks
//     and tabs) with which some line within the first 1001 is a header (at
//     least two cells, every cell after the first a number) and the next
//     line a row of its length (every cell a number). With blanks a header
//     one cell shorter than the rows has no first cell (an empty corner).
//     Cells are trimmed of blanks and tabs; one separator at the end of a
//     line is ignored.
//   - A decimal comma is accepted in every cell when the separator is not the
//     comma (matrix_number.h).
//   - Lines before the header are title lines and skipped; each must be empty,
//     hold a single cell or hold a cell of text. A line there made of numbers
//     and empty cells alone is a broken header and refused.
//   - A line after the header whose first cell is a number is a row: it must
//     have the header's length and a number in every cell. The first line
//     that is no row (empty, its first cell text, or a different length with
//     text in it, such as instrument metadata) ends the matrix; no row of the
//     header's length may follow it.
//   - Rows of two cells separated by blanks are the layout of a trace file,
//     and two columns of numbers (a number as the header's first cell) with
//     any separator are no matrix either: such a file is left to the trace
//     reader. A one-wavelength matrix needs a comma, semicolon or tab and a
//     header whose first cell is empty or text.
//
// Wavelength unit: cm^-1 when a title line, the header's first cell (or, in a
// Glotaran file, line 1 or 2) mentions "cm-1", "cm^-1", "cm^(-1)", "cm−1",
// "1/cm" or "wavenumber" (any case); otherwise nm.
//
// Lines end at LF; a CR right before it is dropped; a UTF-8 byte-order mark
// at the start is skipped. Line numbers count from 1.
//
// Errors are QuorvaneError with the file's title and the line: the message
// "Cannot load <title>: ... line N ..." (or "'%s' is not a valid floating
// point value" for a cell that is not a number), the detail "File <title>,
// line N.". Refused are: a Glotaran line 4 that is no "Intervalnr N", fewer
// values than the axis needs, an incomplete last row; a header without rows;
// a row of another length (ragged); an empty cell, nan, inf, a value too large
// or text in a row; a row after the end of the matrix; a broken header line.
// Which axis is time, and the checks of the axes, follow in
// matrix_orientation.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/measurement.h"

namespace quorvane {

// The numbers of a matrix file as it lays them out, before it is decided
// which axis is time.
struct MatrixFile {
    std::string path;
    std::string title;
    MatrixFormat format = MatrixFormat::Delimited;
    char separator = ',';  // ',', ';', '\t', or ' ' for runs of blanks and tabs
    bool decimalComma = false;
    WavelengthUnit unit = WavelengthUnit::Nanometre;
    int headerLine = 0;          // the header row (delimited) or the Intervalnr line (Glotaran)
    int endLine = 0;             // the line that ended the matrix; 0 when the file ended it
    std::vector<double> across;  // the axis of the header (the explicit axis)
    std::vector<int> acrossLines;
    std::vector<double> down;  // the first value of each row
    std::vector<int> downLines;
    std::vector<double> cells;  // down.size() x across.size(), row by row

    std::size_t rowCount() const { return down.size(); }
    std::size_t columnCount() const { return across.size(); }
};

// Reads the file at `path`. No value when its content is not a matrix file
// (it is then a trace file, for loadTraceFile). Throws QuorvaneError "File
// not found", "File access denied" or "I/O error %d" when the file cannot be
// read, and the errors above for a bad matrix file.
std::optional<MatrixFile> readMatrixFile(const std::string& path);

// The same on a text in memory; `path` names it (its title goes into the
// messages).
std::optional<MatrixFile> parseMatrixText(std::string_view text, const std::string& path);

}  // namespace quorvane
