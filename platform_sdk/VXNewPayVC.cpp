#include "platform_sdk/VXNewPayVC.h"

#include "foundation/URLEncode.h"
#include "os/dispatch/Queue.h"
#include "os/foundation/AttributedString.h"
#include "os/foundation/Decimal.h"
#include "os/foundation/FloatConversion.h"
#include "os/foundation/Format.h"
#include "os/foundation/Log.h"
#include "os/uikit/Application.h"
#include "os/uikit/Color.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/NavigationController.h"
#include "os/uikit/Screen.h"
#include "os/uikit/Storyboard.h"
#include "os/uikit/Window.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/CXRWindowManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXBaseNav.h"
#include "platform_sdk/VXCouponsVC.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/VXPayAPI.h"
#include "platform_sdk/VXPayPlug.h"
#include "platform_sdk/VXRefusals.h"
#include "widgets/UIImage+VXColor.h"
#include "widgets/VXProgressHUD.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace {

ns::Weak<VXNewPayVC>& openCentre() {
    static ns::Weak<VXNewPayVC> centre;
    return centre;
}

void registerScenes() {
    static std::once_flag once;
    std::call_once(once, [] {
        registerVXNewPayVCScene();
        registerVXCouponsVCScene();
    });
}

// Landscape on a phone with a home indicator (iOS 11 or later, bottom inset above 0).
bool notchedLandscape() {
    cg::Rect screen = ui::Screen::mainScreen().bounds();
    auto key = ui::Application::shared().keyWindow();
    return screen.size.width > screen.size.height && ui::DeviceProfile::systemVersionAtLeast(11) && key &&
           key->safeAreaInsets().bottom > 0;
}

// A negative amount shows and pays as "0".
std::string nonNegative(const std::string& amount) { return !amount.empty() && amount[0] == '-' ? "0" : amount; }

std::string yuan(const VXNewPayVC::Text& amount) { return ns::format("%@元", amount); }

} // namespace

VXNewPayVC::Order& VXNewPayVC::order() {
    static Order state;
    return state;
}

void VXNewPayVC::resetOrder() {
    order() = Order{};
    openCentre().reset();
}

// --- Money ---

std::string VXNewPayVC::calculateMoney(const Text& money, const Text& money1, const std::string& way) {
    ns::Decimal a = ns::Decimal::fromString(money.value_or(""));
    ns::Decimal b = ns::Decimal::fromString(money1.value_or(""));
    // Two places toward the lower value; only a division by zero would raise.
    ns::DecimalHandler handler(ns::RoundingMode::Down, 2, false, false, false, true);
    if (way == "-") return a.subtracting(b, handler).description();
    if (way == "*") return a.multiplying(b, handler).description();
    return ns::Value().description();
}

int VXNewPayVC::ptbCount(const Text& amount) {
    float yuan = ns::Value(amount).floatValue();
    float coins = std::ceil(yuan * 10.0f); // single precision throughout
    return ns::saturatingInt32(coins);
}

std::string VXNewPayVC::discountText(float discount) { return ns::format("（%.1f折）", discount * 10.0f); }

std::string VXNewPayVC::ptbBalanceText(const ns::Value& v) { return ns::format("（余额:%.f平台币）", v.floatValue()); }

std::string VXNewPayVC::yuanBalanceText(const ns::Value& v) { return ns::format("（余额:%.2f元）", v.floatValue()); }

// --- Opening ---

