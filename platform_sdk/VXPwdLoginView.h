#pragma once
// Login panel: account name and password, with the way into the password reset.

#include "os/uikit/Button.h"
#include "os/uikit/TextField.h"
#include "platform_sdk/VXSuForgetView.h"

#include <functional>
#include <string>

class VXPwdLoginView;
using VXPwdLoginViewRef = ns::Ref<VXPwdLoginView>;

class VXPwdLoginView : public ui::View, public ui::TextFieldDelegate {
public:
    using LoginBlock = std::function<void(const std::string& name, const std::string& password)>;

    static VXPwdLoginViewRef fromXib();
    static void registerInterfaceFile();

    ns::Weak<ui::TextField> nameF, pwdF;
    LoginBlock loginBlock;
    // The view that receives the reset panel (the login card).
    ns::Weak<ui::View> loginView;
    // The reset panel, made on first access at (0, 0, 300, 310).
    const VXSuForgetViewRef& forgetView();

    // The name field starts with the stored user name.
    void awakeFromNib() override;
    void loginBtnClick(const ui::ButtonRef& sender);
    void forgetPwd();
    bool isOK();

    bool shouldReturn(const ui::TextFieldRef& field) override;
    void touchesBegan(const ui::TouchSet& touches, const ui::EventRef& event) override;

private:
    VXSuForgetViewRef forgetView_;
};
