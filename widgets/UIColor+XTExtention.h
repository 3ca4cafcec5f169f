#pragma once
// Colours written as hexadecimal text, as the platform's replies and the screens give them.

#include "os/uikit/Color.h"

#include <optional>
#include <string>

namespace XTExtention {

// "#RRGGBB" or "RRGGBB" (either case; surrounding white space ignored) gives that opaque colour.
// Anything else (nil, empty, other lengths, non-hex digits) gives the clear colour, so a bad
// colour from the server paints nothing.
ui::ColorRef colorWithHexString(const std::optional<std::string>& hex);

} // namespace XTExtention
