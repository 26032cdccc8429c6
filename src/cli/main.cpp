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
#include "data/version.h"

int main(int argc, char** argv) {
    using namespace quorvane;
    setDecimalSeparator(decimalSeparatorFromEnvironment());

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    std::string problem;
    const std::optional<BatchRequest> request = parseCommandLine(arguments, problem);
    if (!request) {
        std::cerr << "quorvane-fit: " << problem << '\n' << usageLine() << '\n';
        return kExitUsage;
    }
    switch (request->kind) {
        case BatchRequest::Kind::Help:
            std::cout << helpText();
            return kExitSuccess;
        case BatchRequest::Kind::Version:
            std::cout << "quorvane-fit " << kQuorvaneVersion << '\n';
            return kExitSuccess;
        case BatchRequest::Kind::Run:
            break;
    }
    return runBatch(*request, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}
