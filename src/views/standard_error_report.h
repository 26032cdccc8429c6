// The standard errors of the fit (fit/standard_errors.h) as quorvane-fit
// prints them and the saved report holds them, after the spectra:
//   Errors
//   s2 = S/(m - N)                          general 15-digit format
//   t1 = 4.97206E-6 +- 1.23456E-8           t_j and SE(t_j), j = 1..n
//   ln t correlation
//   t1<TAB>1.000000<TAB>-0.123456 ...        row i: corr(ln t_i, ln t_j), 6 decimals
//   SE<TAB>Y0<TAB>A1 ... An                   the coefficients' header
//   400<TAB>SE(Y0)<TAB>SE(A1) ... SE(An)     one line per spectra row (its
//                                           wavelength, ascending), 6 digits
//   mu0 +- ..., FWHM +- ..., c1 +- ...      the response's fitted parameters
//   step3 +- ...                            with the step, every curve's
// When they cannot be formed: "Errors" and the message. Numbers in the
// program's decimal separator.
#pragma once

#include <string>

#include "fit/standard_errors.h"
#include "views/result_sections.h"

namespace quorvane {

std::string standardErrorSection(const StandardErrors& errors, const SpectraTable& spectra);

// ",A1_se,...,An_se" for the spectra CSV's header, and a row's values
// (17 digits, the point; empty fields when there are no errors).
std::string spectraErrorHeader(int componentCount);
std::string spectraErrorFields(const StandardErrors& errors, const SpectraTable::Row& row,
                               int componentCount);

}  // namespace quorvane
