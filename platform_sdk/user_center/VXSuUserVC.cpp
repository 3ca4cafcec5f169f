#include "platform_sdk/user_center/VXSuUserVC.h"

#include "foundation/URLEncode.h"
#include "image/UIImageView+VXExtension.h"
#include "os/dispatch/Queue.h"
#include "os/foundation/Format.h"
#include "os/foundation/Log.h"
#include "os/uikit/AlertController.h"
#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/GestureRecognizer.h"
#include "os/uikit/Nib.h"
#include "os/uikit/NavigationController.h"
#include "os/uikit/Pasteboard.h"
#include "os/uikit/Storyboard.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/VXLoginRzView.h"
#include "platform_sdk/VXLoginWebView.h"
#include "platform_sdk/VXSuForgetView.h"
#include "platform_sdk/VXSuWebVC.h"
#include "platform_sdk/user_center/VXSuBangView.h"
#include "platform_sdk/user_center/VXSuBillVC.h"
#include "platform_sdk/user_center/VXSuCouponVC.h"
#include "platform_sdk/user_center/VXSuJieView.h"
#include "platform_sdk/user_center/VXSuOrderVC.h"
#include "platform_sdk/user_center/VXSuSubNameVC.h"
#include "platform_sdk/user_center/VXUserMsgVC.h"
#include "widgets/UIButton+VXImageTitleSpacing.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"
#include "widgets/UIView+Extension.h"

namespace {

constexpr const char* kServerError = "服务器错误";

// Opens the box-app page; an empty address opens nothing.
void openBoxPage() {
    std::string box = ShareVale::sharedInstance()->iosWapBoxUrl().stringValue().value_or("");
    if (auto url = ns::URL::fromString(box); url && !box.empty()) ui::Application::shared().openURL(url);
}

} // namespace

VXSuUserVCRef VXSuUserVC::instantiate() {
    registerInterfaceFile();
    auto board = ui::Storyboard::storyboardWithName("VXSuTabBarVC", URLEncode::getSdkBundle());
    return std::dynamic_pointer_cast<VXSuUserVC>(board->instantiateViewControllerWithIdentifier("VXSuUserVC"));
}

// --- Life cycle ---

void VXSuUserVC::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    _initUI();
}

void VXSuUserVC::_initUI() {
    if (ui::DeviceProfile::systemVersionAtLeast(11)) {
        if (auto scroll = scrollView.lock()) scroll->setContentInsetAdjustmentBehavior(ui::ScrollViewContentInsetAdjustmentBehavior::Never);
    } else {
        setAutomaticallyAdjustsScrollViewInsets(false);
    }
    auto share = ShareVale::sharedInstance();
    if (auto l = versionL.lock()) l->setText(std::string(VXEndpoints::SDKVersion));
    if (auto pic = onePic.lock()) pic->setImage(VXColor::imageWithColor(XTExtention::colorWithHexString("#6036E7")));
    if (auto b = autoLoginBtn.lock()) b->setSelected(!share->isNotAutoLogin());
    // The switch tells the truth after a "close" confirmed earlier in this run.
    if (auto b = suspendStatusBtn.lock()) b->setSelected(!share->isHideSuspend());
    if (auto pic = payPic.lock()) {
        auto tap = ns::make<ui::TapGestureRecognizer>();
        ns::Weak<VXSuUserVC> weak = ref<VXSuUserVC>();
        tap->addAction([weak](ui::GestureRecognizer&) {
            if (auto self = weak.lock()) self->goToWebVc();
        });
        pic->addGestureRecognizer(tap);
    }
    loadData();
}

void VXSuUserVC::viewWillAppear(bool animated) {
    ui::ViewController::viewWillAppear(animated);
    if (auto nav = navigationController()) nav->setNavigationBarHidden(true, animated);
    if (!isFirst_) {
        isFirst_ = true;
        return;
    }
    loadData();
}

void VXSuUserVC::viewWillDisappear(bool animated) {
    ui::ViewController::viewWillDisappear(animated);
    if (auto nav = navigationController()) nav->setNavigationBarHidden(false, animated);
}

