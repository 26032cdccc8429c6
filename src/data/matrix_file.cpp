#include "data/matrix_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "data/matrix_text.h"
#include "data/trace_reader.h"

namespace quorvane {

namespace matrix_text {

std::vector<std::string_view> splitLines(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (end != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

QuorvaneError lineError(const std::string& title, int line, const std::string& what) {
    return QuorvaneError("Cannot load " + title + ": " + what,
                         "File " + title + ", line " + std::to_string(line) + ".");
}

QuorvaneError badNumber(const std::string& title, int line, std::string_view text) {
    return QuorvaneError(invalidFloatError(std::string(text)).message(),
                         "File " + title + ", line " + std::to_string(line) + ".");
}

void splitAtBlanks(std::string_view line, std::vector<std::string_view>& words) {
    const auto isBlank = [](char ch) { return ch == ' ' || ch == '\t'; };
    words.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && isBlank(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && !isBlank(line[i]))
            ++i;
        if (i > start)
            words.push_back(line.substr(start, i - start));
    }
}

std::string lowerCase(std::string_view text) {
    std::string lowered(text);
    for (char& ch : lowered) {
        if (ch >= 'A' && ch <= 'Z')
            ch = static_cast<char>(ch - 'A' + 'a');
    }
    return lowered;
}

bool mentionsWavenumbers(std::string_view text) {
    const std::string lowered = lowerCase(text);
    // "\u2212" is the minus sign of typeset units (cm−1).
    for (const char* marker : {"cm-1", "cm^-1", "cm^(-1)", "cm\u22121", "1/cm", "wavenumber"}) {
        if (lowered.find(marker) != std::string::npos)
            return true;
    }
    return false;
}

}  // namespace matrix_text

namespace {

class ReadFile {
  public:
    explicit ReadFile(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {
        if (file_ == nullptr)
            throw fileSystemError(errno);
    }
    ~ReadFile() { std::fclose(file_); }
    ReadFile(const ReadFile&) = delete;
    ReadFile& operator=(const ReadFile&) = delete;

    // The whole content: one read of the size the file has, then whatever
    // more it turns out to hold (a pipe, a file that grew).
    std::string readAll() {
        struct stat status {};
        std::string content;
        if (fstat(fileno(file_), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0)
            content.resize(static_cast<std::size_t>(status.st_size));
        const std::size_t filled = std::fread(content.data(), 1, content.size(), file_);
        content.resize(filled);
        char buffer[1 << 16];
        std::size_t got;
        while ((got = std::fread(buffer, 1, sizeof buffer, file_)) > 0)
            content.append(buffer, got);
        if (std::ferror(file_))
            throw fileSystemError(errno);
        return content;
    }

  private:
    std::FILE* file_;
};

}  // namespace

std::optional<MatrixFile> parseMatrixText(std::string_view text, const std::string& path) {
    const std::vector<std::string_view> lines = matrix_text::splitLines(text);
    MatrixFile file;
    file.path = path;
    file.title = traceTitle(path);
    if (matrix_text::isGlotaran(lines)) {
        matrix_text::readGlotaran(lines, file);
        return file;
    }
    if (!matrix_text::readDelimited(lines, file))
        return std::nullopt;
    return file;
}

std::optional<MatrixFile> readMatrixFile(const std::string& path) {
    ReadFile file(path);
    const std::string content = file.readAll();
    return parseMatrixText(content, path);
}

}  // namespace quorvane
