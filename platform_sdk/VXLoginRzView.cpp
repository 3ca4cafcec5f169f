#include "platform_sdk/VXLoginRzView.h"

#include "os/uikit/Application.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXLoginAPI.h"
#include "widgets/UIView+Extension.h"

VXLoginRzViewRef VXLoginRzView::fromXib() {
    registerInterfaceFile();
    return Extension::ViewFromXib<VXLoginRzView>();
}

void VXLoginRzView::setLoginData(ns::Ref<LoginResult> data) {
    loginData_ = std::move(data);
    bool must = loginData_ && loginData_->isMustRZ;
    if (auto close = closeBtn.lock()) close->setHidden(must);
    if (auto left = rzBtnLeft.lock()) left->setConstant(must ? 15 : 157.5);
}

bool VXLoginRzView::isOK() {
    auto name = nameF.lock();
    auto code = codeF.lock();
    if (!name || name->text().empty()) {
        CXRMessage::showMessage(std::string("请输入姓名"), ref<VXLoginRzView>());
        return false;
    }
    if (!code || code->text().empty()) {
        CXRMessage::showMessage(std::string("请输入身份证号"), ref<VXLoginRzView>());
        return false;
    }
    return true;
}

void VXLoginRzView::doCommit() {
    // Without a cover of its own the panel shows no progress: a second tap would submit twice.
    if (submitting_ || !isOK()) return;
    submitting_ = true;
    ns::Weak<VXLoginRzView> weak = ref<VXLoginRzView>();
    VXLoginAPI::postRealNameToServerWithRealName(
        nameF.lock()->text(), codeF.lock()->text(),
        [weak](const ns::Ref<rzResult>& result) {
            auto self = weak.lock();
            if (!self) return;
            self->submitting_ = false;
            ShareVale::sharedInstance()->setIsRz(result->rzStatus);
            if (self->loginData_) {
                self->loginData_->isMustRZ = result->isMustRZ;
                self->loginData_->lmitTime = result->lmitTime;
                self->loginData_->rzStatus = result->rzStatus;
            }
            if (self->rzBlock) self->rzBlock();
            self->emptyFields();
            if (self->isShowCover)
                if (auto cover = self->superview()) cover->removeFromSuperview();
            self->removeFromSuperview();
        },
        [weak](const ns::Value& message) {
            auto self = weak.lock();
            if (!self) return;
            self->submitting_ = false;
            CXRMessage::showMessage(message.stringValue(), self);
        });
}

void VXLoginRzView::doClose() {
    auto keep = ref<VXLoginRzView>();
    emptyFields();
    if (isShowCover) {
        if (auto cover = superview()) cover->removeFromSuperview();
        removeFromSuperview();
        return;
    }
    if (rzBlock) rzBlock();
    removeFromSuperview();
}

void VXLoginRzView::showDetail() {
    if (goToDetail) goToDetail();
}

void VXLoginRzView::doReceive() {
    std::string box = ShareVale::sharedInstance()->iosWapBoxUrl().stringValue().value_or("");
    if (auto url = ns::URL::fromString(box); url && !box.empty()) ui::Application::shared().openURL(url);
}

void VXLoginRzView::emptyFields() {
    if (auto name = nameF.lock()) name->setText("");
    if (auto code = codeF.lock()) code->setText("");
}

bool VXLoginRzView::shouldReturn(const ui::TextFieldRef& field) {
    field->resignFirstResponder();
    if (field == nameF.lock())
        if (auto next = codeF.lock()) next->becomeFirstResponder();
    return true;
}

void VXLoginRzView::touchesBegan(const ui::TouchSet&, const ui::EventRef&) { endEditing(true); }
