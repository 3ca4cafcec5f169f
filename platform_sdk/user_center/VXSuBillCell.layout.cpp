// Nib "VXSuBillCell" (45 pt): the remark over the time at the left, the signed amount at the right,
// a hairline under the row.
#include "os/uikit/Nib.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/user_center/VXSuBillCell.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

void VXSuBillCell::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXSuBillCell")) return;
    VXUserCentreInterfaces::addNib("VXSuBillCell", [](const ns::Ref<ns::Object>&) {
        double w = ui::Screen::mainScreen().bounds().size.width - 32;
        auto cell = ui::View::create<VXSuBillCell>(cg::RectMake(0, 0, w, 45));
        cell->setReuseIdentifier("VXSuBillCell");
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
        auto ext = ui::View::create<ui::Label>();
        ext->setFont(ui::Font::systemFontOfSize(14));
        ext->setTextColor(XTExtention::colorWithHexString("#333333"));
        auto time = ui::View::create<ui::Label>();
        time->setFont(ui::Font::systemFontOfSize(11));
        time->setTextColor(XTExtention::colorWithHexString("#999999"));
        auto num = ui::View::create<ui::Label>();
        num->setFont(ui::Font::systemFontOfSize(16, ui::FontWeight::Medium));
        num->setTextColor(XTExtention::colorWithHexString("#333333"));
        num->setTextAlignment(ui::TextAlignment::Right);
        auto line = ui::View::create();
        line->setBackgroundColor(ui::Color::colorWithWhite(240.0 / 255, 1));
        line->setTag(20);
        for (const ui::ViewRef& v : std::initializer_list<ui::ViewRef>{ext, time, num, line}) cell->contentView()->addSubview(v);
        cell->timeL = time, cell->numL = num, cell->extL = ext;
        return ui::NibObjects{cell};
    });
}

void VXSuBillCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    cg::Rect b = contentView()->bounds();
    double w = b.size.width;
    if (auto v = extL.lock()) v->setFrame(cg::RectMake(12, 4, w - 120, 20));
    if (auto v = timeL.lock()) v->setFrame(cg::RectMake(12, 25, w - 120, 15));
    if (auto v = numL.lock()) v->setFrame(cg::RectMake(w - 112, 0, 100, b.size.height));
    if (auto v = contentView()->viewWithTag(20)) v->setFrame(cg::RectMake(12, b.size.height - 0.5, w - 24, 0.5));
}
