// quorvane-fit: the global fit of the desktop program as a batch command.
// See batch_run.h for what one run does and command_line.h for its options.

#include <unistd.h>

#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch_run.h"
#include "cli/command_line.h"
#include "data/number_text.h"

int main(int argc, char** argv) {
    using namespace quorvane;
    setDecimalSeparator(decimalSeparatorFromEnvironment());

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (asksForVersion(arguments)) {
        std::cout << versionLine() << '\n';
        return kExitSuccess;
    }
    std::string problem;
    const std::optional<BatchRequest> request = parseCommandLine(arguments, problem);
    if (!request) {
        if (problem.empty()) {
            std::cout << helpText();
            return kExitSuccess;
        }
        std::cerr << "quorvane-fit: " << problem << '\n' << usageLine() << '\n';
        return kExitUsage;
    }
    return runBatch(*request, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}
