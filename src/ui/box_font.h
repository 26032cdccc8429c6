// The whole text of a fixed-size edit box stays visible: the box's font
// shrinks for a text that its designed size would clip.
#pragma once

class QLineEdit;

namespace quorvane {

// From now on, whenever the box's text changes, its font takes the largest
// pixel size from `largestPixelSize` down to 7 at which the whole text fits
// between the frame and the margins (7 when none does). The face and the
// stretch stay as they are.
void keepWholeTextVisible(QLineEdit& box, int largestPixelSize);

}  // namespace quorvane
