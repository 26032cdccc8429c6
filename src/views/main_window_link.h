// What the result windows read from the main window, and the little they
// may do on it. The main window implements it; the views never see its
// class, so the result windows build without the desktop program's own unit.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace quorvane {

class MainWindowLink {
  public:
    virtual ~MainWindowLink() = default;

    // The title of curve `curve`'s own data series on the main chart
    // (1-based curve index), independent of any fitted curves after it.
    // Empty when no such data series exists.
    virtual std::string dataSeriesTitle(int curve) const = 0;

    // `count` (>= 2) times spanning the main chart's time axis as it is
    // shown, evenly spaced in the axis' own scale (in log t on a logarithmic
    // axis), ascending. Empty when there is no main chart.
    virtual std::vector<double> timeAxisSamples(int /*count*/) const { return {}; }

    // One curve drawn against the main chart's right axis.
    struct ConcentrationCurve {
        std::string title;  // its legend entry
        std::vector<double> times;
        std::vector<double> values;
    };
    // Replaces the concentration curves on the main chart by `curves`, on a
    // secondary axis at the right, "Concentration", 0 to 1, each with a
    // legend entry, after every other series; none removes them and the
    // axis. The main window removes them itself at Start and Clear.
    virtual void showConcentrations(const std::vector<ConcentrationCurve>& /*curves*/) {}

    // Runs a result window's command through the main window's one error
    // path (the error box); without a main window it just runs.
    virtual void runWindowCommand(const std::function<void()>& command) { command(); }
    // The commands that change the traces or the fit (Start, Open, Clear,
    // ...) on or off, while a result window works on the workspace.
    virtual void setFitCommandsEnabled(bool /*enabled*/) {}
};

}  // namespace quorvane
