// Nib "VXSubViewCell": 300 x 55, the nickname on the left, the "last used" marker on the right
// and a hairline at the bottom.
#include "os/uikit/Nib.h"
#include "platform_sdk/VXPanelStyle.h"
#include "platform_sdk/VXSubViewCell.h"
#include "widgets/UIImage+VXColor.h"

void VXSubViewCell::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXSubViewCell")) return;
    ui::NibRegistry::add(VXColor::SdkBundleName, "VXSubViewCell", [](const ns::Ref<ns::Object>&) {
        auto cell = ui::View::create<VXSubViewCell>(cg::RectMake(0, 0, 300, 55));
        cell->setReuseIdentifier("VXSubViewCell");
        auto name = VXPanelStyle::label(cg::RectMake(20, 0, 180, 55), "", 16, ui::Color::blackColor());
        auto last = VXPanelStyle::label(cg::RectMake(205, 16, 75, 23), "上次登录", 12, VXPanelStyle::accent());
        last->setTextAlignment(ui::TextAlignment::Center);
        last->layer()->setBorderWidth(1);
        last->layer()->setBorderColor(VXPanelStyle::accent()->cgColor());
        last->layer()->setCornerRadius(4);
        auto line = ui::View::create(cg::RectMake(15, 54.5, 270, 0.5));
        line->setBackgroundColor(ui::Color::lightGrayColor());
        cell->contentView()->addSubview(name);
        cell->contentView()->addSubview(last);
        cell->contentView()->addSubview(line);
        cell->nameL = name;
        cell->lastL = last;
        return ui::NibObjects{cell};
    });
}
