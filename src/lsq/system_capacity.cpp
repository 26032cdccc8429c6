#include "lsq/system_capacity.h"

#include <string>

#include "data/error.h"
#include "data/workspace.h"

namespace quorvane {

void checkSystemSize(int size) {
    if (size > kMaxParameters)
        throw QuorvaneError(
            "Too many parameters for the normal equations: " + std::to_string(size) + " (at most " +
            std::to_string(kMaxParameters) + ")");
}

void checkNormalEquationsCapacity() {
    const int n = workspace.componentCount;
    if (n < 0 || n > kMaxComponents)
        throw QuorvaneError("Cannot build the normal equations for " + std::to_string(n) +
                            " components (1 to " + std::to_string(kMaxComponents) + ")");
    checkSystemSize(fittedParameterCount());
}

}  // namespace quorvane
