#include "cli/error_options.h"

namespace quorvane {

bool parseErrorOption(const std::string& argument, bool& spectraErrors) {
    if (argument != "--spectra-se")
        return false;
    spectraErrors = true;
    return true;
}

std::string errorOptionsHelp() {
    return "  --spectra-se     with --save, NAME-spectra.csv gains the amplitudes' standard\n"
           "                   errors A1_se..An_se\n";
}

}  // namespace quorvane
