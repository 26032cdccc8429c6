#include "views/interval_report.h"

#include "data/number_format.h"

namespace quorvane {

std::string intervalText(const TimeConstantInterval& interval) {
    // Appended piece by piece: g++ 12 warns falsely (-Wrestrict) on a
    // literal + string chain here.
    std::string text = "[";
    text += interval.lowerBounded ? "" : "< ";
    text += formatExponent6(interval.lower);
    text += ", ";
    text += interval.upperBounded ? "" : "> ";
    text += formatExponent6(interval.upper);
    text += ']';
    return text;
}

std::string intervalLines(const ProfileIntervals& intervals) {
    std::string lines = "95 % intervals, profile: ";
    if (!intervals.valid)
        return lines + intervals.message + '\n';
    lines += "S <= " + formatGeneral15(intervals.threshold) + '\n';
    for (int j = 1; j <= intervals.componentCount; ++j) {
        const TimeConstantInterval& interval = intervals.interval[j];
        std::string name = "t";
        name += std::to_string(j);
        lines += name + " = " + formatExponent6(interval.fitted) + " in " + intervalText(interval) +
                 '\n';
        if (!interval.note.empty())
            lines += name + ": " + interval.note + '\n';
    }
    return lines;
}

}  // namespace quorvane
