#include "cli/command_line.h"

#include "cli/error_options.h"
#include "cli/evolution_options.h"
#include "cli/interval_options.h"
#include "cli/response_options.h"
#include "data/version.h"

namespace quorvane {

namespace {

// The text an option sets, or nullptr for an unknown option.
std::string* valueOfOption(const std::string& option, BatchRequest& request) {
    if (option == "-n")
        return &request.boxes.componentCount;
    if (option == "-i")
        return &request.boxes.iterationCount;
    if (option == "--save")
        return &request.saveName;
    if (option.size() == 4 && option.compare(0, 3, "--t") == 0 && option[3] >= '1' &&
        option[3] <= '9') {
        return &request.boxes.timeConstants[option[3] - '1'];
    }
    return nullptr;
}

// The value of --method; false with `problem` set when it is missing or
// unknown.
bool parseMethod(const std::string* value, BatchRequest& request, std::string& problem) {
    if (value == nullptr) {
        problem = "option '--method' needs a value";
        return false;
    }
    if (*value == "classic") {
        request.method = FitMethod::Classic;
    } else if (*value == "varpro") {
        request.method = FitMethod::VariableProjection;
    } else {
        problem = "unknown method '" + *value + "' (classic or varpro)";
        return false;
    }
    return true;
}

}  // namespace

std::string usageLine() {
    return "usage: quorvane-fit [-n TEXT] [-i TEXT] [--t1 TEXT] ... [--t9 TEXT] "
           "[--method classic|varpro] [--require-convergence] [--save NAME] FILE...";
}

std::string helpText() {
    const StartBoxes defaults;
    std::string timeConstants;
    for (const std::string& text : defaults.timeConstants)
        timeConstants += ' ' + text;
    return usageLine() + '\n' + matrixUsageLine() +
           "\n       quorvane-fit --method varpro --irf FWHM[,CENTRE] ... FILE...\n" +
           "       quorvane-fit --help | --version\n\n" +
           "Loads the trace FILEs in the order given, fits them at once with one sum of\n"
           "exponentials whose time constants every trace shares (Start of the desktop\n"
           "program), and prints the time constants, the sum of squared residuals, the\n"
           "parameter report, the variance-covariance block and the spectra.\n\n"
           "Each TEXT is read as the box of the main window reads it:\n"
           "  -n TEXT          number of components, 1..9 (default " +
           defaults.componentCount +
           ")\n"
           "  -i TEXT          number of iterations (default " +
           defaults.iterationCount +
           ")\n"
           "  --t1 TEXT ... --t9 TEXT\n"
           "                   starting time constants t1..t9, in the units of the times\n"
           "                   (defaults" +
           timeConstants +
           ")\n"
           "  --method classic|varpro\n"
           "                   the fit method: the classic Levenberg-Marquardt (default) or\n"
           "                   variable projection\n" +
           responseOptionsHelp() + evolutionOptionsHelp() + searchOptionsHelp() +
           "  --require-convergence\n"
           "                   exit with 3 when the fit has not converged\n"
           "  --save NAME      also write NAME.txt (what is printed), NAME-spectra.csv and\n"
           "                   NAME-curves.csv; a final .txt of NAME is dropped (default:\n"
           "                   nothing is saved)\n" +
           errorOptionsHelp() + intervalOptionsHelp() + "\n" + matrixHelpText() + "\n" +
           "  --               ends the options\n"
           "  -h, --help       print this text\n"
           "  --version        print the version\n\n"
           "Trace file: one point per line, the time, one blank and the signal, nothing else;\n"
           "the locale's decimal separator; the name begins with the wavelength (450.txt).\n\n"
           "After the fit the verdict on it (\"Converged\" or \"Not converged: ...\") is the\n"
           "last line of standard error.\n\n"
           "Exit status: 0 success; 1 an error, its message on standard error (a second\n"
           "line names the trace file, and the line, that failed); 2 a usage error; 3 with\n"
           "--require-convergence, a fit that has not converged.\n";
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
    ResponseOptions response;
    bool methodGiven = false;
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
        if (argument == "--require-convergence") {
            request.requireConvergence = true;
            continue;
        }
        if (parseErrorOption(argument, request.spectraErrors))
            continue;
        if (parseIntervalOption(argument, request.intervals))
            continue;
        if (parseEvolutionOption(argument, request.evolutionSpectra))
            continue;
        if (parseSearchOption(arguments, i, request.search))
            continue;
        if (argument == "--method") {
            methodGiven = true;
            if (!parseMethod(i + 1 < arguments.size() ? &arguments[++i] : nullptr, request,
                             problem))
                return std::nullopt;
            continue;
        }
        const OptionParse matrixOption = parseMatrixOption(arguments, i, request.matrix, problem);
        if (matrixOption == OptionParse::Refused)
            return std::nullopt;
        if (matrixOption == OptionParse::Taken)
            continue;
        const ResponseOptions::Result taken =
            response.parse(arguments, i, request.boxes.response, problem);
        if (taken == ResponseOptions::Result::Problem)
            return std::nullopt;
        if (taken == ResponseOptions::Result::Taken)
            continue;
        std::string* value = valueOfOption(argument, request);
        if (value == nullptr) {
            problem = "unknown option '" + argument + "'";
            return std::nullopt;
        }
        if (i + 1 == arguments.size()) {
            problem = "option '" + argument + "' needs a value";
            return std::nullopt;
        }
        *value = arguments[++i];
        if (value == &request.saveName && value->empty()) {
            problem = "option '--save' needs a NAME";
            return std::nullopt;
        }
    }
    if (request.files.empty()) {
        problem = "no trace FILE given";
        return std::nullopt;
    }
    if (!response.finish(methodGiven, request.method, problem))
        return std::nullopt;
    if (!finishSearchOption(request.search, methodGiven, request.method, problem))
        return std::nullopt;
    return request;
}

}  // namespace quorvane
