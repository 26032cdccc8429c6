// quorvane-fit's option of the evolution-associated spectra:
//   --eas   after the fit, the EAS section (views/evolution_report.h), and
//           with --save NAME also NAME-eas.csv
#pragma once

#include <string>

namespace quorvane {

// True when `argument` is the option; it then sets `wanted`.
bool parseEvolutionOption(const std::string& argument, bool& wanted);

// The lines of --help for it.
std::string evolutionOptionsHelp();

}  // namespace quorvane
