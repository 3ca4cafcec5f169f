#pragma once
// Insets of the UI layer (top, left, bottom, right, in points).

#include "os/graphics/Geometry.h"

namespace ui {

struct EdgeInsets {
    double top = 0, left = 0, bottom = 0, right = 0;
    bool operator==(const EdgeInsets&) const = default;
};

inline constexpr EdgeInsets EdgeInsetsZero{};

inline constexpr EdgeInsets EdgeInsetsMake(double top, double left, double bottom, double right) {
    return {top, left, bottom, right};
}

// The rectangle shrunk by the insets (negative insets grow it).
inline cg::Rect EdgeInsetsInsetRect(cg::Rect r, EdgeInsets i) {
    return cg::RectMake(r.origin.x + i.left, r.origin.y + i.top, r.size.width - i.left - i.right,
                        r.size.height - i.top - i.bottom);
}

} // namespace ui
