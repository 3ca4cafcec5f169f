#include "platform_sdk/user_center/VXSuRzView.h"

#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXLoginAPI.h"
#include "widgets/UIView+Extension.h"

ns::Ref<VXSuRzView> VXSuRzView::fromXib() {
    registerInterfaceFile();
    return Extension::ViewFromXib<VXSuRzView>();
}

bool VXSuRzView::isOK() {
    auto name = nameF.lock();
    auto code = codeF.lock();
    if (!name || name->text().empty()) {
        CXRMessage::showMessage(std::string("请输入姓名"), ref<ui::View>());
        return false;
    }
    if (!code || code->text().empty()) {
        CXRMessage::showMessage(std::string("请输入身份证号"), ref<ui::View>());
        return false;
    }
    return true;
}

void VXSuRzView::doCommit() {
    if (submitting_ || !isOK()) return;
    endEditing(true);
    submitting_ = true;
    ns::Weak<VXSuRzView> weak = ref<VXSuRzView>();
    VXLoginAPI::postRealNameToServerWithRealName(
        nameF.lock()->text(), codeF.lock()->text(),
        [weak](const ns::Ref<rzResult>& result) {
            auto self = weak.lock();
            if (!self) return;
            self->submitting_ = false;
            if (result) ShareVale::sharedInstance()->setIsRz(result->rzStatus);
            if (self->rzBlock) self->rzBlock();
            self->doClose();
        },
        [weak](const ns::Value& message) {
            auto self = weak.lock();
            if (!self) return;
            self->submitting_ = false;
            CXRMessage::showMessage(message.stringValue(), self);
        });
}

void VXSuRzView::doClose() {
    if (auto name = nameF.lock()) name->setText("");
    if (auto code = codeF.lock()) code->setText("");
    auto keep = ref<VXSuRzView>();
    if (auto cover = superview()) cover->removeFromSuperview();
    removeFromSuperview();
}

bool VXSuRzView::shouldReturn(const ui::TextFieldRef& field) {
    field->resignFirstResponder();
    if (field == nameF.lock())
        if (auto code = codeF.lock()) code->becomeFirstResponder();
    return true;
}

void VXSuRzView::touchesBegan(const ui::TouchSet&, const ui::EventRef&) { endEditing(true); }
