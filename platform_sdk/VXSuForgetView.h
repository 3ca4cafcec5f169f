#pragma once
// Password reset by SMS (300 x 310): phone, new password and code. On the login card it covers
// the panels; in the user centre it lies on a cover of its own that goes with it.

#include "os/uikit/Button.h"
#include "os/uikit/TextField.h"
#include "widgets/VXCountDownButton.h"

class VXSuForgetView;
using VXSuForgetViewRef = ns::Ref<VXSuForgetView>;

class VXSuForgetView : public ui::View, public ui::TextFieldDelegate {
public:
    static VXSuForgetViewRef fromXib();
    static void registerInterfaceFile();

    ns::Weak<ui::TextField> numF, pwdF, codeF;
    bool isShowCover = false;

    // Sends a code request for whatever the phone field holds (type "5").
    void doSendCode(const VXCountDownButtonRef& sender);
    void doCommit();
    void showPwdOrHide(const ui::ButtonRef& sender);
    // Empties the fields and removes the panel (and its cover first, when it has one).
    void doClose();
    bool isOK();

    bool shouldReturn(const ui::TextFieldRef& field) override;
    void touchesBegan(const ui::TouchSet& touches, const ui::EventRef& event) override;
};