void VXSuUserVC::viewDidLayoutSubviews() {
    ui::ViewController::viewDidLayoutSubviews();
    if (isLayout_) return;
    isLayout_ = true;
    if (auto v = userView.lock()) Extension::setShadowWithCornerRadius(v, 10, 3, {0, 2});
    for (const auto& weak : {couponView, btnsView, infoView, setView})
        if (auto v = weak.lock()) Extension::setShadowWithRadius(v, 10);
    auto buttons = btnsView.lock();
    if (!buttons) return;
    for (long tag = 10; tag <= 13; ++tag) {
        auto button = std::dynamic_pointer_cast<ui::Button>(buttons->viewWithTag(tag));
        if (!button) continue;
        button->addTarget(ref<VXSuUserVC>(), &VXSuUserVC::goToOtherVC, ui::ControlEventTouchUpInside);
        VXImageTitleSpacing::layoutButtonWithEdgeInsetsStyle(button, VXImageTitleSpacing::VXButtonEdgeInsetsStyleTop, 4);
    }
}

// --- Loading and filling ---

void VXSuUserVC::loadData() {
    auto share = ShareVale::sharedInstance();
    ns::Dictionary p;
    p.set("username", share->userName()), p.set("appid", share->appID()), p.set("gid", share->gameID());
    p.set("cpsId", share->chanelid());
    ns::Weak<VXSuUserVC> weak = ref<VXSuUserVC>();
    NetWorkManager::sharedInstance()->PostCouponURL(
        VXEndpoints::SdkHomeIndex, p,
        [weak](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self) return;
            // An undecodable reply arrives as nil: a failure, shown like one.
            if (!reply.isDictionary()) return CXRMessage::showMessage(std::string(kServerError), self->view());
            if (reply["a"].integerValue() != 1) return CXRMessage::showMessage(reply["b"].stringValue(), self->view());
            if (!reply["c"].isDictionary()) return CXRMessage::showMessage(std::string(kServerError), self->view());
            self->dic_ = reply["c"];
            self->setUpUI();
        },
        [weak](const ns::Ref<ns::Error>&) {
            if (auto self = weak.lock()) CXRMessage::showMessage(std::string(kServerError), self->view());
        });
}

void VXSuUserVC::setUpUI() {
    const ns::Value& uinfo = dic_["uinfo"];
    VXExtension::setGameIconWithUrlStr(iconView.lock(), uinfo["avatar"].stringValue(), "vx_noPic.png");
    std::string vip = uinfo["vippic"].stringValue().value_or("");
    if (auto pic = vipPic.lock()) {
        pic->setHidden(vip.empty());
        if (!vip.empty()) VXExtension::setGameIconWithUrlStr(pic, vip, "");
    }
    if (auto left = payPicLeft.lock()) left->setConstant(vip.empty() ? 5 : 60);
    VXExtension::setGameIconWithUrlStr(payPic.lock(), uinfo["paypic"].stringValue(), "");
    std::string nick = uinfo["nicename"].stringValue().value_or("");
    if (auto l = nickL.lock()) l->setText(nick.empty() ? std::string("昵称") : nick);
    if (auto l = nameL.lock()) l->setText(ns::format("账号：%@", uinfo["user_login"]));
    if (auto l = ptbL.lock()) l->setText(ns::format("%@", uinfo["money"]));
    if (auto l = djqL.lock()) l->setText(ns::format("%@", uinfo["djq"]));
    if (auto l = xinL.lock()) l->setText(ns::format("%@", uinfo["starcoin"]));
    setIsBang(uinfo["ismobile"].boolValue());
    setIsRz(uinfo["id_card"].boolValue());
    const ns::Value& coupon = dic_["coupon"];
    if (auto l = couponMoneyL.lock())
        l->setAttributedText(URLEncode::getPriceAttribute(ns::format("￥%@", coupon["money"]),
                                                          ui::Font::systemFontOfSize(14, ui::FontWeight::Medium)));
    if (auto l = couponNumL.lock()) l->setText(ns::format("共%@张", coupon["count"]));
    if (auto badge = msgNumL.lock()) {
        bool unread = uinfo["weidu"].integerValue() >= 1;
        badge->setHidden(!unread);
        if (unread) badge->setText(ns::format("%@", uinfo["weidu"]));
    }
}

