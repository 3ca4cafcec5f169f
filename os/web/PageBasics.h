#pragma once
// Small pieces the page renderer's sources share: bounds on the engine's numbers, its colours, and
// what HTML counts as white space. The renderer's own (it includes the engine's header).

#include "os/graphics/Context.h"

#include <litehtml/litehtml.h>

#include <algorithm>
#include <cmath>
#include <string_view>

namespace wk {

// Coordinates past this are off any screen (the engine's integers may have run away on a hostile page).
inline constexpr double kFar = 1e6;

// The number within kFar; 0 when it is none.
inline double near(double v) { return std::isfinite(v) ? std::clamp(v, -kFar, kFar) : 0.0; }
// The same in whole points.
inline int whole(double v) { return static_cast<int>(std::round(near(v))); }

inline cg::Color colorOf(const litehtml::web_color& c) {
    return {c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0};
}

// HTML's white space.
inline constexpr std::string_view kHTMLSpaces = " \t\n\r\f";
inline bool isHTMLSpace(char c) { return kHTMLSpaces.find(c) != std::string_view::npos; }

} // namespace wk
