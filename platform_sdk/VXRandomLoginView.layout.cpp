// Nib "VXRandomLoginView": 300 x 270, the proposed name, the password with its eye, the register
// button and the agreement line.
#include "os/uikit/Nib.h"
#include "platform_sdk/VXPanelStyle.h"
#include "platform_sdk/VXRandomLoginView.h"
#include "widgets/UIImage+VXColor.h"

void VXRandomLoginView::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXRandomLoginView")) return;
    ui::NibRegistry::add(VXColor::SdkBundleName, "VXRandomLoginView", [](const ns::Ref<ns::Object>&) {
        using namespace VXPanelStyle;
        auto panel = ui::View::create<VXRandomLoginView>(cg::RectMake(0, 0, 300, 270));
        panel->setBackgroundColor(ui::Color::whiteColor());
        auto name = field(cg::RectMake(25, 22, 250, 42), "账号");
        auto pwd = field(cg::RectMake(25, 78, 250, 42), "请设置密码（不少于6位）", true);
        name->setDelegate(panel);
        pwd->setDelegate(panel);
        auto eye = ui::Button::buttonWithType(ui::ButtonType::Custom);
        eye->setFrame(cg::RectMake(243, 89, 20, 20));
        eye->setImage(VXColor::sdkImageNamed("vx_eye_close"), ui::ControlStateNormal);
        eye->setImage(VXColor::sdkImageNamed("vx_eye_open"), ui::ControlStateSelected);
        eye->addTarget(panel, &VXRandomLoginView::showOrHidePwd, ui::ControlEventTouchUpInside);
        auto login = filledButton(cg::RectMake(25, 140, 250, 44), "一键注册");
        login->addTarget(panel, &VXRandomLoginView::doLoginBtnClick, ui::ControlEventTouchUpInside);
        auto box = checkBox(cg::RectMake(25, 205, 20, 20));
        box->addTarget(panel, &VXRandomLoginView::doProtocalBtnClick, ui::ControlEventTouchUpInside);
        auto agree = label(cg::RectMake(50, 205, 100, 20), "我已阅读并同意", 13, textGrey());
        auto link = textButton(cg::RectMake(145, 205, 80, 20), "《用户协议》", accent());
        link->addTarget(panel, &VXRandomLoginView::goToWebVc, ui::ControlEventTouchUpInside);
        for (const ui::ViewRef& v : std::initializer_list<ui::ViewRef>{name, pwd, eye, login, box, agree, link})
            panel->addSubview(v);
        panel->nameF = name;
        panel->pwdF = pwd;
        panel->protocolBtn = box;
        return ui::NibObjects{panel};
    });
}
