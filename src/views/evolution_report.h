// The evolution-associated spectra of the last fit (fit/evolution_spectra.h):
// the components of the last Start, and with the instrument response's step
// that step as a last species of rate 0, read as the sequential scheme
// 1 -> 2 -> ... -> n in decreasing rate. For every curve the EAS follow from
// its amplitudes (ParameterVector, and the step amplitude) in extended
// precision and are rounded to double once.
#pragma once

#include <string>
#include <vector>

#include "fit/evolution_spectra.h"
#include "views/result_sections.h"

namespace quorvane {

struct EvolutionTable {
    // species[i-1]: the label of species i's time constant ("t2", ...,
    // "step").
    std::vector<std::string> species;
    // The rows of the Spectra table, in its order (ascending wavelength,
    // equal wavelengths in load order), amplitudes replaced by EAS_1..EAS_n.
    SpectraTable spectra;
};

// The scheme of the last Start. Refused (QuorvaneError) before any Start, and
// for equal or indistinguishable time constants, named in the message.
SequentialScheme fittedSequentialScheme(std::vector<std::string>* labels = nullptr);

// titles[c-1] is the title of curve c. Throws what the Differential spectra
// command throws, and the refusals of fittedSequentialScheme().
EvolutionTable buildEvolutionTable(const std::vector<std::string>& titles);

// "EAS", a TAB and the species' labels separated by TABs, then one line per
// row as the Spectra section writes it.
std::string evolutionSection(const EvolutionTable& table);

// "wavelength,EAS_t2,EAS_t1,...", then one line per row, 17 digits.
std::string evolutionCsv(const EvolutionTable& table);

}  // namespace quorvane
