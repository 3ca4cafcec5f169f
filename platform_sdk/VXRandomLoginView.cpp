#include "platform_sdk/VXRandomLoginView.h"

#include "os/foundation/Strings.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"
#include "widgets/UIView+Extension.h"

VXRandomLoginViewRef VXRandomLoginView::fromXib() {
    registerInterfaceFile();
    return Extension::ViewFromXib<VXRandomLoginView>();
}

void VXRandomLoginView::awakeFromNib() {
    ui::View::awakeFromNib();
    ns::Weak<VXRandomLoginView> weak = ref<VXRandomLoginView>();
    NetWorkManager::sharedInstance()->PostCouponURL(
        VXEndpoints::OneRegister, ns::Dictionary{{"z", ShareVale::sharedInstance()->appID()}},
        [weak](const ns::Value& reply) {
            auto self = weak.lock();
            if (!self || reply["z"].integerValue() != 1) return;
            if (auto name = self->nameF.lock()) name->setText(reply["b"].stringValue().value_or(""));
        },
        [](const ns::Ref<ns::Error>&) {});
}

void VXRandomLoginView::doLoginBtnClick(const ui::ButtonRef&) {
    endEditing(true);
    if (!isOK() || !loginBlock) return;
    auto name = nameF.lock();
    auto pwd = pwdF.lock();
    loginBlock(name ? name->text() : std::string(), pwd ? pwd->text() : std::string());
}

bool VXRandomLoginView::isOK() {
    auto box = protocolBtn.lock();
    auto name = nameF.lock();
    auto pwd = pwdF.lock();
    if (!box || !box->isSelected()) {
        CXRMessage::showMessage(std::string("请确认用户协议"), ref<VXRandomLoginView>());
        return false;
    }
    if (!name || ns::str::utf16Length(name->text()) < 6) {
        CXRMessage::showMessage(std::string("用户名不少于6位"), ref<VXRandomLoginView>());
        return false;
    }
    if (!pwd || ns::str::utf16Length(pwd->text()) < 6) {
        CXRMessage::showMessage(std::string("密码不能少于6位"), ref<VXRandomLoginView>());
        return false;
    }
    return true;
}

void VXRandomLoginView::showOrHidePwd(const ui::ButtonRef& sender) {
    if (!sender) return;
    sender->setSelected(!sender->isSelected());
    if (auto pwd = pwdF.lock()) pwd->setSecureTextEntry(!sender->isSelected());
}

void VXRandomLoginView::doProtocalBtnClick(const ui::ButtonRef& sender) {
    if (sender) sender->setSelected(!sender->isSelected());
}

void VXRandomLoginView::goToWebVc() {
    if (protocolBlock) protocolBlock();
}

bool VXRandomLoginView::shouldReturn(const ui::TextFieldRef& field) {
    field->resignFirstResponder();
    if (field == nameF.lock())
        if (auto next = pwdF.lock()) next->becomeFirstResponder();
    return true;
}

void VXRandomLoginView::touchesBegan(const ui::TouchSet&, const ui::EventRef&) { endEditing(true); }
