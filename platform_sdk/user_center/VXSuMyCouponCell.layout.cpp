// Nib "VXSuMyCouponCell" (100 pt): the ticket inset 12 pt; amount and minimum on its 96 pt stub, the
// game, the rule and the expiry on its body.
#include "os/uikit/Nib.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/user_center/VXSuMyCouponCell.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

namespace {

constexpr double Stub = 96;

ui::LabelRef label(double size, double weight, ui::ColorRef colour) {
    auto l = ui::View::create<ui::Label>();
    l->setFont(ui::Font::systemFontOfSize(size, weight));
    l->setTextColor(std::move(colour));
    return l;
}

} // namespace

void VXSuMyCouponCell::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXSuMyCouponCell")) return;
    VXUserCentreInterfaces::addNib("VXSuMyCouponCell", [](const ns::Ref<ns::Object>&) {
        double w = ui::Screen::mainScreen().bounds().size.width;
        auto cell = ui::View::create<VXSuMyCouponCell>(cg::RectMake(0, 0, w, 100));
        cell->setReuseIdentifier("VXSuMyCouponCell");
        cell->setBackgroundColor(ui::Color::clearColor());
        cell->contentView()->setBackgroundColor(ui::Color::clearColor());
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
        auto bg = ui::View::create<ui::ImageView>();
        auto money = label(30, ui::FontWeight::Bold, ui::Color::whiteColor());
        money->setTextAlignment(ui::TextAlignment::Center);
        auto man = label(11, ui::FontWeight::Regular, ui::Color::whiteColor());
        man->setTextAlignment(ui::TextAlignment::Center);
        auto name = label(15, ui::FontWeight::Medium, XTExtention::colorWithHexString("#333333"));
        auto show = label(12, ui::FontWeight::Regular, XTExtention::colorWithHexString("#666666"));
        auto time = label(11, ui::FontWeight::Regular, XTExtention::colorWithHexString("#999999"));
        for (const ui::ViewRef& v : std::initializer_list<ui::ViewRef>{bg, money, man, name, show, time})
            cell->contentView()->addSubview(v);
        cell->bgPic = bg, cell->moneyL = money, cell->manL = man, cell->nameL = name, cell->showL = show;
        cell->timeL = time;
        return ui::NibObjects{cell};
    });
}

void VXSuMyCouponCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    cg::Rect b = contentView()->bounds();
    double x = 12, y = 5, w = b.size.width - 24;
    double body = x + Stub + 14, bodyW = w - Stub - 14 - 24;
    if (auto v = bgPic.lock()) v->setFrame(cg::RectMake(x, y, w, 90));
    if (auto v = moneyL.lock()) v->setFrame(cg::RectMake(x, y + 18, Stub, 36));
    if (auto v = manL.lock()) v->setFrame(cg::RectMake(x, y + 58, Stub, 16));
    if (auto v = nameL.lock()) v->setFrame(cg::RectMake(body, y + 14, bodyW, 22));
    if (auto v = showL.lock()) v->setFrame(cg::RectMake(body, y + 40, bodyW, 18));
    if (auto v = timeL.lock()) v->setFrame(cg::RectMake(body, y + 62, bodyW, 16));
}
