#include "platform_sdk/user_center/VXPingList.h"

#include "os/text/Font.h"
#include "widgets/UIImage+VXColor.h"

namespace VXPingList {

void styleMenu(const VXDropdownMenuRef& menu, const ui::ColorRef& optionBackground, const ui::ColorRef& optionLine) {
    menu->setBackgroundColor(ui::Color::clearColor());
    menu->setTitleFont(ui::Font::boldSystemFontOfSize(12));
    menu->setTitleColor(ui::Color::darkGrayColor());
    menu->setTitleAlignment(ui::TextAlignment::Left);
    menu->setTitleEdgeInsets({0, 15, 0, 0});
    menu->setRotateIcon(VXColor::sdkImageNamed("vx_tab_autoArrow.png"));
    menu->setRotateIconSize({15, 15});
    menu->setOptionFont(ui::Font::systemFontOfSize(12));
    menu->setOptionTextColor(ui::Color::darkGrayColor());
    menu->setOptionBgColor(optionBackground);
    menu->setOptionLineColor(optionLine);
    menu->setOptionTextAlignment(ui::TextAlignment::Center);
    menu->setOptionIconSize({1, 1});
}

} // namespace VXPingList
