#include "platform_sdk/user_center/VXPingLayout.h"

#include "widgets/UIColor+XTExtention.h"

namespace VXPingLayout {

ui::LabelRef label(double size, double weight, const char* hex) {
    auto l = ui::View::create<ui::Label>();
    l->setFont(ui::Font::systemFontOfSize(size, weight));
    l->setTextColor(XTExtention::colorWithHexString(hex));
    return l;
}

RibbonViews ribbon() {
    auto gold = ui::View::create(cg::RectMake(0, 0, Ribbon, Ribbon));
    gold->setClipsToBounds(true);
    auto goldPic = ui::View::create<ui::ImageView>(cg::RectMake(0, 0, 90, 18));
    goldPic->setCenter({Ribbon * 0.62, Ribbon * 0.62});
    auto goldL = label(8, ui::FontWeight::Medium, "#6137E7");
    goldL->setTextAlignment(ui::TextAlignment::Center);
    goldL->setBounds(cg::RectMake(0, 0, 64, 18));
    goldL->setCenter({Ribbon * 0.62, Ribbon * 0.62});
    gold->addSubview(goldPic);
    gold->addSubview(goldL);
    return {gold, goldPic, goldL};
}

} // namespace VXPingLayout
