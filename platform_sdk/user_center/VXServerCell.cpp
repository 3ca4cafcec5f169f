#include "platform_sdk/user_center/VXServerCell.h"

#include "os/foundation/Format.h"
#include "widgets/UIColor+XTExtention.h"

void VXServerCell::awakeFromNib() {
    ui::TableViewCell::awakeFromNib();
    if (!pointIcon) return;
    if (auto image = pointIcon->image()) pointIcon->setImage(image->imageWithRenderingMode(ui::ImageRenderingMode::AlwaysTemplate));
    pointIcon->setTintColor(XTExtention::colorWithHexString("#6137E7"));
}

void VXServerCell::setDic(const ns::Value& dic) {
    dic_ = dic;
    if (serverL) serverL->setText(dic["servername"].stringValue());
    if (timeL) timeL->setText(ns::format("%@ %@", dic["day"], dic["hour"]));
    if (!statusL) return;
    if (dic["status"].boolValue()) {
        statusL->setText("已开服");
        statusL->setBackgroundColor(ui::Color::lightGrayColor());
    } else {
        statusL->setText("未开服");
        statusL->setBackgroundColor(XTExtention::colorWithHexString("#6137E7"));
    }
}
