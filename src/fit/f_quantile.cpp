#include "fit/f_quantile.h"

#include <boost/math/distributions/fisher_f.hpp>
#include <stdexcept>

namespace quorvane {

namespace {

// Boost reports a bad argument by throwing std::domain_error; the policy
// says so outright rather than relying on the library's default.
using ThrowingPolicy = boost::math::policies::policy<
    boost::math::policies::domain_error<boost::math::policies::throw_on_error>>;

}  // namespace

double fQuantile(double probability, double numeratorDegrees, double denominatorDegrees) {
    if (!(probability > 0.0 && probability < 1.0) || !(numeratorDegrees > 0.0) ||
        !(denominatorDegrees > 0.0))
        throw std::domain_error("F quantile: probability in (0, 1) and positive degrees needed");
    const boost::math::fisher_f_distribution<double, ThrowingPolicy> distribution(
        numeratorDegrees, denominatorDegrees);
    return boost::math::quantile(distribution, probability);
}

}  // namespace quorvane
