#include "platform_sdk/user_center/VXSuJieView.h"

#include "os/foundation/Log.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/NetWorkManager.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXEndpoints.h"
#include "widgets/UIView+Extension.h"

ns::Ref<VXSuJieView> VXSuJieView::fromXib() {
    registerInterfaceFile();
    return Extension::ViewFromXib<VXSuJieView>();
}

void VXSuJieView::doGetCode(const VXCountDownButtonRef& sender) {
    VXSuPhoneCode::request(ref<ui::View>(), sender, std::string(),
                           ShareVale::sharedInstance()->userName().value_or(""), "7");
}

void VXSuJieView::doCommit() {
    auto code = codeF.lock();
    if (!code || code->text().empty()) {
        CXRMessage::showMessage(std::string("请输入验证码"), ref<ui::View>());
        return;
    }
    endEditing(true);
    auto share = ShareVale::sharedInstance();
    ns::Dictionary p;
    p.set("code", code->text()), p.set("username", share->userName());
    p.set("cpsId", share->chanelid()), p.set("appid", share->appID());
    ns::Weak<VXSuJieView> weak = ref<VXSuJieView>();
    NetWorkManager::sharedInstance()->PostCouponURL(
        VXEndpoints::UnbindTel, p,
        [weak](const ns::Value& reply) {
            ns::log("结果 = %@", reply);
            auto self = weak.lock();
            if (!self) return;
            if (!reply.isDictionary()) return CXRMessage::showMessage(std::string("服务器错误"), self);
            if (reply["a"].integerValue() != 1) return CXRMessage::showMessage(reply["b"].stringValue(), self);
            if (self->backBlock) self->backBlock();
            self->doClose();
        },
        [weak](const ns::Ref<ns::Error>&) {
            if (auto self = weak.lock()) CXRMessage::showMessage(std::string("服务器错误"), self);
        });
}

void VXSuJieView::doClose() {
    if (auto code = codeF.lock()) code->setText("");
    auto keep = ref<VXSuJieView>();
    if (auto cover = superview()) cover->removeFromSuperview();
    removeFromSuperview();
}

bool VXSuJieView::shouldReturn(const ui::TextFieldRef& field) {
    field->resignFirstResponder();
    return true;
}

void VXSuJieView::touchesBegan(const ui::TouchSet&, const ui::EventRef&) { endEditing(true); }
