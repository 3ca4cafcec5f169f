// Nib "VXPingCell": a white card inset 12 pt with the avatar, name and badges at the top, the like
// button at the top right, the text, the time, and the reward ribbon in the bottom-right corner.
// Heights follow the text: its height at the card's inner width + 112.
#include "foundation/URLEncode.h"
#include "os/uikit/Nib.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/user_center/VXPingCell.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"
#include "widgets/UIView+Extension.h"

namespace {

constexpr double Inset = 12;    // card inset from the cell's sides
constexpr double TextTop = 62;  // text top inside the card
constexpr double Ribbon = 56;

double textWidth(double cellWidth) { return cellWidth - 2 * Inset - 24; }

ui::LabelRef label(double size, double weight, const char* hex) {
    auto l = ui::View::create<ui::Label>();
    l->setFont(ui::Font::systemFontOfSize(size, weight));
    l->setTextColor(XTExtention::colorWithHexString(hex));
    return l;
}

} // namespace

void VXPingCell::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXPingCell")) return;
    VXUserCentreInterfaces::addNib("VXPingCell", [](const ns::Ref<ns::Object>&) {
        double w = ui::Screen::mainScreen().bounds().size.width;
        auto cell = ui::View::create<VXPingCell>(cg::RectMake(0, 0, w, 160));
        cell->setReuseIdentifier("VXPingCell");
        cell->setBackgroundColor(ui::Color::clearColor());
        cell->contentView()->setBackgroundColor(ui::Color::clearColor());
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);

        auto bg = ui::View::create();
        bg->setBackgroundColor(ui::Color::whiteColor());
        bg->layer()->setCornerRadius(10);
        bg->setClipsToBounds(true);
        cell->contentView()->addSubview(bg);

        auto icon = ui::View::create<ui::ImageView>(cg::RectMake(12, 12, 40, 40));
        icon->layer()->setCornerRadius(20);
        icon->setClipsToBounds(true);
        icon->setContentMode(ui::ContentMode::ScaleAspectFill);
        auto name = label(14, ui::FontWeight::Medium, "#333333");
        auto vip = ui::View::create<ui::ImageView>(cg::RectMake(60, 36, 50, 16));
        vip->setContentMode(ui::ContentMode::ScaleAspectFit);
        auto pay = ui::View::create<ui::ImageView>(cg::RectMake(65, 36, 50, 16));
        pay->setContentMode(ui::ContentMode::ScaleAspectFit);
        pay->setUserInteractionEnabled(true);
        // The paid badge's leading space from the name's column (55 + constant).
        auto payLeft = ui::LayoutConstraint::withConstant(5, "payPicLeft");
        payLeft->bindToFrame(pay, ui::FrameComponent::X, 55);

        auto show = label(13, ui::FontWeight::Regular, "#333333");
        show->setNumberOfLines(0);
        auto time = label(12, ui::FontWeight::Regular, "#999999");

        auto good = ui::View::create<ui::Button>();
        good->addTarget(cell, &VXPingCell::doGoodBtnClick, ui::ControlEventTouchUpInside);
        auto goodIcon = ui::View::create<ui::ImageView>(cg::RectMake(8, 6, 16, 16));
        auto number = label(13, ui::FontWeight::Regular, "#666666");
        number->setFrame(cg::RectMake(28, 4, 40, 20));
        good->addSubview(goodIcon);
        good->addSubview(number);
        number->setUserInteractionEnabled(false);
        goodIcon->setUserInteractionEnabled(false);

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

        for (const ui::ViewRef& v : std::initializer_list<ui::ViewRef>{icon, name, vip, pay, show, time, good, gold})
            bg->addSubview(v);
        cell->bgView = bg, cell->iconView = icon, cell->nameL = name, cell->timeL = time, cell->showL = show;
        cell->goodBtn = good, cell->numberL = number, cell->goodIcon = goodIcon, cell->goldView = gold;
        cell->goldL = goldL, cell->goldPicView = goldPic, cell->vipPic = vip, cell->payPic = pay;
        cell->payPicLeft = payLeft;
        // The cell owns its constraints, as a view does.
        static const char constraints = 0;
        cell->setAssociated(&constraints, ns::Value(payLeft));
        return ui::NibObjects{cell};
    });
}

void VXPingCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    cg::Rect b = contentView()->bounds();
    auto bg = bgView.lock();
    if (!bg) return;
    bg->setFrame(cg::RectMake(Inset, 6, b.size.width - 2 * Inset, b.size.height - 12));
    double cw = bg->bounds().size.width, ch = bg->bounds().size.height;
    if (auto v = nameL.lock()) v->setFrame(cg::RectMake(60, 12, cw - 60 - 84, 20));
    if (auto v = goodBtn.lock()) v->setFrame(cg::RectMake(cw - 80, 8, 72, 28));
    double textH = URLEncode::getHeightWithText(showL.lock() ? showL.lock()->text() : std::nullopt, textWidth(b.size.width), 13);
    if (auto v = showL.lock()) v->setFrame(cg::RectMake(12, TextTop, textWidth(b.size.width), textH));
    if (auto v = timeL.lock()) v->setFrame(cg::RectMake(12, TextTop + textH + 8, 160, 16));
    if (auto v = goldView.lock()) v->setFrame(cg::RectMake(cw - Ribbon, ch - Ribbon, Ribbon, Ribbon));
    Extension::setShadowWithRadius(bg, 10);
}

cg::Size VXPingCell::sizeThatFits(cg::Size size) const {
    auto show = showL.lock();
    double textH = URLEncode::getHeightWithText(show ? show->text() : std::nullopt, textWidth(size.width), 13);
    return {size.width, textH + TextTop + 8 + 16 + 14 + 12};
}
