#include "data/trace_reader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "data/error.h"
#include "data/number_text.h"
#include "data/time_axes.h"
#include "data/trace_wavelength.h"
#include "data/workspace.h"

namespace quorvane {

namespace {

constexpr int kEndOfText = 26;  // Ctrl+Z
// No point line of a trace comes near this; longer lines are junk (a binary
// file, a file without line breaks) and are refused instead of being held.
constexpr std::size_t kMaxLineLength = std::size_t{1} << 24;

class LineTooLong {};

// Owns the open file; closes it on every path out of the load.
class TextFile {
  public:
    explicit TextFile(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {
        if (file_ == nullptr)
            throw fileSystemError(errno);
    }
    ~TextFile() { std::fclose(file_); }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;

    // Reads the next line into `line` (without LF, and without a CR right
    // before the LF). Returns false at the end of the file and at a Ctrl+Z
    // where the line would begin.
    bool readLine(std::string& line) {
        line.clear();
        int ch = getc_unlocked(file_);
        if (ch == EOF || ch == kEndOfText) {
            checkReadError();
            return false;
        }
        while (ch != EOF && ch != '\n') {
            if (line.size() == kMaxLineLength)
                throw LineTooLong();
            line.push_back(static_cast<char>(ch));
            ch = getc_unlocked(file_);
        }
        checkReadError();
        if (ch == '\n' && !line.empty() && line.back() == '\r')
            line.pop_back();
        return true;
    }

  private:
    void checkReadError() {
        if (std::ferror(file_))
            throw fileSystemError(errno);
    }

    std::FILE* file_;
};

// The whole file is parsed here before anything of the workspace changes.
struct ScratchTrace {
    double values[kMaxPoints + 1];
    double times[kMaxPoints + 1];
};
ScratchTrace scratch;

bool readLineOrRefuse(TextFile& file, std::string& line, const std::string& title, int lineNumber) {
    try {
        return file.readLine(line);
    } catch (const LineTooLong&) {
        throw QuorvaneError("Cannot load " + title + ": line " + std::to_string(lineNumber) +
                            " is longer than " + std::to_string(kMaxLineLength) + " characters");
    }
}

double convertField(std::string_view field, const std::string& title, int lineNumber) {
    const std::optional<double> value = parseDouble(field);
    if (!value) {
        throw QuorvaneError(invalidFloatError(std::string(field)).message(),
                            "File " + title + ", line " + std::to_string(lineNumber) + ".");
    }
    return *value;
}

}  // namespace

std::string traceTitle(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int loadTraceFile(const std::string& path) {
    const std::string title = traceTitle(path);
    TextFile file(path);
    if (workspace.curveCount >= kMaxCurves) {
        throw QuorvaneError("Cannot load " + title + ": at most " + std::to_string(kMaxCurves) +
                            " traces can be loaded");
    }

    std::string line;
    line.reserve(256);
    int points = 0;
    while (readLineOrRefuse(file, line, title, points + 1)) {
        const int lineNumber = points + 1;
        if (points == kMaxPoints) {
            throw QuorvaneError("Cannot load " + title + ": a trace holds at most " +
                                std::to_string(kMaxPoints) + " points");
        }
        const std::size_t blank = line.find(' ');
        const std::string_view whole(line);
        const std::string_view first =
            blank == std::string::npos ? std::string_view() : whole.substr(0, blank);
        const std::string_view second =
            blank == std::string::npos ? whole : whole.substr(blank + 1);
        const double x = convertField(first, title, lineNumber);
        const double y = convertField(second, title, lineNumber);
        ++points;
        scratch.times[points] = x;
        scratch.values[points] = y;
    }
    if (points == 0)
        throw QuorvaneError("Cannot load " + title + ": the file holds no data points");

    const int curve = workspace.curveCount + 1;
    std::memcpy(&workspace.curves[curve].times[1], &scratch.times[1], sizeof(double) * points);
    std::memcpy(&workspace.curves[curve].values[1], &scratch.values[1], sizeof(double) * points);
    workspace.pointCount[curve] = points;
    workspace.wavelength[curve] = wavelengthOfTraceTitle(title);
    workspace.curveCount = curve;
    noteCurveDataChanged();
    return curve;
}

}  // namespace quorvane
