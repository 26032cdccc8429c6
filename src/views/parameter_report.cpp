#include "views/parameter_report.h"

#include <algorithm>

#include "data/number_format.h"
#include "data/workspace.h"
#include "views/report_text.h"

namespace quorvane {

int curvesWithinParameterVector(int curveCount, int componentCount) {
    return std::min(curveCount, kMaxParameters / (componentCount + 1));
}

std::string curvesWithoutCoefficientsLine(int first, int last) {
    if (first == last) {
        return textWithNumber("Serie", first) +
               " was loaded after the fit and has no coefficients yet";
    }
    return textWithNumber("Serie", first) + textWithNumber(" to Serie", last) +
           " were loaded after the fit and have no coefficients yet";
}

std::vector<ReportItem> buildParameterReport() {
    const int curveCount = workspace.curveCount;
    const int K = workspace.layoutComponentCount;
    const int reported = curvesWithinParameterVector(curveCount, K);
    const ParameterLayout layout = reportLayout();
    const long double* V = workspace.ParameterVector;

    std::vector<ReportItem> items;
    items.push_back(ReportItem::line("Serie1"));
    for (int c = 1; c <= reported; ++c) {
        items.push_back(ReportItem::line("Y0   " + formatFixed5(V[layout.offsetIndex(c)])));
        for (int j = 1; j <= K; ++j) {
            items.push_back(ReportItem::line(textWithNumber("A", j) + "   " +
                                             formatFixed5(V[layout.amplitudeIndex(c, j)])));
        }
        // The header of the next curve only while that curve's block can be
        // read; otherwise the closing line below stands in its place.
        if (c < reported) {
            items.push_back(ReportItem::setColour(ReportColour::Blue));
            items.push_back(ReportItem::line(textWithNumber("Serie", c + 1)));
            items.push_back(ReportItem::setColour(ReportColour::Black));
        }
    }
    if (reported < curveCount) {
        items.push_back(ReportItem::line(curvesWithoutCoefficientsLine(reported + 1, curveCount)));
    }
    return items;
}

std::vector<std::string> reportLines(const std::vector<ReportItem>& items) {
    std::vector<std::string> lines;
    for (const ReportItem& item : items) {
        if (item.kind == ReportItem::Kind::Line)
            lines.push_back(item.text);
    }
    return lines;
}

}  // namespace quorvane
