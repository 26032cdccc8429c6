// The evolution-associated spectra (EAS) of a sequential scheme, from the
// decay-associated amplitudes (DAS) of the global fit.
//
// The fit is a sum of exponentials, one amplitude per trace and component:
// a parallel reading, each component decaying on its own. The sequential
// reading assumes instead that species 1 turns into species 2, 2 into 3, and
// so on, with first-order rates, only species 1 present at time zero:
//   dc_1/dt = -k_1 c_1,  dc_i/dt = k_{i-1} c_{i-1} - k_i c_i,  c_i(0) = [i = 1].
// The species are the components ordered by decreasing rate,
// k_1 > k_2 > ... > k_n > = 0 (a last rate 0 is a species that never decays,
// such as the step of the instrument response). For distinct rates
//   c_i(t) = sum_{j<=i} b_ij exp(-k_j t),
//   b_ij   = prod_{m<i} k_m / prod_{m<=i, m!=j} (k_m - k_j),
// so a trace sum_i EAS_i c_i(t) is the sum of exponentials with amplitudes
//   DAS_j  = sum_{i>=j} b_ij EAS_i.
// The matrix (b_ij) is lower triangular with b_jj != 0: the EAS follow from
// the DAS by back substitution,
//   EAS_n = DAS_n / b_nn,
//   EAS_j = (DAS_j - sum_{i=j+1..n} b_ij EAS_i) / b_jj,   j = n-1 .. 1,
// the sum taken in ascending i. Everything is in extended precision:
// the numerator prod_{m<i} k_m is multiplied in ascending m (1 for i = 1),
// the denominator in ascending m, then divided once.
//
// The transformation is exact; what it means rests on the assumption of the
// scheme, which the fit neither tests nor supports (any order of the species
// fits the data equally well).
//
// Equal or nearly equal rates make b_ij blow up (the scheme's solution then
// has t exp(-k t) terms, which the sum of exponentials cannot hold): a pair
// of rates whose difference is below kIndistinguishableRates of the larger
// is refused.
#pragma once

#include <string>
#include <vector>

namespace quorvane {

// Relative difference |k_a - k_b| / max(k_a, k_b) below which two rates are
// taken as one. The amplification of the transformation grows as the
// inverse of this difference: at 1e-6 it still leaves about 13 of the 19
// digits of the extended type.
inline constexpr long double kIndistinguishableRates = 1e-6L;

struct SequentialScheme {
    // components[i-1]: the index (into the rates given) of species i.
    std::vector<int> components;
    // k_1 > k_2 > ... > k_n: the rates in species order.
    std::vector<long double> rates;
    // coefficients[i-1][j-1] = b_ij for j <= i (row i holds i entries).
    std::vector<std::vector<long double>> coefficients;
};

// The scheme of the given rates (any order, each finite and >= 0), ordered
// by decreasing rate (equal rates keep their given order before the refusal).
// labels[j] names rate j in the messages. Throws QuorvaneError
// "LABEL_A and LABEL_B have equal or indistinguishable rates: ..." for the
// first such pair in species order, and refuses a rate that is not finite
// or negative, or more than one rate 0.
SequentialScheme sequentialScheme(const std::vector<long double>& rates,
                                  const std::vector<std::string>& labels);

// das[j-1]: the amplitude of species j's exponential exp(-k_j t), in species
// order. Returns EAS_1..EAS_n by the back substitution above.
std::vector<long double> evolutionFromDecay(const SequentialScheme& scheme,
                                            const std::vector<long double>& das);

// The inverse: DAS_j = sum_{i=j..n} b_ij EAS_i, summed in ascending i.
std::vector<long double> decayFromEvolution(const SequentialScheme& scheme,
                                            const std::vector<long double>& eas);

// c_i(t) of species i (1..n) at time t, summed in ascending j.
long double speciesConcentration(const SequentialScheme& scheme, int species, long double time);

}  // namespace quorvane
