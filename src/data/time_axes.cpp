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

void planAxisSharing(int curves, bool share, AxisSharing& plan) {
    const TimeAxes& axes = timeAxes();
    const auto keepsPointCount = [&axes](int c) {
        return workspace.pointCount[c] == workspace.pointCount[axes.representative[c]];
    };
    int curvesOfAxis[kMaxCurves + 1] = {};  // by the axis's first curve
    plan.longestCurve = 0;
    for (int c = 1; c <= curves; ++c) {
        if (workspace.pointCount[c] > plan.longestCurve)
            plan.longestCurve = workspace.pointCount[c];
        if (keepsPointCount(c))
            ++curvesOfAxis[axes.representative[c]];
    }
    plan.sharedAxisCount = 0;
    plan.loneCount = 0;
    int sharing = 0;
    for (int c = 1; c <= curves; ++c) {
        const int first = axes.representative[c];
        plan.sharedAxisOf[c] = 0;
        if (!share || curvesOfAxis[first] < 2 || !keepsPointCount(c)) {
            plan.loneCurves[plan.loneCount++] = c;
        } else if (first == c) {
            const int axis = ++plan.sharedAxisCount;
            plan.firstCurve[axis] = c;
            plan.sharedAxisOf[c] = axis;
            plan.axisStart[axis] = sharing;
            for (int member = c; member <= curves; ++member)
                if (axes.representative[member] == c && keepsPointCount(member))
                    plan.sharingCurves[sharing++] = member;
        } else {
            plan.sharedAxisOf[c] = plan.sharedAxisOf[first];
        }
    }
    plan.axisStart[plan.sharedAxisCount + 1] = sharing;
}

bool keepsSharedAxis(const AxisSharing& plan, int curve) {
    const int first = plan.firstCurve[plan.sharedAxisOf[curve]];
    return curve == first || sameTimes(curve, first);
}

}  // namespace quorvane
