#include "platform_sdk/VXCouponsCell.h"

#include "os/foundation/Format.h"
#include "os/uikit/Color.h"
#include "widgets/UIButton+FillColor.h"

namespace {
ui::ColorRef rgb(int r, int g, int b) { return ui::Color::colorWithRed(r / 255.0, g / 255.0, b / 255.0, 1); }
} // namespace

void VXCouponsCell::awakeFromNib() {
    ui::TableViewCell::awakeFromNib();
    setBackgroundColor(ui::Color::clearColor());
    auto button = btn.lock();
    auto card = bgView.lock();
    if (button) {
        button->titleLabel()->setLineBreakMode(ui::LineBreakMode::WordWrapping);
        button->layer()->setCornerRadius(5);
        button->setClipsToBounds(true);
        FillColor::setBackgroundColor(button, rgb(48, 146, 246), ui::ControlStateNormal);
        FillColor::setBackgroundColor(button, rgb(170, 170, 170), ui::ControlStateDisabled);
    }
    if (card) {
        card->layer()->setCornerRadius(5);
        card->setClipsToBounds(true);
    }
}

void VXCouponsCell::setModel(ns::Ref<VXCouponsModel> model) {
    model_ = std::move(model);
    if (!model_) return;
    // "av" compares by its "%@" text: a number 1 counts as "1".
    if (auto button = btn.lock()) {
        button->setEnabled(model_->av.description() == "1");
        button->layer()->setBackgroundColor(rgb(40, 144, 249)->cgColor());
    }
    if (auto l = nameL.lock()) l->setText(ns::format("%@", model_->coupon_name));
    if (auto l = couponsL.lock()) l->setText(ns::format("%@元", model_->coupon_money));
    if (auto l = moneyL.lock()) l->setText(ns::format("满%@元可用", model_->pay_money));
    if (auto l = timeL.lock()) l->setText(ns::format("有效期:%@", model_->av_time));
    if (auto l = showL.lock()) l->setText(model_->gid.integerValue() != 0 ? "专用券" : "通用券");
}

void VXCouponsCell::btnClick() {
    if (couponsBlock) couponsBlock(model_);
}

void VXCouponsCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    double w = bounds().size.width;
    if (auto card = bgView.lock()) card->setFrame(cg::RectMake(8, 6, w - 16, 88));
    if (auto button = btn.lock()) button->setFrame(cg::RectMake(w - 16 - 82, 24, 70, 40));
}
