#include "cli/evolution_options.h"

namespace quorvane {

bool parseEvolutionOption(const std::string& argument, bool& wanted) {
    if (argument != "--eas")
        return false;
    wanted = true;
    return true;
}

std::string evolutionOptionsHelp() {
    return "  --eas            also print the evolution-associated spectra: the components\n"
           "                   read as a sequential scheme 1 -> 2 -> ... in decreasing\n"
           "                   rate (an assumption, not a result of the fit); with --save\n"
           "                   also NAME-eas.csv\n";
}

}  // namespace quorvane
