// Nib "VXPingTwoHead": avatar, name and badges at the top, the like button at the top right, the
// text at full width, the time under it, the reward ribbon in the bottom-right corner and a grey
// band closing the head. Fits the text's height + 147.5.
#include "foundation/URLEncode.h"
#include "os/uikit/Nib.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/user_center/VXPingTwoHead.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

namespace {

constexpr double TextTop = 72;
constexpr double Ribbon = 56;
constexpr double Band = 10;

ui::LabelRef label(double size, double weight, const char* hex) {
    auto l = ui::View::create<ui::Label>();
    l->setFont(ui::Font::systemFontOfSize(size, weight));
    l->setTextColor(XTExtention::colorWithHexString(hex));
    return l;
}

} // namespace

void VXPingTwoHead::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXPingTwoHead")) return;
    VXUserCentreInterfaces::addNib("VXPingTwoHead", [](const ns::Ref<ns::Object>&) {
        double w = ui::Screen::mainScreen().bounds().size.width;
        auto head = ui::View::create<VXPingTwoHead>(cg::RectMake(0, 0, w, 200));
        head->setBackgroundColor(ui::Color::whiteColor());
        head->setClipsToBounds(true);

        auto icon = ui::View::create<ui::ImageView>(cg::RectMake(16, 16, 44, 44));
        icon->layer()->setCornerRadius(22);
        icon->setClipsToBounds(true);
        icon->setContentMode(ui::ContentMode::ScaleAspectFill);
        auto name = label(15, ui::FontWeight::Medium, "#333333");
        auto vip = ui::View::create<ui::ImageView>(cg::RectMake(68, 42, 50, 16));
        vip->setContentMode(ui::ContentMode::ScaleAspectFit);
        auto pay = ui::View::create<ui::ImageView>(cg::RectMake(73, 42, 50, 16));
        pay->setContentMode(ui::ContentMode::ScaleAspectFit);
        pay->setUserInteractionEnabled(true);
        auto payLeft = ui::LayoutConstraint::withConstant(5, "payPicLeft");
        payLeft->bindToFrame(pay, ui::FrameComponent::X, 63);
        auto show = label(13, ui::FontWeight::Regular, "#333333");
        show->setNumberOfLines(0);
        auto time = label(12, ui::FontWeight::Regular, "#999999");

        auto good = ui::View::create<ui::Button>();
        good->addTarget(head, &VXPingTwoHead::doGoodBtnClick, ui::ControlEventTouchUpInside);
        auto goodPic = ui::View::create<ui::ImageView>(cg::RectMake(8, 6, 16, 16));
        auto goodL = label(13, ui::FontWeight::Regular, "#666666");
        goodL->setFrame(cg::RectMake(28, 4, 40, 20));
        good->addSubview(goodPic);
        good->addSubview(goodL);

        auto gold = ui::View::create(cg::RectMake(0, 0, Ribbon, Ribbon));
        gold->setClipsToBounds(true);
        // A band laid across the corner (the cell turns the picture and the text by −45°).
        auto goldPic = ui::View::create<ui::ImageView>(cg::RectMake(0, 0, 90, 18));
        goldPic->setCenter({Ribbon * 0.62, Ribbon * 0.62});
        auto goldL = label(8, ui::FontWeight::Medium, "#6137E7");
        goldL->setTextAlignment(ui::TextAlignment::Center);
        goldL->setBounds(cg::RectMake(0, 0, 64, 18));
        goldL->setCenter({Ribbon * 0.62, Ribbon * 0.62});
        gold->addSubview(goldPic);
        gold->addSubview(goldL);

        auto band = ui::View::create();
        band->setBackgroundColor(ui::Color::colorWithWhite(245.0 / 255, 1));
        band->setTag(20);

        for (const ui::ViewRef& v : std::initializer_list<ui::ViewRef>{icon, name, vip, pay, show, time, good, gold, band})
            head->addSubview(v);
        head->iconView = icon, head->nameL = name, head->timeL = time, head->vipPic = vip, head->payPic = pay;
        head->showL = show, head->goodL = goodL, head->goodPic = goodPic, head->goldView = gold;
        head->goldL = goldL, head->goldPic = goldPic, head->payPicLeft = payLeft, head->goodBtn = good;
        static const char constraints = 0;
        head->setAssociated(&constraints, ns::Value(payLeft));
        return ui::NibObjects{head};
    });
}

void VXPingTwoHead::layoutSubviews() {
    ui::View::layoutSubviews();
    double w = bounds().size.width, h = bounds().size.height;
    if (auto v = nameL.lock()) v->setFrame(cg::RectMake(68, 16, w - 68 - 88, 22));
    if (auto v = goodBtn.lock()) v->setFrame(cg::RectMake(w - 88, 14, 72, 28));
    auto show = showL.lock();
    double textH = URLEncode::getHeightWithText(show ? show->text() : std::nullopt, w - 32, 13);
    if (show) show->setFrame(cg::RectMake(16, TextTop, w - 32, textH));
    if (auto v = timeL.lock()) v->setFrame(cg::RectMake(16, TextTop + textH + 12, 200, 16));
    if (auto v = goldView.lock()) v->setFrame(cg::RectMake(w - Ribbon, h - Band - Ribbon, Ribbon, Ribbon));
    if (auto band = viewWithTag(20)) band->setFrame(cg::RectMake(0, h - Band, w, Band));
}
