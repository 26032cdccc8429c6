// The options of quorvane-fit for matrix files and the singular values:
//   --wavelengths FROM:TO   keep the wavelengths within FROM..TO
//   --exclude FROM:TO       drop the wavelengths within FROM..TO (repeatable)
//   --times FROM:TO         keep the times within FROM..TO
//   --bin WIDTH | --traces N | --every K
//                           bins of WIDTH, N equal bins, or every K-th
//                           wavelength (at most one of the three; default:
//                           all when they fit, otherwise as many equal bins
//                           as there is room for)
//   --orientation auto|times-down|times-across
//   --list                  print what would be loaded, do not fit
//   --write-traces DIR      write the chosen traces as trace files, do not fit
//   --svd                   print the singular values last (and save them)
// FROM and TO are number texts (number_text.h); either may be left empty for
// an open end ("400:" is 400 and above). The choice applies to every matrix
// FILE of the run.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "data/measurement.h"
#include "data/trace_choice.h"

namespace quorvane {

struct MatrixOptions {
    TraceChoice choice;
    Orientation orientation = Orientation::Auto;
    bool list = false;
    std::string writeTracesFolder;  // empty: none written
    bool singularValues = false;
    // The options of the choice and the orientation as given, in order: a
    // run without any matrix FILE names the first of them in its refusal.
    std::vector<std::string> matrixOptionsGiven;
};

enum class OptionParse { NotMine, Taken, Refused };

// Reads the option at arguments[i] (and its value, advancing i) into
// `options`. NotMine for an option of another group; Refused with `problem`
// set for a missing or bad value and for a second grouping option.
OptionParse parseMatrixOption(const std::vector<std::string>& arguments, std::size_t& i,
                              MatrixOptions& options, std::string& problem);

// The usage line of the group and its part of the help text.
std::string matrixUsageLine();
std::string matrixHelpText();

}  // namespace quorvane
