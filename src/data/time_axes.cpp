#include "data/time_axes.h"

#include <cstring>

namespace quorvane {

namespace {

std::uint64_t generation = 1;

struct Grouping {
    TimeAxes axes{};
    std::uint64_t generation = 0;  // never a current generation: found at first use
};

Grouping grouping;

// Each curve is compared with the first curve of every axis found so far;
// distinct axes usually differ at their first point, so this costs little
// more than one pass over the times of the curves that do share an axis.
void findAxes() {
    TimeAxes& axes = grouping.axes;
    axes.curveCount = workspace.curveCount;
    axes.axisCount = 0;
    int firstCurveOfAxis[kMaxCurves + 1];
    for (int c = 1; c <= axes.curveCount; ++c) {
        int found = 0;
        for (int a = 1; a <= axes.axisCount && found == 0; ++a)
            if (sameTimes(c, firstCurveOfAxis[a]))
                found = a;
        if (found == 0) {
            found = ++axes.axisCount;
            firstCurveOfAxis[found] = c;
        }
        axes.axis[c] = found;
        axes.representative[c] = firstCurveOfAxis[found];
    }
    grouping.generation = generation;
}

}  // namespace

bool sameTimes(int a, int b) {
    const int points = workspace.pointCount[a];
    return points == workspace.pointCount[b] &&
           std::memcmp(&workspace.curves[a].times[1], &workspace.curves[b].times[1],
                       sizeof(double) * static_cast<std::size_t>(points > 0 ? points : 0)) == 0;
}

void noteCurveDataChanged() {
    ++generation;
}

std::uint64_t curveDataGeneration() {
    return generation;
}

const TimeAxes& timeAxes() {
    if (grouping.generation != generation || grouping.axes.curveCount != workspace.curveCount)
        findAxes();
    return grouping.axes;
}

}  // namespace quorvane