void VXNewPayVC::loadToPayVCWithroleid(const Text& roleid, const Text& ServiceID, const Text& walletPayMoney,
                                       const Text& cpExtend, const Text& productName, const Text& productDesc,
                                       Success success, Failed faild) {
    // A call that opens nothing still answers, at once, with why.
    auto refuse = [answer = faild, walletPayMoney](const VXRefusal::Refusal& why) {
        ns::log("VXNewPayVC: %@ (%@)", why.message, why.codeText);
        if (answer) answer(ns::Value(why.message), ns::Value(why.codeText), ns::Value(walletPayMoney));
    };
    if (auto open = openCentre().lock()) {
        // The open centre is paying its own order: a second one would take over its callbacks.
        refuse(VXRefusal::OrderOpen);
        return;
    }
    Order& o = order();
    o = Order{roleid, ServiceID, walletPayMoney, walletPayMoney, walletPayMoney, std::nullopt, cpExtend,
              productName, productDesc, std::move(success), std::move(faild)};
    if (!URLEncode::isNumber(walletPayMoney)) {
        CXRMessage::showMessage(VXRefusal::BadAmount.message);
        refuse(VXRefusal::BadAmount);
        return;
    }
    // The key window's screen, or what it already presents. A window on its way out (the login
    // window fading after a login) has given key status up by then.
    auto presenter = CXRWindowManager::topPresenter(ui::Application::shared().keyWindow());
    registerScenes();
    auto centre = presenter ? std::dynamic_pointer_cast<VXNewPayVC>(
                                  ui::Storyboard::storyboardWithName("VXNewPayVC", URLEncode::getSdkBundle())
                                      ->instantiateViewControllerWithIdentifier("VXNewPayVC"))
                            : nullptr;
    if (!centre) {
        refuse(VXRefusal::NoPayCentre);
        return;
    }
    CXRHelperBtn::hide();
    auto nav = ui::NavigationController::createWithRoot<VXBaseNav>(centre);
    nav->setModalPresentationStyle(ui::ModalPresentationStyle::FullScreen);
    openCentre() = centre;
    presenter->presentViewController(nav, true);
}

void VXNewPayVC::viewDidLoad() {
    VXBaseVC::viewDidLoad();
    double margin = notchedLandscape() ? 30 : 15;
    if (auto c = infoLeft.lock()) c->setConstant(margin);
    if (auto c = typeLeft.lock()) c->setConstant(margin);
    SetBarTitleViewWithTitle("充值中心", VXColor::sdkImageNamed("vor_pay_titleIcon"));
    discount = 1.0f;
    initUI();
    requestPayWays();
}

void VXNewPayVC::initUI() {
    Order& o = order();
    if (auto l = productNameL.lock()) l->setText(o.productName);
    o.discounted = nonNegative(calculateMoney(o.amount, ns::format("%f", discount), "*"));
    if (auto l = realMoneyL.lock()) l->setText(yuan(o.discounted));
    if (auto l = discountL.lock()) l->setText(discountText(discount));
    if (auto l = moneyL.lock()) {
        ns::AttributedString struck(yuan(o.amount));
        struck.addAttribute(ns::StrikethroughStyleAttributeName, 1, ns::Range{0, struck.length16()});
        l->setAttributedText(struck);
    }
}

// --- Pay ways ---

void VXNewPayVC::requestPayWays() {
    auto share = ShareVale::sharedInstance();
    ns::Dictionary p;
    p.set("zz", share->userName()), p.set("z", share->appID()), p.set("b", share->gameID());
    p.set("bb", share->chanelid()), p.set("os", "ios");
    VXProgressHUD::showHUDAddedTo(view(), true);
    ns::Weak<VXNewPayVC> weak = ref<VXNewPayVC>();
    NetWorkManager::sharedInstance()->PostCouponURL(
        VXEndpoints::PayWayIos, p,
        [weak](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self) return;
            VXProgressHUD::hideHUDForView(self->view(), true);
            self->applyPayWays(reply);
        },
        [weak](const ns::Ref<ns::Error>&) {
            auto self = weak.lock();
            if (!self) return;
            VXProgressHUD::hideHUDForView(self->view(), true);
            self->setPayStyle(2);
        });
}

void VXNewPayVC::applyPayWays(const ns::Value& reply) {
    if (reply["code"].integerValue() != 1) {
        CXRMessage::showMessage(reply["msg"].stringValue(), view());
        return;
    }
    static const auto styleOf = [](long long id) -> unsigned long {
        if (id == 31) return 5;
        if (id == 32) return 6;
        return id < 0 ? 0 : static_cast<unsigned long>(id);
    };
    const ns::Array* data = reply["data"].arrayPtr();
    // An empty list has no first entry: no style is chosen.
    if (data && !data->empty()) firstSelected = styleOf((*data)[0]["z"].integerValue());
    if (auto l = remainPtbL.lock()) l->setText(ptbBalanceText(reply["ttb"]));
    if (auto l = remainDjqL.lock()) l->setText(yuanBalanceText(reply["djq"]));
    if (auto l = remainXinL.lock()) l->setText(yuanBalanceText(reply["xingbi"]));
    discount = reply["discount"].floatValue();
    if (discount == 0.0f || std::isnan(discount)) discount = 1.0f;

    bool wallet = false, gfWallet = false, wx = false, gfWx = false, ptb = false, djq = false, xin = false;
    if (data) {
        for (const auto& entry : *data) {
            switch (entry["z"].integerValue()) {
            case 1: ptb = true; break;
            case 2: wallet = true; break;
            case 3: wx = true; break;
            case 4: djq = true; break;
            case 5: gfWallet = true, isWalletTwo = false; break;
            case 31: gfWallet = true, isWalletTwo = true; break;
            case 6: gfWx = true, isWxpayTwo = false; break;
            case 32: gfWx = true, isWxpayTwo = true; break;
            case 10: xin = true; break;
            default: break;
            }
        }
    }
    auto collapse = [](const ns::Weak<ui::LayoutConstraint>& c, bool marked) {
        if (auto constraint = c.lock(); constraint && !marked) constraint->setConstant(0);
    };
    collapse(ptbViewH, ptb), collapse(walletViewH, wallet), collapse(wxViewH, wx), collapse(djqViewH, djq);
    collapse(GFWalletViewH, gfWallet), collapse(GFWxViewH, gfWx), collapse(xinViewH, xin);
    initUI();
    setPayStyle(firstSelected);
}

