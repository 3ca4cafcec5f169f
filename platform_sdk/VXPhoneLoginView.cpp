#include "platform_sdk/VXPhoneLoginView.h"

#include "os/foundation/Strings.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/VXCodeRequest.h"
#include "widgets/UIView+Extension.h"

VXPhoneLoginViewRef VXPhoneLoginView::fromXib() {
    registerInterfaceFile();
    return Extension::ViewFromXib<VXPhoneLoginView>();
}

void VXPhoneLoginView::loginBtnClick(const ui::ButtonRef&) {
    endEditing(true);
    if (!isOK() || !loginBlock) return;
    auto phone = phoneF.lock();
    auto code = codeF.lock();
    loginBlock(phone ? phone->text() : std::string(), code ? code->text() : std::string());
}

bool VXPhoneLoginView::isOK() {
    auto box = protocolBtn.lock();
    auto phone = phoneF.lock();
    auto code = codeF.lock();
    if (!box || !box->isSelected()) {
        CXRMessage::showMessage(std::string("请确认用户协议"), ref<VXPhoneLoginView>());
        return false;
    }
    if (!phone || ns::str::utf16Length(phone->text()) != 11) {
        CXRMessage::showMessage(std::string("请检查手机号"), ref<VXPhoneLoginView>());
        return false;
    }
    if (!code || code->text().empty()) {
        CXRMessage::showMessage(std::string("输入验证码"), ref<VXPhoneLoginView>());
        return false;
    }
    return true;
}

void VXPhoneLoginView::getCode(const VXCountDownButtonRef& sender) {
    auto phone = phoneF.lock();
    if (!phone || ns::str::utf16Length(phone->text()) != 11) {
        CXRMessage::showMessage(std::string("请检查手机号"), ref<VXPhoneLoginView>());
        return;
    }
    VXCodeRequest::send(sender, phone->text(), "8", ref<VXPhoneLoginView>());
}

void VXPhoneLoginView::doProtocalBtnClick(const ui::ButtonRef& sender) {
    if (sender) sender->setSelected(!sender->isSelected());
}

void VXPhoneLoginView::goToWebVc() {
    if (protocolBlock) protocolBlock();
}

bool VXPhoneLoginView::shouldReturn(const ui::TextFieldRef& field) {
    field->resignFirstResponder();
    if (field == phoneF.lock())
        if (auto next = codeF.lock()) next->becomeFirstResponder();
    return true;
}

void VXPhoneLoginView::touchesBegan(const ui::TouchSet&, const ui::EventRef&) { endEditing(true); }
