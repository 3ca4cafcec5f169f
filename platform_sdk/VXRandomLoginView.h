#pragma once
// Login panel: one-tap registration with an account name proposed by the server, a password with
// a show/hide toggle, and the agreement box and link.

#include "os/uikit/Button.h"
#include "os/uikit/TextField.h"

#include <functional>
#include <string>

class VXRandomLoginView;
using VXRandomLoginViewRef = ns::Ref<VXRandomLoginView>;

class VXRandomLoginView : public ui::View, public ui::TextFieldDelegate {
public:
    using LoginBlock = std::function<void(const std::string& name, const std::string& password)>;

    static VXRandomLoginViewRef fromXib();
    static void registerInterfaceFile();

    ns::Weak<ui::TextField> nameF, pwdF;
    ns::Weak<ui::Button> protocolBtn;
    LoginBlock loginBlock;
    std::function<void()> protocolBlock;

    // Asks the server for a free account name ("login/oneRegister" with the app id).
    void awakeFromNib() override;
    void doLoginBtnClick(const ui::ButtonRef& sender);
    void showOrHidePwd(const ui::ButtonRef& sender);
    void doProtocalBtnClick(const ui::ButtonRef& sender);
    void goToWebVc();
    bool isOK();

    bool shouldReturn(const ui::TextFieldRef& field) override;
    void touchesBegan(const ui::TouchSet& touches, const ui::EventRef& event) override;
};
