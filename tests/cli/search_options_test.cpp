// quorvane-fit --search [COUNT]: what it takes, what it refuses, and that
// the minima go to standard error while standard output is the lowest fit's.
#include "cli/search_options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/batch_run.h"
#include "cli/command_line.h"
#include "support/example_traces.h"
#include "support/test_support.h"

namespace quorvane {
namespace {

TEST(SearchOption, TakesAnOptionalCountAndImpliesVariableProjection) {
    struct Case {
        std::vector<std::string> arguments;
        int extraStarts;
        std::size_t files;
    };
    for (const Case& c :
         {Case{{"--search", "450.txt"}, -1, 1}, Case{{"--search", "5", "450.txt"}, 5, 1},
          Case{{"--search", "--", "7"}, -1, 1}, Case{{"--search", "99999", "450.txt"}, -1, 2}}) {
        std::string problem;
        const std::optional<BatchRequest> request = parseCommandLine(c.arguments, problem);
        ASSERT_TRUE(request) << problem;
        EXPECT_TRUE(request->search.wanted);
        EXPECT_EQ(request->search.extraStarts, c.extraStarts);
        EXPECT_EQ(request->files.size(), c.files);
        EXPECT_EQ(request->method, FitMethod::VariableProjection);
    }
    std::string problem;
    EXPECT_FALSE(parseCommandLine({"--method", "classic", "--search", "450.txt"}, problem));
    EXPECT_NE(problem.find("--method classic"), std::string::npos);
}

TEST(SearchOption, PrintsTheMinimaOnStandardErrorBeforeTheVerdict) {
    testing::resetWholeWorkspace();
    std::vector<std::string> arguments{"--search", "4", "-n", "3"};
    for (int wavelength = 400; wavelength <= 600; wavelength += 50)
        arguments.push_back(testing::examplePath(std::to_string(wavelength) + ".txt"));
    std::string problem;
    const std::optional<BatchRequest> request = parseCommandLine(arguments, problem);
    ASSERT_TRUE(request) << problem;
    std::ostringstream searched, searchErrors;
    ASSERT_EQ(runBatch(*request, searched, searchErrors, false), 0) << searchErrors.str();

    BatchRequest single = *request;
    single.search = {};
    testing::resetWholeWorkspace();
    std::ostringstream fitted, fitErrors;
    ASSERT_EQ(runBatch(single, fitted, fitErrors, false), 0);
    EXPECT_EQ(searched.str(), fitted.str());
    const std::string errors = searchErrors.str();
    EXPECT_EQ(errors.rfind("Search: 5 starts, 1 distinct minimum; the lowest reached by ", 0), 0u)
        << errors;
    EXPECT_NE(errors.find("\n  S = 6.27671E-4  t = 4.97206E-6 1.00040E-4 2.98011E-3  starts "),
              std::string::npos);
    EXPECT_EQ(errors.substr(errors.size() - fitErrors.str().size()), fitErrors.str());
}

}  // namespace
}  // namespace quorvane
