#include "platform_sdk/user_center/VXSuPanelLayout.h"

#include "widgets/UIColor+XTExtention.h"

namespace VXSuPanelLayout {

ui::ViewRef card(cg::Rect frame) {
    auto card = ui::View::create(frame);
    card->setBackgroundColor(ui::Color::whiteColor());
    card->layer()->setCornerRadius(10);
    card->setClipsToBounds(true);
    return card;
}

ui::LabelRef title(const ui::ViewRef& card, const std::string& text) {
    auto l = label({{0, 20}, {card->bounds().size.width, 24}}, text, 17, "#333333", ui::FontWeight::Medium);
    l->setTextAlignment(ui::TextAlignment::Center);
    card->addSubview(l);
    return l;
}

ui::ButtonRef closeButton(const ui::ViewRef& card) {
    auto b = ui::Button::buttonWithType(ui::ButtonType::Custom);
    b->setFrame({{card->bounds().size.width - 44, 8}, {36, 36}});
    b->setTitle(std::string("×"), ui::ControlStateNormal);
    b->setTitleColor(XTExtention::colorWithHexString("#999999"), ui::ControlStateNormal);
    b->titleLabel()->setFont(ui::Font::systemFontOfSize(26));
    b->setAccessibilityIdentifier("close");
    card->addSubview(b);
    return b;
}

ui::TextFieldRef inputRow(const ui::ViewRef& card, cg::Rect frame, const std::string& placeholder) {
    auto row = ui::View::create(frame);
    row->setBackgroundColor(XTExtention::colorWithHexString("#F5F5F7"));
    row->layer()->setCornerRadius(6);
    auto field = ui::View::create<ui::TextField>({{12, 0}, {frame.size.width - 24, frame.size.height}});
    field->setPlaceholder(placeholder);
    field->setFont(ui::Font::systemFontOfSize(15));
    row->addSubview(field);
    card->addSubview(row);
    return field;
}

ui::ButtonRef commitButton(const ui::ViewRef& card, cg::Rect frame, const std::string& title) {
    auto b = ui::Button::buttonWithType(ui::ButtonType::Custom);
    b->setFrame(frame);
    b->setBackgroundColor(XTExtention::colorWithHexString(Purple));
    b->layer()->setCornerRadius(frame.size.height / 2);
    b->setTitle(title, ui::ControlStateNormal);
    b->setTitleColor(ui::Color::whiteColor(), ui::ControlStateNormal);
    b->titleLabel()->setFont(ui::Font::systemFontOfSize(16, ui::FontWeight::Medium));
    card->addSubview(b);
    return b;
}

ui::LabelRef label(cg::Rect frame, const std::string& text, double size, const std::string& hexColour, double weight) {
    auto l = ui::View::create<ui::Label>(frame);
    l->setText(text);
    l->setFont(ui::Font::systemFontOfSize(size, weight));
    l->setTextColor(XTExtention::colorWithHexString(hexColour));
    return l;
}

} // namespace VXSuPanelLayout
