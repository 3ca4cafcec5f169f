#include "platform_sdk/CXRMessage.h"

#include "os/foundation/AttributedString.h"
#include "os/text/StringDrawing.h"
#include "os/uikit/Label.h"
#include "platform_sdk/CXRWindowManager.h"
#include "widgets/UIView+Extension.h"

#include <algorithm>
#include <cfloat>

namespace {

constexpr double FontSize = 16;
constexpr double Padding = 10;
constexpr double FadeDelay = 0.3;
constexpr double FadeDuration = 2.0;

} // namespace

void CXRMessage::showMessage(const std::optional<std::string>& message, const ui::ViewRef& superview) {
    if (!message || !superview) return;

    auto box = ui::View::create();
    box->setBackgroundColor(ui::Color::colorWithRed(0, 0, 0, 1));
    box->setAlpha(1);
    box->layer()->setCornerRadius(5);
    box->setClipsToBounds(true);
    superview->addSubview(box);

    auto font = ui::Font::boldSystemFontOfSize(FontSize);
    double width = getWidthWithText(message, font->lineHeight(), FontSize);
    auto label = ui::View::create<ui::Label>();
    double room = Extension::width(superview) - 4 * Padding;
    if (width <= room) {
        Extension::setWidth(label, width);
    } else {
        Extension::setWidth(label, room);
        label->setNumberOfLines(0);
    }
    Extension::setX(label, Padding);
    Extension::setY(label, Padding);
    label->setText(message);
    label->setTextColor(ui::Color::whiteColor());
    label->setTextAlignment(ui::TextAlignment::Center);
    label->setBackgroundColor(ui::Color::clearColor());
    label->setFont(font);
    label->sizeToFit();
    box->addSubview(label);

    double labelWidth = Extension::width(label);
    double labelHeight = Extension::height(label);
    box->setFrame(cg::RectMake((Extension::width(superview) - labelWidth - 2 * Padding) * 0.5,
                               2 * (Extension::height(superview) - labelHeight - 2 * Padding) / 3,
                               labelWidth + 2 * Padding, labelHeight + 2 * Padding));

    ui::View::animate(
        FadeDuration, FadeDelay, ui::AnimationOptionAllowUserInteraction, [box] { box->setAlpha(0); },
        [box](bool) { box->removeFromSuperview(); });
}

void CXRMessage::showMessage(const std::optional<std::string>& message) {
    showMessage(message, CXRWindowManager::topWindow());
}

double CXRMessage::getWidthWithText(const std::optional<std::string>& text, double height, double font) {
    std::string measured = text && !text->empty() ? *text : "无";
    auto regular = ui::Font::systemFontOfSize(font > 0 ? font : 13);
    cg::Rect rect = vx::text::boundingRect(measured, {FLT_MAX, std::max(height, 0.0)}, vx::text::UsesLineFragmentOrigin,
                                       ns::Dictionary{{ns::FontAttributeName, regular}});
    return rect.size.width;
}