void VXSuUserVC::setIsBang(bool bang) {
    isBang_ = bang;
    auto title = mobileTitleL.lock();
    auto mobile = mobileL.lock();
    if (!title || !mobile) return;
    if (bang) {
        title->setText(std::string("更换手机号"));
        mobile->setText(dic_["uinfo"]["mobile"].stringValue());
        mobile->setTextColor(ui::Color::darkGrayColor());
    } else {
        title->setText(std::string("手机绑定"));
        mobile->setText(std::string("去绑定"));
        mobile->setTextColor(XTExtention::colorWithHexString("#999999"));
    }
}

void VXSuUserVC::setIsRz(bool rz) {
    isRz_ = rz;
    auto l = rzL.lock();
    if (!l) return;
    l->setText(std::string(rz ? "已认证" : "未认证"));
    l->setTextColor(rz ? ui::Color::darkGrayColor() : XTExtention::colorWithHexString("#999999"));
}

void VXSuUserVC::lowerUnreadBadge() {
    auto badge = msgNumL.lock();
    if (!badge) return;
    long long before = ns::Value(badge->text()).integerValue();
    // Never below zero: a badge that shows nothing has nothing to lower.
    long long after = std::max(before - 1, 0LL);
    badge->setText(std::to_string(after));
    if (before <= 1) badge->setHidden(true);
}

// --- Actions ---

void VXSuUserVC::goBack() {
    auto nav = navigationController();
    if (!nav) return;
    nav->dismissViewControllerAnimated(true, [] {
        if (!ShareVale::sharedInstance()->isHideSuspend()) CXRHelperBtn::show();
    });
}

void VXSuUserVC::doLogout() {
    if (logoutBlock) logoutBlock();
}

void VXSuUserVC::doCopy() {
    // Nothing loaded yet: nothing to copy, so no success to report.
    std::string login = dic_["uinfo"]["user_login"].stringValue().value_or("");
    if (login.empty()) return;
    ui::Pasteboard::generalPasteboard().setString(login);
    ns::Weak<VXSuUserVC> weak = ref<VXSuUserVC>();
    dispatch::after(0.1, dispatch::Queue::main(), [weak] {
        if (auto self = weak.lock()) CXRMessage::showMessage(std::string("账号复制成功"), self->view());
    });
}

void VXSuUserVC::doAutoLoginBtnClick(const ui::ButtonRef& sender) {
    sender->setSelected(!sender->isSelected());
    ShareVale::sharedInstance()->setIsNotAutoLogin(!sender->isSelected());
}

void VXSuUserVC::doShowOrHideSuspenBtn(const ui::ButtonRef& sender) {
    if (!sender->isSelected()) {
        sender->setSelected(true);
        return;
    }
    auto alert = ui::AlertController::alertControllerWithTitle(
        std::string("温馨提示"), std::string("确定关闭悬浮窗？关闭后需要重新启动游戏才能显示悬浮窗"),
        ui::AlertControllerStyle::Alert);
    ns::Weak<ui::Button> weakSender = sender;
    alert->addAction(ui::AlertAction::actionWithTitle(std::string("确定"), ui::AlertActionStyle::Default, [weakSender](const ui::AlertActionRef&) {
        if (auto b = weakSender.lock()) b->setSelected(false);
        ShareVale::sharedInstance()->setIsHideSuspend(true);
    }));
    alert->addAction(ui::AlertAction::actionWithTitle(std::string("取消"), ui::AlertActionStyle::Cancel));
    presentViewController(alert, true);
}

void VXSuUserVC::goToOtherVC(const ui::ButtonRef& sender) {
    switch (sender->tag()) {
    case 10:
        openBoxPage();
        break;
    case 11: {
        auto nav = navigationController();
        if (!nav) break;
        auto messages = ui::ViewController::create<VXUserMsgVC>();
        ns::Weak<VXSuUserVC> weak = ref<VXSuUserVC>();
        messages->refreshBlock = [weak] {
            if (auto self = weak.lock()) self->lowerUnreadBadge();
        };
        nav->pushViewController(messages, true);
        break;
    }
    case 12:
        pushWebPage("智能客服", chatbotURL());
        break;
    default:
        if (auto nav = navigationController()) nav->pushViewController(ui::ViewController::create<VXSuOrderVC>(), true);
        break;
    }
}

