#include "platform_sdk/VXCodeRequest.h"

#include "os/foundation/Format.h"
#include "platform_sdk/CXRMessage.h"
#include "platform_sdk/VXLoginAPI.h"

namespace VXCodeRequest {

void send(const VXCountDownButtonRef& button, const std::optional<std::string>& phone, const std::string& type,
          const ui::ViewRef& panel) {
    if (!button) return;
    button->setEnabled(false);
    ns::Weak<VXCountDownButton> weakButton = button;
    ns::Weak<ui::View> weakPanel = panel;
    VXLoginAPI::getSdkCodeWithNumber(
        phone, std::string(), type,
        [weakButton, weakPanel](const ns::Ref<VXBaseResponse>& result) {
            auto b = weakButton.lock();
            if (auto p = weakPanel.lock(); p && result) CXRMessage::showMessage(result->mesage.stringValue(), p);
            if (!b) return;
            b->setEnabled(false);
            b->setTitle(ns::format("剩余%d秒", 30), ui::ControlStateNormal);
            b->didChange([](const VXCountDownButtonRef&, int seconds) { return ns::format("剩余%d秒", seconds); });
            b->didFinished([](const VXCountDownButtonRef& finished, int) {
                if (finished) finished->setEnabled(true);
                return std::string("重新获取");
            });
            b->startWithSecond(30);
        },
        [weakButton, weakPanel](const ns::Value& message) {
            if (auto p = weakPanel.lock()) CXRMessage::showMessage(message.stringValue(), p);
            if (auto b = weakButton.lock()) {
                b->setEnabled(true);
                b->setTitle(std::string("获取验证码"), ui::ControlStateNormal);
            }
        });
}

} // namespace VXCodeRequest
