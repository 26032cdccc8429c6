// The basis of a fit with a Gaussian instrument response: an exponential
// decay of rate k (k = exp(logRate), per unit of time) convolved with the
// unit-area Gaussian of centre mu and standard deviation sigma,
//   c(t) = integral of g(s) e^(-k (t - s)) over s < t,
//   g(t) = e^(-(t - mu)^2 / (2 sigma^2)) / (sigma sqrt(2 pi)),
//        = 1/2 exp(k (mu - t) + k^2 sigma^2 / 2) erfc(z),
//   z = (mu + k sigma^2 - t) / (sigma sqrt 2),
// which rises with the response and decays like e^(-k (t - mu)); 0 <= c < 1.
// With k = 0 it is the step 1/2 erfc((mu - t)/(sigma sqrt 2)), a component
// that rises with the response and does not decay. t, mu and sigma are in
// one unit of time, k in its inverse. The full width at half maximum is
// FWHM = 2 sqrt(2 ln 2) sigma (kFwhmPerWidth), so d/dFWHM = d/dsigma /
// kFwhmPerWidth.
//
// In the normalised time u = (t - mu)/(sigma sqrt 2) and with
// a = k sigma / sqrt 2, z = a - u, and the exponent above is
// A = k (mu - t) + k^2 sigma^2 / 2 = a^2 - 2 a u = z^2 - u^2.
//
// Switching rule: z > 0 (t before mu + k sigma^2) takes the response form
//   c = 1/2 erfcx(z) e^(-u^2),
// whose factors lie in (0, 1] (where the other form's exp(A) would
// overflow, and without the cancellation of a large A against a large z^2);
// z <= 0 takes the decay form
//   c = 1/2 e^A erfc(z),  erfc(z) = 2 - erfcx(-z) e^(-z^2) in [1, 2],
// with erfc(z) = 2 for z < -7 (erfc(7) < 2^-74). A <= -a^2 <= 0 there, and
// e^(-u^2) <= 1 in the other form: nothing overflows. Where u < -107,
// e^(-u^2) is below the smallest subnormal, and c and its derivatives are 0.
//
// The arguments are carried beyond 64 bits: t - mu exactly (twoSum),
// 1/(sigma sqrt 2), its square, a and a^2 as pairs, so that u, z, u^2, z^2
// and A = a^2 - k (t - mu) have relative errors near 2^-120 and enter their
// exponentials as exp(high) (1 + low) (extended_pair.h, erfc_kernel.h).
// Long after the rise (z below -7.5 when rounded once) the value needs A
// alone, and the derivatives u^2 = (t - mu)^2 / (2 sigma^2) besides. The
// times and the parameters are taken as exact: the rate's own rounding from
// the log-rate is the caller's, as in the exponential model.
//
// Error bound, relative to c, for results above 2^-16300 and k sigma,
// |t - mu| / sigma below 2^50 (below 2^-16300: an absolute error under
// 2^-16380): each exponential is correctly rounded (at most 2^-64 of it),
// erfcx(|z|) is within 2^-67 (erfc_kernel.h), the arguments' rounding adds
// below 2^-100, and the products are formed exactly and rounded once (half
// an ulp). In units in the last place of c:
//   response form                 0.5 + 1 + 0.13          = 1.63
//   decay form, z < -7            0.5 + 1 + 0.01          = 1.51
//   decay form, -7 <= z <= 0      0.5 + 1 + 1.13          = 2.63
// (the last: e^A's rounding and erfc(|z|)'s, at most 1.13 * 2^-64 of
// erfc(z) >= 1). The largest error measured against MPFR (tests/fit, k sigma
// from 0 to 10^6, |t - mu| to 10^4 sigma, and about the rise): 1.26 ulp.
//
// The derivatives, analytic, in the same forms (e = e^(-u^2), R = erfcx(z),
// h = sqrt(pi) z R - 1 = (sqrt(pi)/2) erfcx'(z), from the erfcx pair or,
// for z >= 16, from its asymptotic series without cancellation):
//   response form                    decay form
//   dc/dlogRate = (a/sqrt pi) e h    2 a z c - (a/sqrt pi) e
//   dc/dmu = e (h + sqrt(pi) u R) / (sigma sqrt(2 pi))
//                                    k c - g
//   dc/dsigma = e ((a + u) h + sqrt(pi) u^2 R) / (sigma sqrt pi)
//                                    k^2 sigma c - e (a + u) / (sigma sqrt pi)
// (dc/dmu = k c - g and dc/dsigma = k sigma dc/dmu - g (t - mu)/sigma
// everywhere; the response form's h is small where z is large, so there
// they keep the relative accuracy that the differences would lose). With
// k = 0 they are the step's -g and -g (t - mu)/sigma. dc/dlogRate has no
// cancellation (both terms of the decay form are negative, h < 0). dc/dmu
// and dc/dsigma change sign about the rise. Each is within 8 ulps of its
// scale: |dc/dlogRate|, k c + g and k sigma (k c + g) + g |t - mu| / sigma
// (measured against MPFR: 4.4, 3.3 and 4.5 ulps).
//
// Cost (bench/response_basis_bench.cpp, one core): about 40 ns a point for
// the value and 85 ns with the three derivatives on a picosecond axis, where
// most points lie long after the rise; about 80 and 125 ns across the rise.
#pragma once

#include "data/floating_point.h"

namespace quorvane {

// FWHM / sigma = 2 sqrt(2 ln 2).
inline constexpr long double kFwhmPerWidth = 0x1.2d6abe44afc431fcp+1L;

// The instrument response: centre mu and standard deviation sigma > 0.
struct GaussianResponse {
    long double centre;
    long double width;
};

// Where the columns go; a null pointer is a column not wanted.
struct ResponseColumns {
    long double* value = nullptr;
    long double* dLogRate = nullptr;
    long double* dCentre = nullptr;
    long double* dWidth = nullptr;
};

// c and the wanted derivatives at times[0..count-1] (a curve's times + 1),
// for the rate k >= 0 (0: the step, whose dLogRate is 0). The exponentials
// are formed 64 points at a time (extendedExpBlock); the results are the
// bits the scalar responseAt gives, whichever columns are wanted. Returns
// the floating-point faults raised (none for finite times and parameters in
// the range above) and leaves the calling thread's fault flags as they
// were. Allocates nothing and keeps no state: columns may be formed on
// several threads at once.
FloatingPointFaults responseColumn(long double rate, const GaussianResponse& response,
                                   const double* times, int count, const ResponseColumns& columns);

struct ResponseValues {
    long double value;
    long double dLogRate;
    long double dCentre;
    long double dWidth;
    FloatingPointFaults faults;
};

// The same at one time.
ResponseValues responseAt(long double rate, const GaussianResponse& response, long double time);

}  // namespace quorvane
