// Tools > Time constants: the window is made at its first use.
#include "ui/unit1.h"
#include "views/time_constants_window.h"

namespace quorvane {

void TForm1::Timeconstants1Click() {
    runCommand([this] {
        if (timeConstantsWindow_ == nullptr)
            timeConstantsWindow_ = new TimeConstantsWindow(this, this);
        timeConstantsWindow_->showTimeConstants();
    });
}

}  // namespace quorvane
