// quorvane-fit --intervals: the lines end the Errors section, printed and
// saved; without the option the output is as before.

#include <gtest/gtest.h>

#include <sstream>

#include "cli/batch_run.h"
#include "support/synthetic_traces.h"

namespace quorvane {
namespace {

class IntervalBatch : public testing::WorkspaceTest {
  protected:
    std::string run(std::vector<std::string> arguments) {
        for (const int wavelength : {450, 500}) {
            const long double scale = wavelength / 500.0L;
            arguments.push_back(folder.write(
                std::to_string(wavelength) + ".txt",
                testing::decayText({0.0L, {0.4L * scale, -0.2L}, {1e-5L, 1e-3L}, 0.002, 3})));
        }
        std::string problem;
        std::ostringstream out, err;
        testing::resetWholeWorkspace();
        EXPECT_EQ(runBatch(parseCommandLine(arguments, problem).value(), out, err, false),
                  kExitSuccess)
            << err.str();
        return out.str();
    }
    testing::TempDir folder;
};

TEST_F(IntervalBatch, LinesEndTheErrorsSectionAndAreSaved) {
    const std::vector<std::string> fit = {"-n",   "2",    "--method", "varpro", "--eas",
                                          "--t1", "1e-5", "--t2",     "1e-3"};
    const std::string plain = run(fit);
    std::vector<std::string> asked = fit;
    const std::string name = (folder.path() / "fit").string();
    asked.insert(asked.end(), {"--intervals", "--save", name});
    const std::string text = run(asked);
    const std::size_t lines = text.find("95 % intervals, profile: S <= ");
    ASSERT_NE(lines, std::string::npos) << text;
    // The option only adds its lines, after the rest of the Errors section
    // and before the next (EAS).
    EXPECT_EQ(text.substr(0, lines), plain.substr(0, lines));
    EXPECT_EQ(text.substr(text.find('\n', text.find("\nt2 = ", lines) + 1) + 1),
              plain.substr(lines));
    EXPECT_NE(text.find("\nt1 = 1.0", lines), std::string::npos);
    EXPECT_EQ(testing::readFile(name + ".txt"), text);
}

}  // namespace
}  // namespace quorvane
