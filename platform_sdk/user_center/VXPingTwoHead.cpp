#include "platform_sdk/user_center/VXPingTwoHead.h"

#include "foundation/URLEncode.h"
#include "os/uikit/GestureRecognizer.h"
#include "os/uikit/Nib.h"
#include "platform_sdk/user_center/VXPingShow.h"

#include <cmath>

namespace {

VXPingShow::Views viewsOf(const VXPingTwoHead& h) {
    return {h.iconView.lock(), h.nameL.lock(),  h.timeL.lock(),   h.showL.lock(), h.goodL.lock(),
            h.goodPic.lock(),  h.goodBtn.lock(), h.goldView.lock(), h.goldL.lock(), h.goldPic.lock(),
            h.vipPic.lock(),   h.payPic.lock(),  h.payPicLeft.lock()};
}

} // namespace

VXPingTwoHeadRef VXPingTwoHead::viewFromXib() {
    registerInterfaceFile();
    return ui::loadFromNib<VXPingTwoHead>(URLEncode::getSdkBundle());
}

void VXPingTwoHead::awakeFromNib() {
    ui::View::awakeFromNib();
    auto turn = cg::AffineTransformMakeRotation(-M_PI / 4);
    if (auto v = goldPic.lock()) v->setTransform(turn);
    if (auto v = goldL.lock()) v->setTransform(turn);
    if (auto pic = payPic.lock()) {
        auto tap = ns::make<ui::TapGestureRecognizer>();
        tap->addTarget(ref<VXPingTwoHead>(), &VXPingTwoHead::goToWebVc);
        pic->addGestureRecognizer(tap);
    }
}

void VXPingTwoHead::setModel(const VXPingModelRef& model) {
    model_ = model;
    VXPingShow::showModel(viewsOf(*this), model);
    setNeedsLayout();
}

void VXPingTwoHead::doGoodBtnClick() {
    ns::Weak<VXPingTwoHead> weak = ref<VXPingTwoHead>();
    VXPingShow::like(model_, [weak](const VXPingModelRef& liked) {
        auto head = weak.lock();
        if (head && head->model_ == liked) VXPingShow::showLike(viewsOf(*head), liked);
    });
}

void VXPingTwoHead::goToWebVc() { VXPingShow::goToTitlePage(myVC.lock()); }