// --- Styles ---

void VXNewPayVC::setPayStyle(unsigned long style) {
    payStyle = style;
    ns::Weak<ui::Button> button;
    switch (style) {
    case 1: button = wxIconBtn; break;
    case 2: button = walletIconBtn; break;
    case 3: button = ptbIconBtn; break;
    case 4: button = djqIconBtn; break;
    case 5: button = GFWalletIconBtn; break;
    case 6: button = GFWxIconBtn; break;
    case 10: button = xinIconBtn; break;
    default: return;
    }
    setPayViewWithPayStyle(style, button.lock());
}

void VXNewPayVC::setPayViewWithPayStyle(unsigned long style, const ui::ButtonRef& currentBtn) {
    auto previous = selectedIconBtn.lock();
    if (currentBtn == previous) return;
    showRealMoneyForStyle();
    auto discountLabel = discountL.lock();
    if (discountLabel) discountLabel->setText(style == 4 || style == 10 ? std::string() : discountText(discount));
    if (currentBtn) currentBtn->setSelected(true);
    if (previous) previous->setSelected(false);
    selectedIconBtn = currentBtn;
}

void VXNewPayVC::showRealMoneyForStyle() {
    auto label = realMoneyL.lock();
    if (!label) return;
    const Order& o = order();
    if (payStyle == 3)
        label->setText(ns::format("%d平台币", ptbCount(o.discounted)));
    else if (payStyle == 4 || payStyle == 10)
        label->setText(yuan(o.voucher));
    else
        label->setText(yuan(o.discounted));
}

void VXNewPayVC::doWXPay() { ns::log("微信H5"), setPayStyle(1); }
void VXNewPayVC::doWallet() { ns::log("钱包H5"), setPayStyle(2); }
void VXNewPayVC::doPtbPay() { ns::log("平台币"), setPayStyle(3); }
void VXNewPayVC::doDjqPay() { ns::log("代金券支付"), setPayStyle(4); }
void VXNewPayVC::doGFWallet() { ns::log("钱包APP"), setPayStyle(5); }
void VXNewPayVC::doGFWxPay() { ns::log("官方微信H5"), setPayStyle(6); }
void VXNewPayVC::doStarsPay() { ns::log("星币支付"), setPayStyle(10); }

// --- Voucher ---

void VXNewPayVC::goToCoupons(const ns::Ref<ns::Object>&) {
    registerScenes();
    auto picker = std::dynamic_pointer_cast<VXCouponsVC>(
        ui::Storyboard::storyboardWithName("VXNewPayVC", URLEncode::getSdkBundle())
            ->instantiateViewControllerWithIdentifier("VXCouponsVC"));
    if (!picker) return;
    picker->money = order().amount;
    ns::Weak<VXNewPayVC> weak = ref<VXNewPayVC>();
    picker->couponsBlock = [weak](const ns::Ref<VXCouponsModel>& model) {
        auto self = weak.lock();
        if (!self || !model) return;
        Order& o = order();
        o.couponId = model->cid;
        if (auto b = self->couponsBtn.lock())
            b->setTitle(ns::format("满%@减%@", model->pay_money, model->coupon_money), ui::ControlStateNormal);
        // Always from the order's amount, so a second choice replaces the first.
        std::string less = calculateMoney(o.amount, model->coupon_money, "-");
        o.voucher = nonNegative(less);
        o.discounted = nonNegative(calculateMoney(less, ns::format("%f", self->discount), "*"));
        self->showRealMoneyForStyle();
    };
    picker->setModalPresentationStyle(ui::ModalPresentationStyle::Custom);
    picker->setModalTransitionStyle(ui::ModalTransitionStyle::CrossDissolve);
    presentViewController(picker, true);
}

