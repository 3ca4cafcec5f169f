#include "os/uikit/Label.h"

namespace ui {

void Label::initWithFrame(cg::Rect frame) {
    View::initWithFrame(frame);
    userInteractionEnabled_ = false;
    setOpaque(false);
    font_ = Font::systemFontOfSize(17);
    textColor_ = Color::blackColor();
}

void Label::setText(std::optional<std::string> text) {
    text_ = std::move(text);
    attributed_.reset();
    setNeedsDisplay();
}

std::optional<ns::AttributedString> Label::attributedText() const {
    if (attributed_) return attributed_;
    if (!text_) return std::nullopt;
    ns::Dictionary attributes{{ns::FontAttributeName, font_}, {ns::ForegroundColorAttributeName, textColor_}};
    return ns::AttributedString(*text_, attributes);
}

void Label::setAttributedText(std::optional<ns::AttributedString> text) {
    attributed_ = std::move(text);
    if (attributed_) text_ = attributed_->string();
    else text_.reset();
    setNeedsDisplay();
}

void Label::setFont(FontRef font) {
    font_ = font ? std::move(font) : Font::systemFontOfSize(17);
    setNeedsDisplay();
}

void Label::setTextColor(ColorRef color) {
    textColor_ = color ? std::move(color) : Color::blackColor();
    setNeedsDisplay();
}

vx::text::Style Label::style() const {
    vx::text::Style s;
    s.font = font_;
    s.color = textColor_->cgColor();
    s.alignment = alignment_;
    s.lineBreakMode = lineBreakMode_;
    s.numberOfLines = numberOfLines_;
    return s;
}

cg::Size Label::sizeThatFits(cg::Size size) const {
    if (attributed_) return vx::text::sizeThatFits(*attributed_, style(), size);
    if (!text_) return cg::SizeZero;
    return vx::text::sizeThatFits(*text_, style(), size);
}

cg::Size Label::intrinsicContentSize() const {
    double width = numberOfLines_ == 1 ? 0 : bounds().size.width;
    return sizeThatFits({width, 0});
}

} // namespace ui
