// Nib "VXSuOrderCell" (90 pt): the game icon, the name with the discount tag after it, the detail
// line, and three welfare tag labels (view tags 10-12) in a row.
#include "os/uikit/Nib.h"
#include "platform_sdk/user_center/VXSuOrderCell.h"
#include "platform_sdk/user_center/VXSuPanelLayout.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

namespace L = VXSuPanelLayout;

void VXSuOrderCell::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXSuOrderCell")) return;
    VXUserCentreInterfaces::addNib("VXSuOrderCell", [](const ns::Ref<ns::Object>&) {
        auto cell = ui::View::create<VXSuOrderCell>({{0, 0}, {375, 90}});
        cell->setReuseIdentifier("VXSuOrderCell");
        auto icon = ui::View::create<ui::ImageView>({{15, 15}, {60, 60}});
        icon->layer()->setCornerRadius(12);
        icon->setClipsToBounds(true);
        auto name = L::label({{87, 13}, {170, 22}}, "", 15, "#333333", ui::FontWeight::Medium);
        auto tag = L::label({{262, 15}, {60, 18}}, "", 11, "#FFFFFF");
        tag->setBackgroundColor(XTExtention::colorWithHexString("#FF5A36"));
        auto show = L::label({{87, 38}, {270, 18}}, "", 12, "#999999");
        cell->contentView()->addSubview(icon);
        cell->contentView()->addSubview(name);
        cell->contentView()->addSubview(tag);
        cell->contentView()->addSubview(show);
        for (int i = 0; i < 3; ++i) {
            auto fuli = L::label({{87.0 + i * 62, 60}, {56, 18}}, "", 11, L::Purple);
            fuli->setTextAlignment(ui::TextAlignment::Center);
            fuli->setBackgroundColor(XTExtention::colorWithHexString("#EFEAFD"));
            fuli->layer()->setCornerRadius(3);
            fuli->setClipsToBounds(true);
            fuli->setTag(10 + i);
            cell->contentView()->addSubview(fuli);
        }
        auto line = ui::View::create({{15, 89.5}, {360, 0.5}});
        line->setBackgroundColor(XTExtention::colorWithHexString("#EEEEEE"));
        cell->contentView()->addSubview(line);
        cell->iconView = icon, cell->nameL = name, cell->showL = show, cell->tagL = tag;
        return ui::NibObjects{cell};
    });
}
