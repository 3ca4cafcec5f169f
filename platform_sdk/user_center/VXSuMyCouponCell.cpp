#include "platform_sdk/user_center/VXSuMyCouponCell.h"

#include "foundation/URLEncode.h"
#include "os/foundation/Format.h"
#include "widgets/UIImage+VXColor.h"

void VXSuMyCouponCell::awakeFromNib() {
    ui::TableViewCell::awakeFromNib();
    auto resizable = [](const char* name) {
        auto image = VXColor::sdkImageNamed(name);
        return image ? image->resizableImageWithCapInsets({0, 226, 0, 18}, ui::ImageResizingMode::Stretch) : nullptr;
    };
    image0_ = resizable("vx_tab_myCouponBg0.png");
    image1_ = resizable("vx_tab_myCouponBg1.png");
}

void VXSuMyCouponCell::setModel(const VXSuCouponModelRef& model) {
    model_ = model;
    if (!model) return;
    if (auto l = moneyL.lock())
        l->setAttributedText(URLEncode::getPriceAttribute(ns::format("¥%@", model->coupon_money), ui::Font::systemFontOfSize(20)));
    if (auto l = manL.lock()) l->setText(ns::format("满%@可用", model->pay_money));
    if (auto l = showL.lock()) l->setText(ns::format("满%@减%@", model->pay_money, model->coupon_money));
    if (auto l = nameL.lock()) l->setText(ns::format("%@可用", model->gamename));
    if (auto l = timeL.lock()) l->setText(ns::format("%@到期", model->end_time));
}

void VXSuMyCouponCell::setStatus(const std::optional<std::string>& status) {
    status_ = status;
    if (auto pic = bgPic.lock()) pic->setImage(ns::Value(status).boolValue() ? image1_ : image0_);
}
