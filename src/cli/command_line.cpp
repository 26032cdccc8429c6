#include "cli/command_line.h"

#include "data/version.h"

namespace quorvane {

namespace {

// The box an option names, or nullptr for an unknown option.
std::string* boxOfOption(const std::string& option, StartBoxes& boxes) {
    if (option == "-n")
        return &boxes.componentCount;
    if (option == "-i")
        return &boxes.iterationCount;
    if (option.size() == 4 && option.compare(0, 3, "--t") == 0 && option[3] >= '1' &&
        option[3] <= '9') {
        return &boxes.timeConstants[option[3] - '1'];
    }
    return nullptr;
}

}  // namespace

std::string usageLine() {
    return "usage: quorvane-fit [-n TEXT] [-i TEXT] [--t1 TEXT] ... [--t9 TEXT] FILE...";
}

bool asksForVersion(const std::vector<std::string>& arguments) {
    for (const std::string& argument : arguments) {
        if (argument == "--")
            return false;
        if (argument == "--version")
            return true;
    }
    return false;
}

std::string versionLine() {
    return std::string("quorvane-fit ") + kQuorvaneVersion;
}

std::optional<BatchRequest> parseCommandLine(const std::vector<std::string>& arguments,
                                             std::string& problem) {
    problem.clear();
    BatchRequest request;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
            request.files.push_back(argument);
            continue;
        }
        if (argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (argument == "-h" || argument == "--help")
            return std::nullopt;
        std::string* box = boxOfOption(argument, request.boxes);
        if (box == nullptr) {
            problem = "unknown option '" + argument + "'";
            return std::nullopt;
        }
        if (i + 1 == arguments.size()) {
            problem = "option '" + argument + "' needs a value";
            return std::nullopt;
        }
        *box = arguments[++i];
    }
    if (request.files.empty()) {
        problem = "no trace FILE given";
        return std::nullopt;
    }
    return request;
}

}  // namespace quorvane