void VXSuUserVC::pushScene(const std::string& identifier, const std::function<void(const ui::ViewControllerRef&)>& setUp) {
    auto nav = navigationController();
    if (!nav) return;
    auto bundle = URLEncode::getSdkBundle();
    if (!ui::StoryboardRegistry::contains(ui::NibRegistry::bundleKey(bundle), "VXSuTabBarVC", identifier)) {
        ns::log("VXSuUserVC: no scene %@", identifier);
        return;
    }
    // Instantiating does not load the view, so the set-up lands before viewDidLoad.
    auto page = ui::Storyboard::storyboardWithName("VXSuTabBarVC", bundle)->instantiateViewControllerWithIdentifier(identifier);
    if (!page) return;
    if (setUp) setUp(page);
    nav->pushViewController(page, true);
}

void VXSuUserVC::pushWebPage(const std::string& title, const std::string& url) {
    auto nav = navigationController();
    auto page = VXSuWebVC::instantiate();
    if (!nav || !page) return;
    page->setName(title);
    page->setUrl(url);
    page->setIsShowSuperVc(true);
    nav->pushViewController(page, true);
}

void VXSuUserVC::goToCouponVc() {
    VXSuCouponVC::registerInterfaceFile();
    pushScene("VXSuCouponVC");
}

void VXSuUserVC::pushBill(bool ptb, bool stars) {
    VXSuBillVC::registerInterfaceFile();
    pushScene("VXSuBillVC", [ptb, stars](const ui::ViewControllerRef& page) {
        if (auto bill = std::dynamic_pointer_cast<VXSuBillVC>(page)) {
            bill->setIsPtb(ptb);
            bill->setIsStars(stars);
        }
    });
}

void VXSuUserVC::goToPtbVc() { pushBill(true, false); }
void VXSuUserVC::goToBillVc() { pushBill(false, false); }
void VXSuUserVC::goToStarsVc() { pushBill(false, true); }
void VXSuUserVC::goToSubNameVC() {
    auto nav = navigationController();
    auto page = VXSuSubNameVC::instantiate();
    if (!nav || !page) return;
    page->iconUrl = dic_["uinfo"]["avatar"].stringValue();
    ns::Weak<VXSuUserVC> weak = ref<VXSuUserVC>();
    page->logoutBlock = [weak] {
        auto self = weak.lock();
        if (self && self->logoutBlock) self->logoutBlock();
    };
    nav->pushViewController(page, true);
}

std::string VXSuUserVC::chatbotURL() {
    auto info = ns::Bundle::main()->infoDictionary();
    std::string host = info["VXChatbotHost"].stringValue().value_or("");
    if (host.empty()) host = VXEndpoints::apiHost();
    return ns::format("%@/webchatbot/h5chat.html?sysNum=%@&sourceId=%@&lang=zh_CN", host,
                      info["VXChatbotSysNum"].stringValue().value_or(""), info["VXChatbotSourceId"].stringValue().value_or(""));
}

void VXSuUserVC::goToWebVc() { pushWebPage("用户头衔等级说明", VXEndpoints::baseURL() + "Agreement/tx"); }

// --- Panels ---

const ui::ViewRef& VXSuUserVC::coverView() {
    if (!coverView_) {
        coverView_ = ui::View::create(view()->frame());
        coverView_->setBackgroundColor(ui::Color::colorWithWhite(0, 0.2));
    }
    return coverView_;
}

const ns::Ref<VXSuBangView>& VXSuUserVC::bangView() {
    if (!bangView_) {
        bangView_ = VXSuBangView::fromXib();
        ns::Weak<VXSuUserVC> weak = ref<VXSuUserVC>();
        if (bangView_)
            bangView_->backBlock = [weak](const std::string& masked) {
                auto self = weak.lock();
                if (!self) return;
                CXRMessage::showMessage(std::string("绑定成功"), self->view());
                self->setIsBang(true);
                if (auto l = self->mobileL.lock()) l->setText(masked);
            };
    }
    return bangView_;
}

