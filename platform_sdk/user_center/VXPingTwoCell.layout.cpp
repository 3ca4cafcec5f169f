// Nib "VXPingTwoCell": avatar at the left, name and badges, the text and the time in the column
// beside it, a hairline at the bottom. Heights follow the text: its height + 92.
#include "foundation/URLEncode.h"
#include "os/uikit/Nib.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/user_center/VXPingTwoCell.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

namespace {

constexpr double Column = 60;
constexpr double TextTop = 58;

ui::LabelRef label(double size, double weight, const char* hex) {
    auto l = ui::View::create<ui::Label>();
    l->setFont(ui::Font::systemFontOfSize(size, weight));
    l->setTextColor(XTExtention::colorWithHexString(hex));
    return l;
}

double textWidth(double width) { return width - Column - 16; }

} // namespace

void VXPingTwoCell::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXPingTwoCell")) return;
    VXUserCentreInterfaces::addNib("VXPingTwoCell", [](const ns::Ref<ns::Object>&) {
        double w = ui::Screen::mainScreen().bounds().size.width;
        auto cell = ui::View::create<VXPingTwoCell>(cg::RectMake(0, 0, w, 100));
        cell->setReuseIdentifier("VXPingTwoCell");
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
        auto icon = ui::View::create<ui::ImageView>(cg::RectMake(16, 14, 36, 36));
        icon->layer()->setCornerRadius(18);
        icon->setClipsToBounds(true);
        icon->setContentMode(ui::ContentMode::ScaleAspectFill);
        auto name = label(14, ui::FontWeight::Medium, "#333333");
        auto vip = ui::View::create<ui::ImageView>(cg::RectMake(Column, 36, 50, 16));
        vip->setContentMode(ui::ContentMode::ScaleAspectFit);
        auto pay = ui::View::create<ui::ImageView>(cg::RectMake(Column + 5, 36, 50, 16));
        pay->setContentMode(ui::ContentMode::ScaleAspectFit);
        pay->setUserInteractionEnabled(true);
        auto payLeft = ui::LayoutConstraint::withConstant(5, "payPicLeft");
        payLeft->bindToFrame(pay, ui::FrameComponent::X, Column - 5);
        auto show = label(13, ui::FontWeight::Regular, "#333333");
        show->setNumberOfLines(0);
        auto time = label(12, ui::FontWeight::Regular, "#999999");
        auto line = ui::View::create();
        line->setBackgroundColor(ui::Color::colorWithWhite(238.0 / 255, 1));
        line->setTag(20);
        for (const ui::ViewRef& v : std::initializer_list<ui::ViewRef>{icon, name, vip, pay, show, time, line})
            cell->contentView()->addSubview(v);
        cell->iconView = icon, cell->nameL = name, cell->timeL = time, cell->showL = show;
        cell->vipPic = vip, cell->payPic = pay, cell->payPicLeft = payLeft;
        static const char constraints = 0;
        cell->setAssociated(&constraints, ns::Value(payLeft));
        return ui::NibObjects{cell};
    });
}

void VXPingTwoCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    cg::Rect b = contentView()->bounds();
    auto show = showL.lock();
    double textH = URLEncode::getHeightWithText(show ? show->text() : std::nullopt, textWidth(b.size.width), 13);
    if (auto v = nameL.lock()) v->setFrame(cg::RectMake(Column, 12, b.size.width - Column - 16, 20));
    if (show) show->setFrame(cg::RectMake(Column, TextTop, textWidth(b.size.width), textH));
    if (auto v = timeL.lock()) v->setFrame(cg::RectMake(Column, TextTop + textH + 8, 200, 16));
    if (auto v = contentView()->viewWithTag(20)) v->setFrame(cg::RectMake(Column, b.size.height - 0.5, b.size.width - Column, 0.5));
}

cg::Size VXPingTwoCell::sizeThatFits(cg::Size size) const {
    auto show = showL.lock();
    return {size.width, URLEncode::getHeightWithText(show ? show->text() : std::nullopt, textWidth(size.width), 13) + TextTop + 8 + 16 + 10};
}
