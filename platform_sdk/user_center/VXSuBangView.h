#pragma once
// The mine page's bind-phone panel, loaded from its interface file and shown on the page's dimming
// cover: number, SMS code with a countdown button, commit. It reports the masked number to the page
// through backBlock and closes itself together with the cover. Toasts go on the panel.

#include "os/uikit/TextField.h"
#include "os/uikit/View.h"
#include "widgets/VXCountDownButton.h"

#include <functional>
#include <string>

// The countdown shared by both panels' code buttons.
namespace VXSuPhoneCode {
// Asks for an SMS code with the button disabled while the request is out; on success the button
// counts down from 30 ("剩余%d秒", then "重新获取"), on failure it is enabled again at once
// ("获取验证码"). Toasts go on the panel.
void request(const ns::Ref<ui::View>& panel, const VXCountDownButtonRef& button, const std::string& phone,
             const std::string& name, const std::string& type);
} // namespace VXSuPhoneCode

class VXSuBangView : public ui::View, public ui::TextFieldDelegate {
public:
    // A new panel from the interface file "VXSuBangView".
    static ns::Ref<VXSuBangView> fromXib();
    static void registerInterfaceFile();

    ns::Weak<ui::TextField> numF, codeF;
    // Receives the masked number ("138****1234") after a successful binding.
    std::function<void(const std::string& masked)> backBlock;

    // The code goes to the typed number, unchecked (type "4").
    void doSendCode(const VXCountDownButtonRef& sender);
    void doCommit();
    // Empties both fields, removes the cover (the superview), then the panel.
    void doClose();
    bool isOK();

    bool shouldReturn(const ui::TextFieldRef& field) override;
    void touchesBegan(const ui::TouchSet& touches, const ui::EventRef& event) override;
};

// "%@****%@" of the first three UTF-16 units and the units from index 7; never splits a
// surrogate pair.
std::string VXSuMaskedPhone(const std::string& number);
