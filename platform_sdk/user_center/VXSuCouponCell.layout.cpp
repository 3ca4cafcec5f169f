// Nib "VXSuCouponCell" (110 pt): the ticket picture inset 12 pt; the amount and minimum on its purple
// stub, the game and the validity on its body, the claim pill at its right end.
#include "os/uikit/Nib.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/user_center/VXSuCouponCell.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

namespace {

ui::LabelRef label(double size, double weight, ui::ColorRef colour) {
    auto l = ui::View::create<ui::Label>();
    l->setFont(ui::Font::systemFontOfSize(size, weight));
    l->setTextColor(std::move(colour));
    return l;
}

} // namespace

void VXSuCouponCell::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXSuCouponCell")) return;
    VXUserCentreInterfaces::addNib("VXSuCouponCell", [](const ns::Ref<ns::Object>&) {
        double w = ui::Screen::mainScreen().bounds().size.width;
        auto cell = ui::View::create<VXSuCouponCell>(cg::RectMake(0, 0, w, 110));
        cell->setReuseIdentifier("VXSuCouponCell");
        cell->setBackgroundColor(ui::Color::clearColor());
        cell->contentView()->setBackgroundColor(ui::Color::clearColor());
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
        auto bg = ui::View::create<ui::ImageView>();
        auto money = label(28, ui::FontWeight::Bold, ui::Color::whiteColor());
        money->setTextAlignment(ui::TextAlignment::Center);
        auto man = label(11, ui::FontWeight::Regular, ui::Color::whiteColor());
        man->setTextAlignment(ui::TextAlignment::Center);
        auto show = label(13, ui::FontWeight::Medium, XTExtention::colorWithHexString("#333333"));
        auto time = label(11, ui::FontWeight::Regular, XTExtention::colorWithHexString("#999999"));
        auto claim = label(12, ui::FontWeight::Medium, ui::Color::whiteColor());
        claim->setText("领取");
        claim->setTextAlignment(ui::TextAlignment::Center);
        claim->setTag(20);
        for (const ui::ViewRef& v : std::initializer_list<ui::ViewRef>{bg, money, man, show, time, claim})
            cell->contentView()->addSubview(v);
        cell->bgPic = bg, cell->moneyL = money, cell->manL = man, cell->showL = show, cell->timeL = time;
        return ui::NibObjects{cell};
    });
}

void VXSuCouponCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    cg::Rect b = contentView()->bounds();
    double x = 12, y = 5, w = b.size.width - 24, h = 100;
    // The purple stub ends at the picture's divider, 7 pt into its fixed right 179 pt.
    double stub = w - 172;
    if (auto v = bgPic.lock()) v->setFrame(cg::RectMake(x, y, w, h));
    if (auto v = moneyL.lock()) v->setFrame(cg::RectMake(x, y + 22, stub, 34));
    if (auto v = manL.lock()) v->setFrame(cg::RectMake(x, y + 60, stub, 16));
    if (auto v = showL.lock()) v->setFrame(cg::RectMake(x + stub + 12, y + 14, 172 - 24, 20));
    if (auto v = timeL.lock()) v->setFrame(cg::RectMake(x + stub + 12, y + 40, 172 - 24, 16));
    if (auto v = contentView()->viewWithTag(20)) v->setFrame(cg::RectMake(x + w - 60, y + 66, 48, 24));
}