const ns::Ref<VXSuJieView>& VXSuUserVC::jieView() {
    if (!jieView_) {
        jieView_ = VXSuJieView::fromXib();
        ns::Weak<VXSuUserVC> weak = ref<VXSuUserVC>();
        if (jieView_)
            jieView_->backBlock = [weak] {
                auto self = weak.lock();
                if (!self) return;
                CXRMessage::showMessage(std::string("解绑成功"), self->view());
                self->setIsBang(false);
            };
    }
    return jieView_;
}

const ns::Ref<VXSuForgetView>& VXSuUserVC::forgetView() {
    if (!forgetView_) {
        forgetView_ = VXSuForgetView::fromXib();
        if (forgetView_) forgetView_->isShowCover = true;
    }
    return forgetView_;
}

const ns::Ref<VXLoginRzView>& VXSuUserVC::rzView() {
    if (!rzView_) {
        rzView_ = VXLoginRzView::fromXib();
        if (!rzView_) return rzView_;
        rzView_->isShowCover = true;
        ns::Weak<VXSuUserVC> weak = ref<VXSuUserVC>();
        rzView_->rzBlock = [weak] {
            auto self = weak.lock();
            if (!self) return;
            CXRMessage::showMessage(std::string("认证成功"), self->view());
            self->setIsRz(true);
        };
        rzView_->goToDetail = [weak] {
            if (auto self = weak.lock()) self->goToDetailWebVc();
        };
        rzView_->goToReceive = [weak](const std::string& url) {
            if (auto self = weak.lock()) self->goToReceiveWebVcWithUrl(url);
        };
    }
    return rzView_;
}

const ns::Ref<VXLoginWebView>& VXSuUserVC::webView() {
    if (!webView_) webView_ = VXLoginWebView::fromXib();
    return webView_;
}

namespace {
// The in-panel page goes over the real-name panel, on the same cover.
void layOver(const ui::ViewRef& page, const ui::ViewRef& panel) {
    auto cover = panel ? panel->superview() : nullptr;
    if (!page || !cover) return;
    page->setCenter(panel->center());
    cover->addSubview(page);
}
} // namespace

void VXSuUserVC::goToDetailWebVc() {
    auto page = webView();
    if (!page) return;
    // The title first: setting the address loads it.
    page->setName(std::string("防沉迷系统详情"));
    page->setUrl(ns::format("%@%@", VXEndpoints::baseURL(), "Agreement/Information2"));
    page->setIsShowMore(false);
    layOver(page, rzView());
}

void VXSuUserVC::goToReceiveWebVcWithUrl(const std::string& url) {
    auto page = webView();
    if (!page) return;
    page->setName(std::string("实名奖励领取"));
    page->setUrl(url);
    page->setIsShowMore(true);
    layOver(page, rzView());
}

void VXSuUserVC::showPanel(const ui::ViewRef& panel, cg::Point centre) {
    if (!panel) return;
    auto cover = coverView();
    cover->setFrame(view()->bounds());
    panel->setCenter(centre);
    cover->addSubview(panel);
    view()->addSubview(cover);
}

void VXSuUserVC::showBangView() {
    cg::Rect b = view()->bounds();
    // The page view sits at the origin (its bar is hidden), so the cover's centre is the middle.
    cg::Point middle{b.size.width / 2, b.size.height / 2};
    if (isBang_) showPanel(jieView(), middle);
    else showPanel(bangView(), middle);
}

void VXSuUserVC::goToRz() {
    if (isRz_) return;
    cg::Rect b = coverView()->frame();
    showPanel(rzView(), {b.size.width / 2, b.size.height / 2});
}

void VXSuUserVC::showForgetView() {
    auto mobile = mobileL.lock();
    if (mobile && mobile->text() == std::optional<std::string>("去绑定")) {
        CXRMessage::showMessage(std::string("请先绑定手机号"), view());
        return;
    }
    cg::Rect b = view()->bounds();
    showPanel(forgetView(), {b.size.width / 2, b.size.height / 2});
}
