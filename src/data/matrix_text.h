// The pieces shared by the two matrix layouts' readers (matrix_file.h): the
// lines of a text and the messages naming the file and the line. Internal
// to the reader.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "data/error.h"
#include "data/matrix_file.h"

namespace quorvane::matrix_text {

// Lines in order; line i of the file (from 1) is lines[i - 1].
std::vector<std::string_view> splitLines(std::string_view text);

// "Cannot load <title>: <what>" with the detail "File <title>, line <line>.".
QuorvaneError lineError(const std::string& title, int line, const std::string& what);

// "'<text>' is not a valid floating point value" with the same detail.
QuorvaneError badNumber(const std::string& title, int line, std::string_view text);

// The words of a line: the runs between blanks and tabs.
void splitAtBlanks(std::string_view line, std::vector<std::string_view>& words);

// The text with A..Z in lower case.
std::string lowerCase(std::string_view text);

// The text mentions wavenumbers (the markers of matrix_file.h).
bool mentionsWavenumbers(std::string_view text);

// Glotaran: line 3 reads "time explicit" or "wavelength explicit".
bool isGlotaran(const std::vector<std::string_view>& lines);
void readGlotaran(const std::vector<std::string_view>& lines, MatrixFile& file);

// Delimited: false when the text is no matrix (a trace file).
bool readDelimited(const std::vector<std::string_view>& lines, MatrixFile& file);

}  // namespace quorvane::matrix_text
