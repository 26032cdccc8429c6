// The parameter report: every loaded curve's offset and amplitudes as text
// lines, in the order the report window shows them.
//
// With K = layoutComponentCount and C = curveCount the report is
//   "Serie1"
//   for c = 1..C:  "Y0   " F(offset of c), then "A<j>   " F(amplitude j), j = 1..K;
//                  if c < C: colour blue, "Serie<c+1>", colour black
// where the block of curve c is ParameterVector[(c-1)(K+1)+1 .. c(K+1)] and F
// is formatFixed5. The colour events belong to the whole text box (it has one font
// colour), so they are kept as events in their place in the sequence.
//
// Curves whose block would end beyond the 300 parameter entries (only traces
// loaded after a fit can get there) are not read: the report stops after the
// last complete block and closes with one line naming the curves left out.
#pragma once

#include <string>
#include <vector>

namespace quorvane {

enum class ReportColour { Blue, Black };

// One step of building the report: append a line, or set the font colour.
struct ReportItem {
    enum class Kind { Line, SetColour };
    Kind kind = Kind::Line;
    std::string text;                           // Kind::Line
    ReportColour colour = ReportColour::Black;  // Kind::SetColour

    static ReportItem line(std::string text) { return {Kind::Line, std::move(text), {}}; }
    static ReportItem setColour(ReportColour colour) { return {Kind::SetColour, {}, colour}; }
};

// Builds the report from the workspace; reads, never changes it.
std::vector<ReportItem> buildParameterReport();

// The lines of a report without the colour events.
std::vector<std::string> reportLines(const std::vector<ReportItem>& items);

// The number of curves whose complete block lies within the 300 parameter
// entries for blocks of `componentCount` + 1 entries, at most `curveCount`.
int curvesWithinParameterVector(int curveCount, int componentCount);

// The closing line for curves first..last that lie beyond the vector:
// "Serie31 to Serie40 were loaded after the fit and have no coefficients yet"
// ("Serie40 was ... and has ..." for one curve).
std::string curvesWithoutCoefficientsLine(int first, int last);

}  // namespace quorvane
