// Quantiles of Fisher's F distribution, for the confidence regions of a
// least-squares fit: with p parameters held at trial values and f degrees of
// freedom left, the region of confidence level P is where the sum of
// squares stays below S_min (1 + p F(P; p, f) / f).
#pragma once

namespace quorvane {

// F(probability; numerator, denominator): the value below which an F
// variable with those degrees of freedom falls with the given probability
// (0 < probability < 1, both degrees > 0). Boost.Math, in double precision;
// throws std::domain_error for arguments outside these ranges.
double fQuantile(double probability, double numeratorDegrees, double denominatorDegrees);

}  // namespace quorvane
