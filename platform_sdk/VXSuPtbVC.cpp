#include "platform_sdk/VXSuPtbVC.h"

#include "foundation/URLEncode.h"
#include "image/UIImageView+VXExtension.h"
#include "os/dispatch/Queue.h"
#include "os/foundation/Format.h"
#include "os/uikit/Color.h"
#include "os/uikit/NavigationController.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/VXPayAPI.h"
#include "platform_sdk/VXPayPlug.h"
#include "platform_sdk/VXWebPayVC.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"
#include "widgets/UIView+Extension.h"
#include "widgets/VXProgressHUD.h"

#include <mutex>

namespace {

cg::Color chosenBorder() { return XTExtention::colorWithHexString("#6137E7")->cgColor(); }
cg::Color greyBorder() { return cg::Color{220 / 255.0, 220 / 255.0, 220 / 255.0, 1}; }

void border(const ui::ButtonRef& button, bool chosen) {
    if (!button) return;
    button->layer()->setBorderWidth(1);
    button->layer()->setBorderColor(chosen ? chosenBorder() : greyBorder());
}

// The amount of an amount button; none for a tag outside 10-15.
std::optional<std::string> priceOf(const VXSuPtbVC& screen, const ui::ButtonRef& button) {
    if (!button) return std::nullopt;
    long index = button->tag() - 10;
    if (index < 0 || index >= static_cast<long>(screen.pricesArr.size())) return std::nullopt;
    return screen.pricesArr[static_cast<size_t>(index)];
}

} // namespace

ns::Ref<VXSuPtbVC> VXSuPtbVC::create() {
    static std::once_flag registered;
    std::call_once(registered, registerVXSuPtbVCNib);
    return ui::ViewController::createWithNib<VXSuPtbVC>("VXSuPtbVC", URLEncode::getSdkBundle());
}

void VXSuPtbVC::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    initUI();
}

void VXSuPtbVC::initUI() {
    setTitle("平台币充值");
    if (auto prices = priceView.lock())
        for (const auto& sub : prices->subviews())
            if (auto button = std::dynamic_pointer_cast<ui::Button>(sub)) border(button, button->tag() == 10);
    if (auto icon = iconView.lock())
        VXExtension::setGameIconWithUrlStr(icon, dataDic["avatar"].stringValue(), "vx_noPic.png");
    if (auto l = nameL.lock()) l->setText(ShareVale::sharedInstance()->userName());
    if (auto l = ptbL.lock()) l->setText(ns::format("%@", dataDic["money"]));
    nowBtn = walletBtn;
    money = "10";
    if (auto prices = priceView.lock()) priceBtn = std::dynamic_pointer_cast<ui::Button>(prices->viewWithTag(10));
    paySuccess();
}

void VXSuPtbVC::viewWillLayoutSubviews() {
    ui::ViewController::viewWillLayoutSubviews();
    if (isLayout) return;
    for (const auto& v : {moneyView, walletView, wxView})
        if (auto view = v.lock()) Extension::setShadowWithCornerRadius(view, 5, 5, {0, 0});
    isLayout = true;
}

void VXSuPtbVC::doSelectedPriceBtn(const ui::ButtonRef& sender) {
    if (!priceOf(*this, sender)) return; // not one of the six
    if (auto field = priceF.lock()) {
        if (field->isEditing()) field->resignFirstResponder();
        if (!field->text().empty()) field->setText(std::string());
    }
    auto previous = priceBtn.lock();
    if (sender == previous) return;
    border(sender, true);
    border(previous, false);
    priceBtn = sender;
    money = priceOf(*this, sender);
}

void VXSuPtbVC::didBeginEditing(const ui::TextFieldRef&) {
    border(priceBtn.lock(), false);
    priceBtn.reset();
}

bool VXSuPtbVC::shouldReturn(const ui::TextFieldRef& field) {
    field->resignFirstResponder();
    return true;
}

void VXSuPtbVC::touchesBegan(const ui::TouchSet& touches, const ui::EventRef& event) {
    view()->endEditing(true);
}

