// quorvane-fit's option of the standard errors (the Errors section itself
// is always printed):
//   --spectra-se   NAME-spectra.csv gains A1_se..An_se after A1..An
#pragma once

#include <string>

namespace quorvane {

// Takes `argument` when it is the option above, setting `spectraErrors`.
bool parseErrorOption(const std::string& argument, bool& spectraErrors);

// The lines of --help for it.
std::string errorOptionsHelp();

}  // namespace quorvane
