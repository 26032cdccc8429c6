#include "data/number_format.h"

// Placeholder until the formats are written.
namespace quorvane {
std::string formatExponent6(long double) { return {}; }
std::string formatGeneral15(long double) { return {}; }
std::string formatFixed7(long double, int) { return {}; }
}  // namespace quorvane
