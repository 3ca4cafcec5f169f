#include "platform_sdk/VXSuForgetView.h"

#include "os/dispatch/Queue.h"
#include "os/foundation/Strings.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/VXCodeRequest.h"
#include "platform_sdk/VXEndpoints.h"
#include "widgets/UIView+Extension.h"

VXSuForgetViewRef VXSuForgetView::fromXib() {
    registerInterfaceFile();
    return Extension::ViewFromXib<VXSuForgetView>();
}

void VXSuForgetView::doSendCode(const VXCountDownButtonRef& sender) {
    auto num = numF.lock();
    VXCodeRequest::send(sender, num ? num->text() : std::string(), "5", ref<VXSuForgetView>());
}

void VXSuForgetView::doCommit() {
    if (!isOK()) return;
    ns::Dictionary p;
    p.set("phone", numF.lock()->text()), p.set("yzm", codeF.lock()->text()), p.set("password", pwdF.lock()->text());
    ns::Weak<VXSuForgetView> weak = ref<VXSuForgetView>();
    NetWorkManager::sharedInstance()->PostCouponURL(
        VXEndpoints::ForgetPassword, p,
        [weak](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self) return;
            CXRMessage::showMessage(reply["b"].stringValue(), self);
            if (reply["a"].integerValue() != 1) return;
            dispatch::after(0.5, dispatch::Queue::main(), [weak] {
                if (auto panel = weak.lock()) panel->doClose();
            });
        },
        [weak](const ns::Ref<ns::Error>&) {
            if (auto self = weak.lock()) CXRMessage::showMessage(std::string("服务器错误"), self);
        });
}

void VXSuForgetView::showPwdOrHide(const ui::ButtonRef& sender) {
    if (!sender) return;
    sender->setSelected(!sender->isSelected());
    if (auto pwd = pwdF.lock()) pwd->setSecureTextEntry(!sender->isSelected());
}

void VXSuForgetView::doClose() {
    auto keep = ref<VXSuForgetView>();
    for (const auto& weak : {numF, pwdF, codeF})
        if (auto f = weak.lock()) f->setText("");
    if (isShowCover)
        if (auto cover = superview()) cover->removeFromSuperview();
    removeFromSuperview();
}

bool VXSuForgetView::isOK() {
    auto num = numF.lock();
    auto pwd = pwdF.lock();
    auto code = codeF.lock();
    if (!num || ns::str::utf16Length(num->text()) != 11) {
        CXRMessage::showMessage(std::string("请输入正确的手机号"), ref<VXSuForgetView>());
        return false;
    }
    if (!pwd || ns::str::utf16Length(pwd->text()) < 6) {
        CXRMessage::showMessage(std::string("密码不少于6位"), ref<VXSuForgetView>());
        return false;
    }
    if (!code || code->text().empty()) {
        CXRMessage::showMessage(std::string("请输入验证码"), ref<VXSuForgetView>());
        return false;
    }
    return true;
}

bool VXSuForgetView::shouldReturn(const ui::TextFieldRef& field) {
    field->resignFirstResponder();
    ui::TextFieldRef next;
    if (field == numF.lock()) next = pwdF.lock();
    else if (field == pwdF.lock()) next = codeF.lock();
    if (next) next->becomeFirstResponder();
    return true;
}

void VXSuForgetView::touchesBegan(const ui::TouchSet&, const ui::EventRef&) { endEditing(true); }
