#include "platform_sdk/VXPwdLoginView.h"

#include "os/foundation/Strings.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/ShareVale.h"
#include "widgets/UIView+Extension.h"

VXPwdLoginViewRef VXPwdLoginView::fromXib() {
    registerInterfaceFile();
    return Extension::ViewFromXib<VXPwdLoginView>();
}

void VXPwdLoginView::awakeFromNib() {
    ui::View::awakeFromNib();
    auto stored = ShareVale::sharedInstance()->userName();
    if (auto name = nameF.lock(); name && stored && !stored->empty()) name->setText(*stored);
}

const VXSuForgetViewRef& VXPwdLoginView::forgetView() {
    if (!forgetView_) {
        forgetView_ = VXSuForgetView::fromXib();
        if (forgetView_) forgetView_->setFrame(cg::RectMake(0, 0, 300, 310));
    }
    return forgetView_;
}

void VXPwdLoginView::loginBtnClick(const ui::ButtonRef&) {
    endEditing(true);
    if (!isOK() || !loginBlock) return;
    auto name = nameF.lock();
    auto pwd = pwdF.lock();
    loginBlock(name ? name->text() : std::string(), pwd ? pwd->text() : std::string());
}

void VXPwdLoginView::forgetPwd() {
    auto card = loginView.lock();
    if (card && forgetView()) card->addSubview(forgetView());
}

bool VXPwdLoginView::isOK() {
    auto name = nameF.lock();
    auto pwd = pwdF.lock();
    if (!name || ns::str::utf16Length(name->text()) < 6) {
        CXRMessage::showMessage(std::string("用户名不少于6位"), ref<VXPwdLoginView>());
        return false;
    }
    if (!pwd || pwd->text().empty()) {
        CXRMessage::showMessage(std::string("请输入密码"), ref<VXPwdLoginView>());
        return false;
    }
    return true;
}

bool VXPwdLoginView::shouldReturn(const ui::TextFieldRef& field) {
    field->resignFirstResponder();
    if (field == nameF.lock())
        if (auto next = pwdF.lock()) next->becomeFirstResponder();
    return true;
}

void VXPwdLoginView::touchesBegan(const ui::TouchSet&, const ui::EventRef&) { endEditing(true); }
