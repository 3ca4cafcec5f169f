#include "platform_sdk/user_center/VXStrategyCell.h"

#include "image/UIImageView+VXExtension.h"
#include "os/foundation/Format.h"
#include "widgets/UIView+Extension.h"

void VXStrategyCell::setDic(const ns::Value& dic) {
    dic_ = dic;
    if (nameL) nameL->setText(dic["post_title"].stringValue());
    if (timeL) timeL->setText(ns::format("发布时间：%@", dic["post_date"]));
    VXExtension::setGameIconWithUrlStr(picView, dic["pic1"].stringValue(), "");
}

void VXStrategyCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    // The card keeps 15 pt from the sides and 8 pt from the next row.
    cg::Rect content = contentView()->bounds();
    if (bgView) bgView->setFrame({{15, 8}, {content.size.width - 30, content.size.height - 16}});
    Extension::setShadowWithRadius(bgView, 10);
}

void VXStrategyCell::roundPictureTop(const ui::ImageViewRef& picture) {
    if (!picture) return;
    const auto& mask = picture->layer()->mask();
    if (mask && mask->frame().size == picture->bounds().size) return;
    Extension::setCornerRadius(picture, 10, 1 | 2);
}
