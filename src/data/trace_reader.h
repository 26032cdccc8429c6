// Reading one trace file into the next curve slot of the workspace.
//
// File format: 8-bit text, one point per line. A line ends at LF; a CR right
// before the LF is not part of it; the last line may lack a line break.
// Reading ends at the end of the file or at a byte 26 (Ctrl+Z) where a line
// would begin. Each line is split at its first blank (code 32): the time is
// the text before it, the signal the text after it to the end of the line.
// Both are number texts (number_text.h) converted to double. Every line is a
// point: empty lines, headers, tabs and third columns are errors.
//
// A load is all or nothing: the file is parsed completely into scratch
// storage first; only a file that is read without error enters the
// workspace (curveCount + 1, the slot's times, values and pointCount, and
// its wavelength from the file's name, trace_wavelength.h).
// A refused or failed file leaves the workspace exactly as it was.
#pragma once

#include <string>

namespace quorvane {

// The series title of a trace: the path with its folder removed, extension
// kept ("/data/450.txt" -> "450.txt").
std::string traceTitle(const std::string& path);

// Loads the file at `path` into curve slot curveCount + 1 and returns the new
// curve's index. Throws QuorvaneError:
//   - "File not found", "File access denied", "I/O error %d" (errno) when the
//     file cannot be opened or read;
//   - "'%s' is not a valid floating point value" for a bad field, with the
//     file's title and line number as the error's detail;
//   - a message of its own for a 41st trace, more than 20000 points and an
//     empty file.
int loadTraceFile(const std::string& path);

}  // namespace quorvane
