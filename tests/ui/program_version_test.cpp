// Both programs answer --version with "NAME VERSION", the version the CMake
// project declares, and need no display for it.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <string>
#include <utility>

namespace quorvane {
namespace {

// Runs `program --version` with no display in its environment: its exit
// status and what it printed.
std::pair<int, std::string> askForVersion(const std::string& program) {
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" + program + "' --version";
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {-1, out};
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        out += buffer;
    const int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

TEST(ProgramVersion, BothProgramsPrintTheProjectVersion) {
    const std::string version = QUORVANE_PROJECT_VERSION;
    EXPECT_EQ(askForVersion(QUORVANE_FIT_PATH),
              std::make_pair(0, "quorvane-fit " + version + "\n"));
    EXPECT_EQ(askForVersion(QUORVANE_DESKTOP_PATH),
              std::make_pair(0, "quorvane " + version + "\n"));
}

}  // namespace
}  // namespace quorvane
