#include "widgets/UIButton+VXImageTitleSpacing.h"

namespace VXImageTitleSpacing {

void layoutButtonWithEdgeInsetsStyle(const ui::ButtonRef& button, int style, double space) {
    if (!button) return;
    auto image = button->currentImage();
    cg::Size is = image ? image->size() : cg::SizeZero;
    cg::Size ts = button->titleLabel()->intrinsicContentSize();
    if (!button->currentTitle() || button->currentTitle()->empty()) ts = cg::SizeZero;
    // Centred content moves by half the difference of each inset pair. Side by side (the default
    // arrangement, image first) the pair is centred as a whole; the insets below move each part
    // to its place relative to the other.
    ui::EdgeInsets imageInsets, titleInsets;
    switch (style) {
    case VXButtonEdgeInsetsStyleTop:
        imageInsets = {-(ts.height + space), 0, 0, -ts.width};
        titleInsets = {0, -is.width, -(is.height + space), 0};
        break;
    case VXButtonEdgeInsetsStyleLeft:
        imageInsets = {0, -space / 2, 0, space / 2};
        titleInsets = {0, space / 2, 0, -space / 2};
        break;
    case VXButtonEdgeInsetsStyleBottom:
        imageInsets = {0, 0, -(ts.height + space), -ts.width};
        titleInsets = {-(is.height + space), -is.width, 0, 0};
        break;
    case VXButtonEdgeInsetsStyleRight:
        imageInsets = {0, ts.width + space / 2, 0, -(ts.width + space / 2)};
        titleInsets = {0, -(is.width + space / 2), 0, is.width + space / 2};
        break;
    default: break;
    }
    button->setImageEdgeInsets(imageInsets);
    button->setTitleEdgeInsets(titleInsets);
}

} // namespace VXImageTitleSpacing
