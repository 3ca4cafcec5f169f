// Nib "VXSuSuNameCell": a bordered card holding the name, the "last used" mark and the expand
// arrow; below them, shown when expanded, the role, level and server lines.
#include "os/uikit/Nib.h"
#include "platform_sdk/user_center/VXSuPanelLayout.h"
#include "platform_sdk/user_center/VXSuSuNameCell.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

namespace L = VXSuPanelLayout;

void VXSuSuNameCell::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXSuSuNameCell")) return;
    VXUserCentreInterfaces::addNib("VXSuSuNameCell", [](const ns::Ref<ns::Object>&) {
        auto cell = ui::View::create<VXSuSuNameCell>({{0, 0}, {375, 66}});
        cell->setReuseIdentifier("VXSuSuNameCell");
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
        cell->setBackgroundColor(ui::Color::clearColor());
        cell->contentView()->setBackgroundColor(ui::Color::clearColor());
        auto bg = ui::View::create({{15, 6}, {345, 54}});
        bg->setBackgroundColor(ui::Color::whiteColor());
        bg->layer()->setCornerRadius(8);
        cell->contentView()->addSubview(bg);
        auto name = L::label({{15, 0}, {180, 54}}, "", 15, "#333333", ui::FontWeight::Medium);
        name->setFrame({{15, 15}, {180, 24}});
        bg->addSubview(name);
        auto last = L::label({{200, 17}, {64, 20}}, "最近登录", 11, L::Purple);
        last->setTextAlignment(ui::TextAlignment::Center);
        last->setBackgroundColor(XTExtention::colorWithHexString("#EFEAFD"));
        last->layer()->setCornerRadius(4);
        last->setClipsToBounds(true);
        bg->addSubview(last);
        auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
        button->setFrame({{305, 10}, {30, 34}}); // centred on the name line, 10 pt (40 expanded) above the card's bottom
        button->setImage(VXColor::sdkImageNamed("vx_login_subArrow.png"), ui::ControlStateNormal);
        button->setAccessibilityIdentifier("expand");
        button->addTarget(cell, &VXSuSuNameCell::doBtnClick, ui::ControlEventTouchUpInside);
        bg->addSubview(button);
        auto titles = ui::View::create({{15, 46}, {315, 30}});
        titles->setHidden(true);
        auto role = L::label({{0, 0}, {130, 30}}, "", 12, "#666666");
        auto level = L::label({{130, 0}, {80, 30}}, "", 12, "#666666");
        auto server = L::label({{210, 0}, {105, 30}}, "", 12, "#666666");
        titles->addSubview(role);
        titles->addSubview(level);
        titles->addSubview(server);
        bg->addSubview(titles);
        cell->ownedBtnBottom = ui::LayoutConstraint::withConstant(10, "btnBottom");
        ns::Weak<VXSuSuNameCell> weak = cell;
        cell->ownedBtnBottom->setOnConstantChanged([weak](double) {
            if (auto c = weak.lock()) c->setNeedsLayout();
        });
        cell->bgView = bg, cell->nameL = name, cell->lastL = last, cell->btn = button, cell->titlesView = titles;
        cell->roleL = role, cell->levelL = level, cell->serverL = server, cell->btnBottom = cell->ownedBtnBottom;
        return ui::NibObjects{cell};
    });
}
