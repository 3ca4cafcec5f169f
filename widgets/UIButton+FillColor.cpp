#include "widgets/UIButton+FillColor.h"

#include "widgets/UIImage+VXColor.h"

namespace FillColor {

void setBackgroundColor(const ui::ButtonRef& button, const ui::ColorRef& color, unsigned state) {
    if (!button) return;
    button->setBackgroundImage(VXColor::imageWithColor(color), state);
}

} // namespace FillColor
