// The instrument response of the current fit: what Start read from the
// response's boxes and what the fit made of it, kept beside the workspace
// for the model, the sums of squares, the verdict and the reports.
//
// With the response on, curve c at wavelength lambda_c has the model
//   y(t) = Y0 + A_1 c_1(t) + ... + A_n c_n(t)  [+ S c_0(t)]
// in that order (exponentialSum, then the step term), where c_j is the
// exponential of rate w_j = exp(logRate_j) convolved with the Gaussian of
// centre mu_c and width sigma (response_basis.h), c_0 the step (rate 0) and S
// the curve's step amplitude. The Gaussian of every curve has
//   sigma = FWHM / kFwhmPerWidth,
//   mu_c  = centre + c_1 p_c + ... + c_d p_c^d,   p_c = (lambda_c - lambda_r) / 100,
// formed as mu = centre; q = 1; for i = 1..d: q = q p_c, mu = mu + c_i q.
// FWHM, the centre and the c_i are in the unit of the times, lambda in nm.
//
// The nonlinear parameters of the variable projection are the n log-rates,
// then, of the response, those fitted, in the order centre, FWHM, c_1..c_d.
#pragma once

#include <cstdint>

#include "data/time_axes.h"
#include "data/workspace.h"
#include "fit/response_basis.h"
#include "fit/response_boxes.h"

namespace quorvane {

struct ResponseModel {
    // The last Start fitted with the response; false: the model is the plain
    // exponential sum and nothing here is read. It belongs to the curve data
    // as they were at that Start (curveDataGeneration): once traces are
    // loaded or cleared it is out of use until the next Start.
    bool active = false;
    std::uint64_t curveGeneration = 0;
    bool step = false;
    int order = 0;  // dispersion order d, 0..kMaxDispersionOrder
    long double centre = 0.0L;
    long double fwhm = 0.0L;
    long double dispersion[kMaxDispersionOrder + 1] = {};  // [i] = c_i, i = 1..d
    // lambda_r in nm (NaN when the traces have no wavelengths and d = 0).
    long double reference = 0.0L;
    bool fitCentre = false;
    bool fitFwhm = false;
    bool fitDispersion[kMaxDispersionOrder + 1] = {};
    // p_c of every curve (0 with d = 0).
    long double dispersionVariable[kMaxCurves + 1] = {};
    // S of every curve (0 without the step).
    long double stepAmplitude[kMaxCurves + 1] = {};
};

extern ResponseModel responseModel;

// The model of the fit is the response's: active, and the curve data those
// of its Start. Every user of the model asks this.
inline bool responseInUse() {
    return responseModel.active && responseModel.curveGeneration == curveDataGeneration();
}

// The fitted response parameters: how many, and their values moved into
// and out of a vector in the order above.
int fittedResponseParameterCount(const ResponseModel& model);
void responseParametersToVector(const ResponseModel& model, long double* x);
void responseParametersFromVector(const long double* x, ResponseModel& model);

// mu_c and sigma of curve c.
GaussianResponse curveResponse(const ResponseModel& model, int curve);

// The model value of curve c at `time` on `parameters` (a vector in the
// layout of ParameterVector: the curve's block and the log-rates) and the
// model's step amplitude. Raises the faults of its exponentials in the
// status flags, as the exponential model does.
long double responseModelValue(const ResponseModel& model, const long double* parameters, int curve,
                               long double time);

// Sum over curves 1..C, in order, of each curve's sum of squared residuals
// under responseModelValue on ParameterVector (curves spread over the
// threads). Raises the faults met in the status flags.
long double responseSumOfSquares();

// All fitted parameters of a fit with the response: (n+1)C + n, the fitted
// response parameters and, with the step, one amplitude per curve.
int responseFittedParameterCount();

}  // namespace quorvane