// --- Roads ---

void VXNewPayVC::setPayEnabled(bool enabled) {
    if (auto b = payBtn.lock()) b->setEnabled(enabled);
}

void VXNewPayVC::doPay(const ns::Ref<ns::Object>&) {
    switch (payStyle) {
    case 1: goToPayWithType("wx", "微信支付"); break;
    case 2: goToPayWithType("qb", "钱包支付"); break;
    case 3: goToPtbPay(); break;
    case 4: goToDjqPay(); break;
    case 5: goToWalletAppPay(); break;
    case 6: goToGFWxPay(); break;
    case 10: goToXinPay(); break;
    default: break; // no road: the button stays enabled
    }
}

std::function<void(const ns::Value&)> VXNewPayVC::orderFailed(ns::Weak<VXNewPayVC> weak) {
    return [weak](const ns::Value& message) {
        auto self = weak.lock();
        if (!self) return;
        self->setPayEnabled(true);
        if (message.string() == std::optional<std::string>("11")) return self->payWithFree();
        CXRMessage::showMessage(message.stringValue(), self->view());
        if (order().failed) order().failed("无法通知服务器", "3", order().amount);
    };
}

void VXNewPayVC::goToPayWithType(const std::string& type, const std::string& title) {
    setPayEnabled(false);
    const Order& o = order();
    ns::Weak<VXNewPayVC> weak = ref<VXNewPayVC>();
    VXPayAPI::doH5PayWithMoney(
        o.amount, o.discounted, o.couponId, URLEncode::getOrderNumber(), ns::format("%.2f", discount), type, o.roleId,
        o.serverId, o.productName, o.productDesc, o.extension,
        [weak, title](const ns::Ref<NotifyServer>& result) {
            if (auto self = weak.lock()) self->pushPage(result->url, false, title);
        },
        orderFailed(weak));
}

void VXNewPayVC::goToGFWxPay() {
    setPayEnabled(false);
    const Order& o = order();
    ns::Weak<VXNewPayVC> weak = ref<VXNewPayVC>();
    VXPayAPI::doWxPayWithMoney(
        o.amount, o.discounted, o.couponId, URLEncode::getOrderNumber(), ns::format("%.2f", discount), o.roleId,
        o.serverId, o.productName, o.productDesc, o.extension,
        isWxpayTwo ? VXEndpoints::WxH5OtherPay : VXEndpoints::WxH5Pay,
        [weak](const ns::Ref<NotifyServer>& result) {
            if (auto self = weak.lock()) self->pushPage(result->url, true, "微信支付");
        },
        orderFailed(weak));
}

void VXNewPayVC::goToWalletAppPay() {
    setPayEnabled(false);
    const Order& o = order();
    ns::Weak<VXNewPayVC> weak = ref<VXNewPayVC>();
    VXPayAPI::doWalletAppPayWithMoney(
        o.amount, o.discounted, o.couponId, URLEncode::getOrderNumber(), ns::format("%.2f", discount), o.roleId,
        o.serverId, o.productName, o.productDesc, o.extension,
        isWalletTwo ? VXEndpoints::WalletAppOtherPay : VXEndpoints::WalletAppPay,
        [weak](const ns::Ref<WalletInfo>& info) {
            if (!weak.lock()) return;
            auto plug = VXPayPlug::sharedInstance();
            plug->setWalletInfo(info);
            plug->setPayWay(0);
            // Held weakly: a late wallet result after the centre closed shows nothing.
            plug->doPay([weak](unsigned long, const std::string& status, const ns::Ref<ns::Error>& error) {
                auto self = weak.lock();
                if (!self) return;
                auto notice = self->noticeView();
                if (auto l = notice->statusL.lock()) l->setText(status);
                notice->payStatus = status;
                notice->payError = error;
                self->showNotice();
            });
        },
        orderFailed(weak));
}

