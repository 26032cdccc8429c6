// One run of quorvane-fit: what a user of the main window does, in order.
//   1. File > Open for each FILE in the given order: a matrix file gives the
//      traces chosen from it (matrix_inputs.h); with --list or --write-traces
//      the run ends here, having printed or written them;
//   2. Start once with the given box texts;
//   3. Tools > Parameters, Tools > Var-Cov Matrix, Tools > Differential
//      spectra;
//      then, with --eas, the evolution-associated spectra
//      (views/evolution_report.h), with --svd, the singular values
//      (views/singular_value_report.h);
//   4. with --save NAME, File > Save as... NAME (views/result_files.h), with
//      --eas also NAME-eas.csv, with --svd NAME-svd.csv;
//   5. the verdict of the fit (convergence_verdict.h) as the last line of
//      `err`;
// printing each section on `out` as soon as it is complete. The first error
// ends the run: the text of its error box goes on one line to `err` (for a
// trace that could not be loaded, a second line names the file, and the line
// when a line was at fault), and the sections printed before stay. A matrix
// file whose orientation the rule cannot decide, and matrix options without
// any matrix FILE, are usage errors (exit 2).
#pragma once

#include <ostream>

#include "cli/command_line.h"

namespace quorvane {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// With --require-convergence: the run completed, the fit has not converged.
inline constexpr int kExitNotConverged = 3;

// showProgress: write the progress-bar positions to `err` (for a terminal).
int runBatch(const BatchRequest& request, std::ostream& out, std::ostream& err, bool showProgress);

}  // namespace quorvane
