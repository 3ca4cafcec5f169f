#include "platform_sdk/user_center/VXPingShow.h"

#include "image/UIImageView+VXExtension.h"
#include "os/foundation/Format.h"
#include "os/uikit/NavigationController.h"
#include "platform_sdk/CXRSdpNetTool.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/VXSuWebVC.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

namespace VXPingShow {

void showModel(const Views& v, const VXPingModelRef& model) {
    if (!model) return;
    if (v.iconView) VXExtension::setGameIconWithUrlStr(v.iconView, model->avatar, "vx_noPic.png");
    if (v.nameL) v.nameL->setText(model->full_name);
    if (v.timeL) v.timeL->setText(model->createtime);
    if (v.showL) v.showL->setText(model->content);
    showLike(v, model);
    long long level = model->level.integerValue();
    if (v.goldView) v.goldView->setHidden(level < 1);
    if (level >= 1) {
        if (v.goldPicView) v.goldPicView->setImage(VXColor::sdkImageNamed(ns::format("vx_tab_ping_gold%@.png", model->level)));
        if (v.goldL) {
            v.goldL->setText(ns::format("奖励%@金币", model->goldcoin));
            v.goldL->setTextColor(XTExtention::colorWithHexString(level == 1 ? "#6137E7" : "#e6a04d"));
        }
    }
    showBadges(v, model);
}

void showLike(const Views& v, const VXPingModelRef& model) {
    if (!model) return;
    if (v.numberL) v.numberL->setText(model->good.stringValue());
    if (v.goodIcon)
        v.goodIcon->setImage(VXColor::sdkImageNamed(ns::format("vx_tab_ping_good%ld.png", static_cast<long>(model->isgood.integerValue()))));
    if (v.goodBtn) v.goodBtn->setEnabled(!model->isgood.boolValue());
}

void showBadges(const Views& v, const VXPingModelRef& model) {
    if (!model) return;
    bool vip = model->vippic && !model->vippic->empty();
    if (v.vipPic) {
        v.vipPic->setHidden(!vip);
        if (vip) VXExtension::setGameIconWithUrlStr(v.vipPic, model->vippic, "");
    }
    bool paid = !model->paypic.empty();
    if (v.payPic) {
        v.payPic->setHidden(!paid);
        if (paid) {
            if (v.payPicLeft) v.payPicLeft->setConstant(v.vipPic && v.vipPic->isHidden() ? 5 : 60);
            VXExtension::setGameIconWithUrlStr(v.payPic, model->paypic["pic"].stringValue(), "");
        }
    }
}

void like(const VXPingModelRef& model, std::function<void(const VXPingModelRef& model)> liked) {
    if (!model) return;
    auto share = ShareVale::sharedInstance();
    ns::Dictionary params{{"username", share->userName()}, {"appid", share->appID()}, {"comments_id", model->Id}};
    CXRSdpNetTool::sharedTool()->PostWithURLString(
        "Sdkcomments/good", params,
        [model, liked](const ns::Value& reply) {
            if (reply["a"].integerValue() != 1) return;
            model->isgood = 1;
            model->good = model->good.integerValue() + 1;
            if (liked) liked(model);
        },
        [](const ns::Ref<ns::Error>&) {});
}

void goToTitlePage(const ns::Ref<ui::ViewController>& controller) {
    auto nav = controller ? controller->navigationController() : nullptr;
    if (!nav) return;
    auto page = VXSuWebVC::instantiate();
    page->setName("用户头衔等级说明");
    page->setUrl(VXEndpoints::baseURL() + "Agreement/tx");
    page->setIsShowSuperVc(true);
    nav->pushViewController(page, true);
}

} // namespace VXPingShow