void VXNewPayVC::balanceRoadFailed(const ns::Value& message, const ns::Value& code) {
    CXRMessage::showMessage(message.stringValue(), view());
    setPayEnabled(true);
    if (order().failed) order().failed(message, code, order().amount);
}

namespace {

template <class Model> auto balanceSuccess(ns::Weak<VXNewPayVC> weak) {
    return [weak](const ns::Ref<Model>& result) {
        auto self = weak.lock();
        if (!self) return;
        if (VXNewPayVC::order().success) VXNewPayVC::order().success(result->mesage, VXNewPayVC::order().amount);
        self->popAction();
    };
}

auto balanceFailure(ns::Weak<VXNewPayVC> weak) {
    return [weak](const ns::Value& message, const ns::Value& code) {
        if (auto self = weak.lock()) self->balanceRoadFailed(message, code);
    };
}

} // namespace

void VXNewPayVC::goToPtbPay() {
    setPayEnabled(false);
    const Order& o = order();
    std::string coins = ns::format("%d", ptbCount(o.amount));
    std::string realCoins = ns::format("%d", ptbCount(o.discounted));
    VXPayAPI::doPtbPayWithMoney(coins, realCoins, o.couponId, URLEncode::getOrderNumber(), ns::format("%.2f", discount),
                                o.roleId, o.serverId, o.productName, o.productDesc, o.extension,
                                balanceSuccess<PtbPay>(ref<VXNewPayVC>()), balanceFailure(ref<VXNewPayVC>()));
}

void VXNewPayVC::goToDjqPay() {
    setPayEnabled(false);
    const Order& o = order();
    VXPayAPI::doDjqPayWithMoney(o.amount, o.voucher, o.couponId, o.roleId, o.serverId, o.productName, o.productDesc,
                                o.extension, balanceSuccess<DiscountPayWay>(ref<VXNewPayVC>()),
                                balanceFailure(ref<VXNewPayVC>()));
}

void VXNewPayVC::goToXinPay() {
    setPayEnabled(false);
    const Order& o = order();
    VXPayAPI::doStarsPayWithMoney(o.amount, o.voucher, o.couponId, o.roleId, o.serverId, o.productName, o.productDesc,
                                  o.extension, balanceSuccess<DiscountPayWay>(ref<VXNewPayVC>()),
                                  balanceFailure(ref<VXNewPayVC>()));
}

// --- The web page's return, the notice and the poll ---

void VXNewPayVC::pushPage(const ns::Value& url, bool official, const std::string& title) {
    auto page = ui::ViewController::create<VXWebPayVC>();
    page->url = url.stringValue();
    page->isGFWXH5 = official;
    page->setTitle(title);
    ns::Weak<VXNewPayVC> weak = ref<VXNewPayVC>();
    page->webViewCallBack = [weak](const VXWebPayVCRef& returned) {
        if (auto self = weak.lock()) self->pageReturned(returned);
    };
    if (auto nav = navigationController()) nav->pushViewController(page, true);
}

void VXNewPayVC::pageReturned(const VXWebPayVCRef& page) {
    auto nav = navigationController();
    if (!nav || !page) return;
    // Only a page still on this centre's stack, and only its first return.
    auto stack = nav->viewControllers();
    if (std::find(stack.begin(), stack.end(), page) == stack.end()) return;
    page->webViewCallBack = nullptr;
    setPayEnabled(true);
    nav->popViewControllerAnimated(true);
    auto notice = noticeView();
    notice->payError = std::make_shared<ns::Error>("支付失败", 1);
    notice->payStatus = "支付失败";
    if (auto l = notice->statusL.lock()) l->setText("支付中...");
    showNotice();
    loadTimer();
}

VXPayNoticeViewRef VXNewPayVC::noticeView() {
    if (!noticeView_) {
        noticeView_ = VXPayNoticeView::load();
        if (!noticeView_) noticeView_ = ui::View::create<VXPayNoticeView>(cg::RectMake(0, 0, 280, 170));
        noticeView_->setCenter(view()->center());
    }
    return noticeView_;
}

ui::ViewRef VXNewPayVC::coverView() {
    if (!coverView_) {
        coverView_ = ui::View::create(view()->frame());
        // The colour's alpha, not the view's: the notice on it stays opaque.
        coverView_->setBackgroundColor(ui::Color::colorWithWhite(0, 0.2));
    }
    return coverView_;
}

