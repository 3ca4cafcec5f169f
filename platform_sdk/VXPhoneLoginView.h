#pragma once
// Login panel: phone number and SMS code (30 s countdown), with the agreement box and link.

#include "os/uikit/Button.h"
#include "os/uikit/TextField.h"
#include "widgets/VXCountDownButton.h"

#include <functional>
#include <string>

class VXPhoneLoginView;
using VXPhoneLoginViewRef = ns::Ref<VXPhoneLoginView>;

class VXPhoneLoginView : public ui::View, public ui::TextFieldDelegate {
public:
    using LoginBlock = std::function<void(const std::string& phone, const std::string& code)>;

    // A new panel from the nib "VXPhoneLoginView" of the SDK bundle.
    static VXPhoneLoginViewRef fromXib();
    static void registerInterfaceFile();

    ns::Weak<ui::TextField> phoneF, codeF;
    // The agreement box: selected means accepted.
    ns::Weak<ui::Button> protocolBtn;
    LoginBlock loginBlock;
    std::function<void()> protocolBlock;

    void loginBtnClick(const ui::ButtonRef& sender);
    void getCode(const VXCountDownButtonRef& sender);
    void doProtocalBtnClick(const ui::ButtonRef& sender);
    void goToWebVc();
    bool isOK();

    bool shouldReturn(const ui::TextFieldRef& field) override;
    void touchesBegan(const ui::TouchSet& touches, const ui::EventRef& event) override;
};
