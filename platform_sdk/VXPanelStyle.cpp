#include "platform_sdk/VXPanelStyle.h"

#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

namespace VXPanelStyle {

ui::ColorRef accent() { return XTExtention::colorWithHexString("#4988FD"); }
ui::ColorRef textGrey() { return XTExtention::colorWithHexString("#999999"); }

ui::TextFieldRef field(cg::Rect frame, const std::string& placeholder, bool secure) {
    auto f = ui::View::create<ui::TextField>(frame);
    f->setPlaceholder(placeholder);
    f->setSecureTextEntry(secure);
    f->setFont(ui::Font::systemFontOfSize(15));
    // The platform's own rounded border: it insets the text and placeholder from the edge, which a
    // border drawn on the layer does not.
    f->setBorderStyle(ui::TextBorderStyle::RoundedRect);
    return f;
}

ui::ButtonRef filledButton(cg::Rect frame, const std::string& title) {
    auto b = ui::Button::buttonWithType(ui::ButtonType::Custom);
    b->setFrame(frame);
    b->setTitle(title, ui::ControlStateNormal);
    b->setTitleColor(ui::Color::whiteColor(), ui::ControlStateNormal);
    b->titleLabel()->setFont(ui::Font::boldSystemFontOfSize(16));
    b->setBackgroundColor(accent());
    b->layer()->setCornerRadius(4);
    b->setClipsToBounds(true);
    return b;
}

ui::ButtonRef outlinedButton(cg::Rect frame, const std::string& title) {
    auto b = ui::Button::buttonWithType(ui::ButtonType::Custom);
    b->setFrame(frame);
    b->setTitle(title, ui::ControlStateNormal);
    b->setTitleColor(textGrey(), ui::ControlStateNormal);
    b->titleLabel()->setFont(ui::Font::systemFontOfSize(16));
    b->layer()->setBorderWidth(1);
    b->layer()->setBorderColor(textGrey()->cgColor());
    b->layer()->setCornerRadius(4);
    b->setClipsToBounds(true);
    return b;
}

ui::ButtonRef textButton(cg::Rect frame, const std::string& title, const ui::ColorRef& color, double size) {
    auto b = ui::Button::buttonWithType(ui::ButtonType::Custom);
    b->setFrame(frame);
    b->setTitle(title, ui::ControlStateNormal);
    b->setTitleColor(color, ui::ControlStateNormal);
    b->titleLabel()->setFont(ui::Font::systemFontOfSize(size));
    return b;
}

ui::ButtonRef checkBox(cg::Rect frame) {
    auto b = ui::Button::buttonWithType(ui::ButtonType::Custom);
    b->setFrame(frame);
    b->setImage(VXColor::sdkImageNamed("vx_check_normal"), ui::ControlStateNormal);
    b->setImage(VXColor::sdkImageNamed("vx_check_selected"), ui::ControlStateSelected);
    return b;
}

ui::LabelRef label(cg::Rect frame, const std::string& text, double size, const ui::ColorRef& color) {
    auto l = ui::View::create<ui::Label>(frame);
    l->setText(text);
    l->setFont(ui::Font::systemFontOfSize(size));
    l->setTextColor(color ? color : ui::Color::darkGrayColor());
    return l;
}

} // namespace VXPanelStyle
