// The accurate path of the extended exponential: MPFR rounds e^x correctly
// whatever the precision this takes. The extended format is emulated by a
// 64-bit precision and the exponent range of the extended numbers, its
// subnormals included (MPFR writes 2^e as 0.1 * 2^(e+1): the smallest
// subnormal 2^-16445 has MPFR exponent -16444, the overflow threshold 2^16384
// exponent 16385).
#include <mpfr.h>

#include <cfenv>

#include "data/exp_paths.h"

namespace quorvane {

long double accurateExponential(long double argument) {
    std::fexcept_t savedFlags;
    std::fegetexceptflag(&savedFlags, FE_ALL_EXCEPT);
    // The exponent range is per thread (MPFR is built thread-safe).
    const mpfr_exp_t savedMinimum = mpfr_get_emin();
    const mpfr_exp_t savedMaximum = mpfr_get_emax();
    mpfr_set_emin(-16444);
    mpfr_set_emax(16384);

    mpfr_t x, y;
    mpfr_init2(x, 64);
    mpfr_init2(y, 64);
    mpfr_set_ld(x, argument, MPFR_RNDN);  // exact: 64 bits
    const int direction = mpfr_exp(y, x, MPFR_RNDN);
    mpfr_subnormalize(y, direction, MPFR_RNDN);
    const long double result = mpfr_get_ld(y, MPFR_RNDN);  // exact: y is an extended number
    mpfr_clear(x);
    mpfr_clear(y);
    // MPFR keeps constants (ln 2) per thread; the pool's threads would leave
    // them behind at their end. Rare as this path is, they are freed here.
    mpfr_free_cache2(MPFR_FREE_LOCAL_CACHE);

    mpfr_set_emin(savedMinimum);
    mpfr_set_emax(savedMaximum);
    std::fesetexceptflag(&savedFlags, FE_ALL_EXCEPT);
    return result;
}

}  // namespace quorvane
