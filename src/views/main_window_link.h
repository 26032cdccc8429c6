// What the result windows read from the main window. The main window
// implements it; the views never see its class, so the result windows build
// without the desktop program's own unit.
#pragma once

#include <string>

namespace quorvane {

class MainWindowLink {
  public:
    virtual ~MainWindowLink() = default;

    // The title of curve `curve`'s own data series on the main chart
    // (1-based curve index), independent of any fitted curves after it.
    // Empty when no such data series exists.
    virtual std::string dataSeriesTitle(int curve) const = 0;

    // The commands that change the traces or the fit (Start, Open, Clear,
    // ...) on or off, while a result window works on the workspace.
    virtual void setFitCommandsEnabled(bool /*enabled*/) {}
};

}  // namespace quorvane
