#pragma once
// Rendering a view tree into a bitmap, as the screen would show it: every view's own contents
// (label and field text, text view text, images by content mode, the activity spinner) are drawn
// into its layer's contents, then the layer tree is rendered (backgrounds, alpha, borders,
// corner-radius clipping, masks, transforms, shadows).
//
// Other views draw with their drawRect override; a view whose class has none keeps the contents
// its layer was given (a view that sets them itself overrides displayLayer).

#include "os/uikit/Image.h"
#include "os/uikit/View.h"
#include "os/uikit/Window.h"

#include <string>

namespace ui {

// Draws the view's own contents into its layer at `scale` pixels per point. With 0 or less: the
// scale of the capture in progress, else the main screen's for a view in a window (a view
// outside any window is left for later). Answers false when nothing was drawn.
bool displayViewContents(View& view, double scale);

// The view's bounds as an image at `scale` (0 or less: the main screen's); none for an empty view.
ImageRef renderView(const ViewRef& view, double scale = 0);

// The window at the main screen's scale, written as a PNG file. Answers whether it was written.
bool captureWindowPNG(const WindowRef& window, const std::string& path);

namespace detail {
// The base View::drawRect ran (it marks a class as drawing nothing).
void noteBaseDrawRect();
} // namespace detail

} // namespace ui
