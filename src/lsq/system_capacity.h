// The capacity of the normal equations: at most 9 components and 300
// parameters fit into the workspace's fixed vectors and matrices. The fit
// driver refuses larger fits before they start; the builders and the solver
// test it once more so that no caller can make them write outside the
// workspace (for instance a result view given after more curves were loaded).
#pragma once

namespace quorvane {

// Throws QuorvaneError "Too many parameters for the normal equations: N
// (at most 300)" when size > 300.
void checkSystemSize(int size);

// Throws QuorvaneError when componentCount is outside 0..9 or the fitted
// parameter count exceeds 300. A count of 0 (before the first Start) builds
// the offsets' blocks alone.
void checkNormalEquationsCapacity();

}  // namespace quorvane
