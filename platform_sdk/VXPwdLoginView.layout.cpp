// Nib "VXPwdLoginView": 300 x 270, name and password fields, the login button and the reset link.
#include "os/uikit/Nib.h"
#include "platform_sdk/VXPanelStyle.h"
#include "platform_sdk/VXPwdLoginView.h"
#include "widgets/UIImage+VXColor.h"

void VXPwdLoginView::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXPwdLoginView")) return;
    ui::NibRegistry::add(VXColor::SdkBundleName, "VXPwdLoginView", [](const ns::Ref<ns::Object>&) {
        using namespace VXPanelStyle;
        auto panel = ui::View::create<VXPwdLoginView>(cg::RectMake(0, 0, 300, 270));
        panel->setBackgroundColor(ui::Color::whiteColor());
        auto name = field(cg::RectMake(25, 22, 250, 42), "请输入账号");
        auto pwd = field(cg::RectMake(25, 78, 250, 42), "请输入密码", true);
        name->setDelegate(panel);
        pwd->setDelegate(panel);
        auto login = filledButton(cg::RectMake(25, 140, 250, 44), "登录");
        login->addTarget(panel, &VXPwdLoginView::loginBtnClick, ui::ControlEventTouchUpInside);
        auto forget = textButton(cg::RectMake(195, 200, 80, 24), "忘记密码？", accent());
        forget->addTarget(panel, &VXPwdLoginView::forgetPwd, ui::ControlEventTouchUpInside);
        for (const ui::ViewRef& v : std::initializer_list<ui::ViewRef>{name, pwd, login, forget}) panel->addSubview(v);
        panel->nameF = name;
        panel->pwdF = pwd;
        return ui::NibObjects{panel};
    });
}