void VXSuPtbVC::payTypeBtnClick(const ui::ButtonRef& sender) {
    auto now = nowBtn.lock();
    if (!sender || sender == now) return;
    sender->setSelected(true);
    if (now) now->setSelected(false);
    bool wallet = sender == walletBtn.lock();
    if (auto i = walletIcon.lock()) i->setImage(VXColor::sdkImageNamed(wallet ? "vor_pay_btnSelectedBg" : "vor_pay_btnNormalBg"));
    if (auto i = wxIcon.lock()) i->setImage(VXColor::sdkImageNamed(wallet ? "vor_pay_btnNormalBg" : "vor_pay_btnSelectedBg"));
    nowBtn = sender;
}

void VXSuPtbVC::doPay() {
    view()->endEditing(true);
    std::optional<std::string> amount;
    if (auto chosen = priceBtn.lock()) {
        amount = priceOf(*this, chosen);
    } else if (auto typed = priceF.lock() ? std::optional<std::string>(priceF.lock()->text()) : std::nullopt;
               URLEncode::isNumber(typed)) {
        amount = ns::format("%.1f", ns::Value(typed).floatValue());
    }
    if (!amount) {
        CXRMessage::showMessage("请输入有效金额");
        return;
    }
    money = amount;
    VXProgressHUD::showHUDAddedTo(view(), true);
    ns::Weak<VXSuPtbVC> weak = ref<VXSuPtbVC>();
    auto failed = [weak](const ns::Value& message) {
        auto self = weak.lock();
        if (!self) return;
        VXProgressHUD::hideHUDForView(self->view(), true);
        CXRMessage::showMessage(message.stringValue());
    };
    if (nowBtn.lock() == walletBtn.lock()) {
        VXPayAPI::doBuyPtbByWalletWithMoney(
            money,
            [weak](const ns::Ref<WalletInfo>& info) {
                auto self = weak.lock();
                if (!self) return;
                VXProgressHUD::hideHUDForView(self->view(), true);
                auto plug = VXPayPlug::sharedInstance();
                plug->setPayWay(0);
                plug->setWalletInfo(info);
                plug->doPay([weak](unsigned long, const std::string& status, const ns::Ref<ns::Error>&) {
                    auto self = weak.lock();
                    if (!self) return;
                    CXRMessage::showMessage(status, self->view());
                    if (status == "充值成功") self->paySuccess();
                });
            },
            failed);
        return;
    }
    VXPayAPI::doBuyPtbByWxWithMoney(
        money,
        [weak](const ns::Ref<NotifyServer>& result) {
            auto self = weak.lock();
            if (!self) return;
            VXProgressHUD::hideHUDForView(self->view(), true);
            auto page = ui::ViewController::create<VXWebPayVC>();
            page->url = result->url.stringValue();
            page->isGFWXH5 = true;
            page->setTitle("微信支付");
            page->webViewCallBack = [weak](const VXWebPayVCRef& returned) {
                if (auto self = weak.lock()) self->pageReturned(returned);
            };
            if (auto nav = self->navigationController()) nav->pushViewController(page, true);
        },
        failed);
}

void VXSuPtbVC::pageReturned(const ns::Ref<ui::ViewController>& page) {
    // Only the page on top is popped: a second return before it goes must not pop this screen.
    auto nav = navigationController();
    if (!nav || nav->topViewController() != page) return;
    if (auto webPage = std::dynamic_pointer_cast<VXWebPayVC>(page)) webPage->webViewCallBack = nullptr;
    nav->popViewControllerAnimated(true);
    paySuccess();
}

void VXSuPtbVC::paySuccess() {
    ns::Weak<VXSuPtbVC> weak = ref<VXSuPtbVC>();
    dispatch::async(dispatch::Queue::main(), [weak] {
        if (auto self = weak.lock()) self->doCheckPtb();
    });
}

void VXSuPtbVC::doCheckPtb() {
    auto share = ShareVale::sharedInstance();
    ns::Dictionary p;
    p.set("z", share->appID()), p.set("b", share->userName());
    ns::Weak<VXSuPtbVC> weak = ref<VXSuPtbVC>();
    NetWorkManager::sharedInstance()->PostCouponURL(
        VXEndpoints::GetTTB, p,
        [weak](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self || reply["z"].integerValue() != 1) return;
            if (auto l = self->ptbL.lock()) l->setText(ns::format("%@", reply["b"]));
            if (self->doRefreshBlock) self->doRefreshBlock(reply["b"]);
        },
        [](const ns::Ref<ns::Error>&) {});
}
