#include "platform_sdk/user_center/VXPingCell.h"

#include "foundation/URLEncode.h"
#include "os/uikit/GestureRecognizer.h"
#include "platform_sdk/user_center/VXPingShow.h"
#include "widgets/UIView+Extension.h"

#include <cmath>

namespace {

VXPingShow::Views viewsOf(const VXPingCell& c) {
    return {c.iconView.lock(), c.nameL.lock(),       c.timeL.lock(),   c.showL.lock(),  c.numberL.lock(),
            c.goodIcon.lock(), c.goodBtn.lock(),     c.goldView.lock(), c.goldL.lock(),  c.goldPicView.lock(),
            c.vipPic.lock(),   c.payPic.lock(),      c.payPicLeft.lock()};
}

} // namespace

void VXPingCell::awakeFromNib() {
    ui::TableViewCell::awakeFromNib();
    auto turn = cg::AffineTransformMakeRotation(-M_PI / 4);
    if (auto v = goldPicView.lock()) v->setTransform(turn);
    if (auto v = goldL.lock()) v->setTransform(turn);
    if (auto pic = payPic.lock()) {
        auto tap = ns::make<ui::TapGestureRecognizer>();
        tap->addTarget(ref<VXPingCell>(), &VXPingCell::goToWebVc);
        pic->addGestureRecognizer(tap);
    }
}

void VXPingCell::setModel(const VXPingModelRef& model) {
    model_ = model;
    VXPingShow::showModel(viewsOf(*this), model);
    setNeedsLayout();
}


void VXPingCell::doGoodBtnClick() {
    // The reply may come after this cell shows another comment: it updates the comment it was
    // sent for, and the views only while they still show that comment.
    ns::Weak<VXPingCell> weak = ref<VXPingCell>();
    VXPingShow::like(model_, [weak](const VXPingModelRef& liked) {
        auto cell = weak.lock();
        if (cell && cell->model_ == liked) VXPingShow::showLike(viewsOf(*cell), liked);
    });
}

void VXPingCell::goToWebVc() { VXPingShow::goToTitlePage(myVC.lock()); }
