#include "platform_sdk/user_center/VXSuBangView.h"

#include "os/foundation/Format.h"
#include "os/foundation/Strings.h"
#include "os/uikit/Nib.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"
#include "platform_sdk/VXLoginAPI.h"
#include "widgets/UIView+Extension.h"

namespace {
constexpr const char* kServerError = "服务器错误";
}

void VXSuPhoneCode::request(const ns::Ref<ui::View>& panel, const VXCountDownButtonRef& button,
                            const std::string& phone, const std::string& name, const std::string& type) {
    if (!button) return;
    // Off while the request is out, so a double tap sends one request and starts one countdown.
    button->setEnabled(false);
    ns::Weak<ui::View> weakPanel = panel;
    ns::Weak<VXCountDownButton> weakButton = button;
    VXLoginAPI::getSdkCodeWithNumber(
        phone, name, type,
        [weakPanel, weakButton](const ns::Ref<VXBaseResponse>& response) {
            auto panel = weakPanel.lock();
            auto button = weakButton.lock();
            if (!panel || !button) return;
            CXRMessage::showMessage(response ? response->mesage.stringValue() : std::nullopt, panel);
            button->setEnabled(false);
            button->setTitle(ns::format("剩余%d秒", 30), ui::ControlStateNormal);
            button->startWithSecond(30);
            button->didChange([](const VXCountDownButtonRef&, int seconds) { return ns::format("剩余%d秒", seconds); });
            button->didFinished([](const VXCountDownButtonRef& b, int) {
                b->setEnabled(true);
                return std::string("重新获取");
            });
        },
        [weakPanel, weakButton](const ns::Value& message) {
            auto panel = weakPanel.lock();
            auto button = weakButton.lock();
            if (!panel || !button) return;
            CXRMessage::showMessage(message.stringValue(), panel);
            button->setEnabled(true);
            button->setTitle(std::string("获取验证码"), ui::ControlStateNormal);
        });
}

std::string VXSuMaskedPhone(const std::string& number) {
    return ns::str::utf16SubstringTo(number, 3) + "****" + ns::str::utf16SubstringFrom(number, 7);
}

ns::Ref<VXSuBangView> VXSuBangView::fromXib() {
    registerInterfaceFile();
    return Extension::ViewFromXib<VXSuBangView>();
}

void VXSuBangView::doSendCode(const VXCountDownButtonRef& sender) {
    auto num = numF.lock();
    VXSuPhoneCode::request(ref<ui::View>(), sender, num ? num->text() : std::string(), std::string(), "4");
}

bool VXSuBangView::isOK() {
    auto num = numF.lock();
    auto code = codeF.lock();
    if (!num || ns::str::utf16Length(num->text()) != 11) {
        CXRMessage::showMessage(std::string("请输入正确的手机号"), ref<ui::View>());
        return false;
    }
    if (!code || code->text().empty()) {
        CXRMessage::showMessage(std::string("请输入验证码"), ref<ui::View>());
        return false;
    }
    return true;
}

void VXSuBangView::doCommit() {
    if (!isOK()) return;
    endEditing(true);
    auto share = ShareVale::sharedInstance();
    std::string tel = numF.lock()->text();
    ns::Dictionary p;
    p.set("username", share->userName()), p.set("tel", tel), p.set("newcode", codeF.lock()->text());
    p.set("cpsId", share->chanelid()), p.set("appid", share->appID());
    ns::Weak<VXSuBangView> weak = ref<VXSuBangView>();
    NetWorkManager::sharedInstance()->PostCouponURL(
        VXEndpoints::BindTel, p,
        [weak, tel](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self) return;
            // An undecodable reply arrives as nil: a failure, not a silent nothing.
            if (!reply.isDictionary()) return CXRMessage::showMessage(std::string(kServerError), self);
            if (reply["a"].integerValue() != 1) return CXRMessage::showMessage(reply["b"].stringValue(), self);
            if (self->backBlock) self->backBlock(VXSuMaskedPhone(tel));
            self->doClose();
        },
        [weak](const ns::Ref<ns::Error>&) {
            if (auto self = weak.lock()) CXRMessage::showMessage(std::string(kServerError), self);
        });
}

void VXSuBangView::doClose() {
    if (auto num = numF.lock()) num->setText("");
    if (auto code = codeF.lock()) code->setText("");
    auto keep = ref<VXSuBangView>();
    if (auto cover = superview()) cover->removeFromSuperview();
    removeFromSuperview();
}

bool VXSuBangView::shouldReturn(const ui::TextFieldRef& field) {
    field->resignFirstResponder();
    if (field == numF.lock())
        if (auto code = codeF.lock()) code->becomeFirstResponder();
    return true;
}

void VXSuBangView::touchesBegan(const ui::TouchSet&, const ui::EventRef&) { endEditing(true); }
