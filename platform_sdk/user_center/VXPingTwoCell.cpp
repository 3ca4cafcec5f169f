#include "platform_sdk/user_center/VXPingTwoCell.h"

#include "image/UIImageView+VXExtension.h"
#include "os/uikit/GestureRecognizer.h"
#include "platform_sdk/user_center/VXPingShow.h"

void VXPingTwoCell::awakeFromNib() {
    ui::TableViewCell::awakeFromNib();
    if (auto pic = payPic.lock()) {
        auto tap = ns::make<ui::TapGestureRecognizer>();
        tap->addTarget(ref<VXPingTwoCell>(), &VXPingTwoCell::goToWebVc);
        pic->addGestureRecognizer(tap);
    }
}

void VXPingTwoCell::setModel(const VXPingModelRef& model) {
    model_ = model;
    if (!model) return;
    if (auto v = iconView.lock()) VXExtension::setGameIconWithUrlStr(v, model->avatar, "vx_noPic.png");
    if (auto v = nameL.lock()) v->setText(model->full_name);
    if (auto v = timeL.lock()) v->setText(model->createtime);
    if (auto v = showL.lock()) v->setText(model->content);
    VXPingShow::Views views;
    views.vipPic = vipPic.lock(), views.payPic = payPic.lock(), views.payPicLeft = payPicLeft.lock();
    VXPingShow::showBadges(views, model);
    setNeedsLayout();
}

void VXPingTwoCell::goToWebVc() { VXPingShow::goToTitlePage(myVC.lock()); }
