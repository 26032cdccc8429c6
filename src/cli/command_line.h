// The command line of quorvane-fit:
//   quorvane-fit [-n TEXT] [-i TEXT] [--t1 TEXT] ... [--t9 TEXT]
//                [--method classic|varpro] [--require-convergence] [--save NAME] FILE...
//   quorvane-fit --help | --version
// Each of -n, -i and --t1..--t9 is the text typed into its box of the main
// window; an option not given keeps the window's initial text. --method
// chooses the fit method as the Tools menu does (default classic);
// --require-convergence makes a fit whose verdict is not "converged" end with
// status 3. --save NAME writes the results to NAME.txt, NAME-spectra.csv and
// NAME-curves.csv (views/result_files.h). "--" ends the options, so that a
// FILE may begin with "-". The options for matrix files and the singular
// values are those of matrix_options.h.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/matrix_options.h"
#include "cli/search_options.h"
#include "fit/fit_driver.h"

namespace quorvane {

struct BatchRequest {
    StartBoxes boxes;
    FitMethod method = FitMethod::Classic;
    bool requireConvergence = false;
    std::vector<std::string> files;
    // Empty: nothing is saved.
    std::string saveName;
    // Matrix files, --list, --write-traces and --svd (matrix_options.h).
    MatrixOptions matrix;
    // --spectra-se (error_options.h).
    bool spectraErrors = false;
    // --intervals (interval_options.h).
    bool intervals = false;
    // --eas (evolution_options.h).
    bool evolutionSpectra = false;
    // --search [COUNT] (search_options.h).
    SearchRequest search;
};

// The line printed for every usage error.
std::string usageLine();

// The text of --help: the usage line, what each option means and its
// default, the trace-file format and the exit statuses.
std::string helpText();

// "--version" before any "--" asks for the version line, "quorvane-fit
// VERSION", printed on standard output instead of a run.
bool asksForVersion(const std::vector<std::string>& arguments);
std::string versionLine();

// The request, or no value with `problem` set: an unknown option, an option
// without its value, an unknown method, or no FILE. "-h" and "--help" give no value and an
// empty `problem`.
std::optional<BatchRequest> parseCommandLine(const std::vector<std::string>& arguments,
                                             std::string& problem);

}  // namespace quorvane
