// Both programs answer --version with "NAME VERSION", the version the CMake
// project declares, and need no display for it.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <string>

namespace quorvane {
namespace {

struct VersionAnswer {
    int exitCode = -1;
    std::string out;
};

// Runs `program --version` with no display in its environment.
VersionAnswer askForVersion(const std::string& program) {
    const std::string command =
        "env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM '" + program + "' --version";
    VersionAnswer answer;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return answer;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr)
        answer.out += buffer;
    const int status = pclose(pipe);
    answer.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return answer;
}

TEST(ProgramVersion, BothProgramsPrintTheProjectVersion) {
    const std::string version = QUORVANE_PROJECT_VERSION;
    const VersionAnswer fit = askForVersion(QUORVANE_FIT_PATH);
    EXPECT_EQ(fit.exitCode, 0);
    EXPECT_EQ(fit.out, "quorvane-fit " + version + "\n");
    const VersionAnswer desktop = askForVersion(QUORVANE_DESKTOP_PATH);
    EXPECT_EQ(desktop.exitCode, 0);
    EXPECT_EQ(desktop.out, "quorvane " + version + "\n");
}

}  // namespace
}  // namespace quorvane
