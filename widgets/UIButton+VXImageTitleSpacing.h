#pragma once
// Places a button's image above, left of, below or right of its title with a gap.

#include "os/uikit/Button.h"

namespace VXImageTitleSpacing {

enum VXButtonEdgeInsetsStyle : int {
    VXButtonEdgeInsetsStyleTop = 0,    // image above the title
    VXButtonEdgeInsetsStyleLeft = 1,   // image left of the title
    VXButtonEdgeInsetsStyleBottom = 2, // image below the title
    VXButtonEdgeInsetsStyleRight = 3,  // image right of the title
};

// Sets the image and title edge insets from the current image's and title's sizes, so that with
// centred content the two sit on the given side of each other, `space` points apart. Other
// styles leave the insets at zero.
void layoutButtonWithEdgeInsetsStyle(const ui::ButtonRef& button, int style, double space);

} // namespace VXImageTitleSpacing
