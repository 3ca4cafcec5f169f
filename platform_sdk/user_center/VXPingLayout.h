#pragma once
// Pieces the comment cells' interface-file builders share (VXPingCell, VXPingTwoHead,
// VXPingTwoCell). Builders only; no behaviour.

#include "os/uikit/ImageView.h"
#include "os/uikit/Label.h"

namespace VXPingLayout {

// The reward ribbon's square, in the bottom-right corner.
inline constexpr double Ribbon = 56;

ui::LabelRef label(double size, double weight, const char* hex);

struct RibbonViews {
    ui::ViewRef view;
    ui::ImageViewRef pic;
    ui::LabelRef label;
};
// The ribbon: a band laid across the corner (the cell turns the picture and the text by −45°).
RibbonViews ribbon();

} // namespace VXPingLayout
