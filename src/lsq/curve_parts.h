// The results of a per-curve pass (curve_subtotals.h) and the faults
// charged to each.
//
// One pass over a curve's points forms any combination of three results:
// the normal matrix's subtotals, the gradient's and the sum of squares'.
// They share values (a residual, the exponentials E_m), yet each result is
// reported with exactly the faults that forming it on its own would raise,
// as if buildNormalMatrix, buildGradientVector and sumSquaredResiduals each
// ran their own pass: a fault is charged to every result that uses the
// value that raised it, and to no other. The values are formed in groups
// (a kind of exponential, the residuals, a result's terms), the faults are
// taken after each group (takeX87Faults, takeFloatingPointFaults) and
// charged here to the parts that use it.
#pragma once

#include "data/floating_point.h"

namespace quorvane {

// Which results one pass forms; any combination.
enum CurvePart : unsigned {
    kMatrixPart = 1,    // steps 1 to 4 of the normal matrix
    kGradientPart = 2,  // the gradient entries
    kSumPart = 4,       // the sum of squared residuals
};
inline constexpr unsigned kAllCurveParts = kMatrixPart | kGradientPart | kSumPart;

struct PartFaults {
    FloatingPointFaults matrix = 0;
    FloatingPointFaults gradient = 0;
    FloatingPointFaults sum = 0;

    // Charges `faults` to each part of `parts`.
    void charge(unsigned parts, FloatingPointFaults faults) {
        if (parts & kMatrixPart)
            matrix |= faults;
        if (parts & kGradientPart)
            gradient |= faults;
        if (parts & kSumPart)
            sum |= faults;
    }

    // Charges each part what `other` charged to it.
    void charge(const PartFaults& other) {
        matrix |= other.matrix;
        gradient |= other.gradient;
        sum |= other.sum;
    }

    // The parts of `parts` take their faults from `from`; the others keep
    // theirs.
    void replace(unsigned parts, const PartFaults& from) {
        if (parts & kMatrixPart)
            matrix = from.matrix;
        if (parts & kGradientPart)
            gradient = from.gradient;
        if (parts & kSumPart)
            sum = from.sum;
    }
};

}  // namespace quorvane