void VXNewPayVC::showNotice() {
    auto notice = noticeView();
    auto cover = coverView();
    ns::Weak<VXNewPayVC> weak = ref<VXNewPayVC>();
    notice->goToGameBlock = [weak](const ns::Ref<ns::Error>& error, const std::optional<std::string>& status) {
        if (auto self = weak.lock()) self->finish(error, status, false);
    };
    notice->goToApplyBlock = [weak](const ns::Ref<ns::Error>& error, const std::optional<std::string>& status) {
        if (auto self = weak.lock()) self->finish(error, status, true);
    };
    if (notice->superview() != cover) cover->addSubview(notice);
    if (auto window = CXRWindowManager::topWindow()) {
        cover->setFrame(window->bounds());
        notice->setCenter(cover->center());
        window->addSubview(cover);
    }
}

void VXNewPayVC::finish(const ns::Ref<ns::Error>& error, const std::optional<std::string>& status, bool openBox) {
    auto keep = ref<VXNewPayVC>();
    if (coverView_) coverView_->removeFromSuperview();
    Order o = order(); // popAction clears part of it
    popAction();
    if (!answered_) {
        answered_ = true;
        if (error) {
            if (o.failed) o.failed(status, "1", o.amount);
        } else if (o.success) {
            o.success(status, o.amount);
        }
    }
    if (openBox)
        if (auto box = ShareVale::sharedInstance()->iosWapBoxUrl().stringValue())
            ui::Application::shared().openURL(ns::URL::fromString(*box));
}

void VXNewPayVC::payWithFree() {
    auto notice = noticeView();
    notice->payError = nullptr;
    notice->payStatus = "支付成功";
    if (auto l = notice->statusL.lock()) l->setText("支付成功");
    showNotice();
}

void VXNewPayVC::loadTimer() {
    pause();
    counter_ = 30;
    timer_ = dispatch::TimerSource::create(dispatch::Queue::main());
    ns::Weak<VXNewPayVC> weak = ref<VXNewPayVC>();
    dispatch::TimerSource source = timer_;
    timer_.setTimer(dispatch::TimerSource::Start::now(0), 2, 0);
    timer_.setEventHandler([weak, source] {
        auto self = weak.lock();
        if (!self || source.isCancelled()) return;
        if (self->counter_ < 0) return self->pause();
        ns::Dictionary p;
        p.set("z", ShareVale::sharedInstance()->userName());
        NetWorkManager::sharedInstance()->POST(
            VXEndpoints::baseURL() + VXEndpoints::GetUserSuccess, p,
            [weak](const ns::Value& reply) {
                auto self = weak.lock();
                // A late answer after the centre closed changes nothing; one that comes after the
                // poll's own end still does, or a paid order would end as a failure.
                if (!self || self->closed_) return;
                const ns::Value& z = reply["z"];
                bool paid = z.string() == std::optional<std::string>("1") || (z.isNumber() && z.integerValue() == 1);
                if (!paid) {
                    ns::log("error = %@", reply);
                    return;
                }
                self->paid_ = true;
                auto notice = self->noticeView();
                notice->payError = nullptr;
                notice->payStatus = "支付成功";
                if (auto l = notice->statusL.lock()) l->setText("支付成功");
                self->pause();
            },
            [](const ns::Ref<ns::Error>& error) { ns::log("error = %@", ns::Value(error)); });
        --self->counter_;
    });
    timer_.resume();
}

void VXNewPayVC::pause() {
    if (timer_) timer_.cancel();
    timer_ = {};
}

void VXNewPayVC::resume() { loadTimer(); }

void VXNewPayVC::popAction() {
    hiddenLeftBtn();
    if (isViewLoaded()) VXProgressHUD::hideHUDForView(view(), true);
    if (!ShareVale::sharedInstance()->isHideSuspend()) CXRHelperBtn::show();
    Order& o = order();
    o.discounted = std::nullopt, o.voucher = std::nullopt, o.couponId = std::nullopt;
    closed_ = true;
    pause();
    if (openCentre().lock().get() == this) openCentre().reset();
    auto nav = navigationController();
    if (!nav) return;
    if (auto titleView = nav->navigationBar()->viewWithTag(BarTitleViewTag)) titleView->removeFromSuperview();
    if (nav->viewControllers().size() > 1)
        nav->popViewControllerAnimated(true);
    else
        nav->dismissViewControllerAnimated(true);
}

VXNewPayVC::~VXNewPayVC() {
    if (timer_) timer_.cancel();
}
