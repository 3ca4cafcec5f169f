#include "platform_sdk/user_center/VXSuCouponCell.h"

#include "os/foundation/Format.h"
#include "widgets/UIImage+VXColor.h"

void VXSuCouponCell::awakeFromNib() {
    ui::TableViewCell::awakeFromNib();
    auto image = VXColor::sdkImageNamed("vx_su_couponCellBg.png");
    if (auto pic = bgPic.lock(); pic && image)
        pic->setImage(image->resizableImageWithCapInsets({0, 36, 0, 179}, ui::ImageResizingMode::Stretch));
}

void VXSuCouponCell::setModel(const VXSuCouponModelRef& model) {
    model_ = model;
    if (!model) return;
    if (auto l = moneyL.lock()) l->setText(ns::format("%@", model->coupon_money));
    if (auto l = manL.lock()) l->setText(ns::format("满%@元可用", model->pay_money));
    if (auto l = showL.lock()) l->setText(ns::format("适用于《%@》", model->gamename));
    if (auto l = timeL.lock()) l->setText(model->time);
}
