// Shared helpers of the core tests: a clean workspace per test and trace
// files written to a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <vector>

#include "data/floating_point.h"
#include "data/number_text.h"
#include "data/time_axes.h"
#include "data/workspace.h"

namespace quorvane::testing {

// Zero-fills the whole workspace (the state at process start), sets the
// point as decimal separator and clears the floating-point flags. Like every
// direct write of curve data, the fill is announced (data/time_axes.h).
inline void resetWholeWorkspace() {
    std::memset(static_cast<void*>(&workspace), 0, sizeof workspace);
    noteCurveDataChanged();
    setDecimalSeparator('.');
    clearFloatingPointFaults();
}

class WorkspaceTest : public ::testing::Test {
  protected:
    void SetUp() override { resetWholeWorkspace(); }
};

// A private temporary folder, removed with the object.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "quorvane-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& path() const { return path_; }

    // Writes `content` byte for byte into file `name` and returns its path.
    std::string write(const std::string& name, const std::string& content) const {
        const std::filesystem::path file = path_ / name;
        std::ofstream out(file, std::ios::binary);
        out << content;
        return file.string();
    }

  private:
    std::filesystem::path path_;
};

// The bytes of a file; empty when it cannot be read.
inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Bitwise identity of two extended values: the 10 significant bytes of the
// 80-bit format (the padding bytes are not part of the value).
inline bool sameBits(long double a, long double b) {
    return std::memcmp(&a, &b, 10) == 0;
}

// componentCount n and ParameterVector entries 1, 2, ... in order.
inline void setParameters(int n, std::initializer_list<long double> entries) {
    workspace.componentCount = n;
    int m = 0;
    for (const long double entry : entries)
        workspace.ParameterVector[++m] = entry;
}

// Puts a curve straight into the next slot (bypassing the reader).
inline int addCurve(const std::vector<double>& times, const std::vector<double>& values) {
    const int c = ++workspace.curveCount;
    for (std::size_t i = 0; i < times.size(); ++i) {
        workspace.curves[c].times[i + 1] = times[i];
        workspace.curves[c].values[i + 1] = values[i];
    }
    workspace.pointCount[c] = static_cast<int>(times.size());
    noteCurveDataChanged();
    return c;
}

}  // namespace quorvane::testing
