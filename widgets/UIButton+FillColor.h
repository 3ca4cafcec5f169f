#pragma once
// Per-state background colours of a button, as one-colour background images.

#include "os/uikit/Button.h"

namespace FillColor {

// The button's background image for the state becomes a 1 x 1 point image of the colour (none
// removes it).
void setBackgroundColor(const ui::ButtonRef& button, const ui::ColorRef& color, unsigned state);

} // namespace FillColor
