// Nib "VXSuForgetView": 300 x 310, a title row with the close button, phone, new password (with
// the eye), code (with the code button) and the submit button.
#include "os/uikit/Nib.h"
#include "platform_sdk/VXPanelStyle.h"
#include "platform_sdk/VXSuForgetView.h"
#include "widgets/UIImage+VXColor.h"

void VXSuForgetView::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXSuForgetView")) return;
    ui::NibRegistry::add(VXColor::SdkBundleName, "VXSuForgetView", [](const ns::Ref<ns::Object>&) {
        using namespace VXPanelStyle;
        auto panel = ui::View::create<VXSuForgetView>(cg::RectMake(0, 0, 300, 310));
        panel->setBackgroundColor(ui::Color::whiteColor());
        auto title = label(cg::RectMake(0, 10, 300, 30), "找回密码", 17, ui::Color::blackColor());
        title->setTextAlignment(ui::TextAlignment::Center);
        auto close = textButton(cg::RectMake(255, 10, 35, 30), "×", textGrey(), 18);
        close->addTarget(panel, &VXSuForgetView::doClose, ui::ControlEventTouchUpInside);
        auto num = field(cg::RectMake(25, 52, 250, 42), "请输入绑定的手机号");
        auto pwd = field(cg::RectMake(25, 104, 250, 42), "请输入新密码", true);
        auto eye = ui::Button::buttonWithType(ui::ButtonType::Custom);
        eye->setFrame(cg::RectMake(243, 115, 20, 20));
        eye->setImage(VXColor::sdkImageNamed("vx_eye_close"), ui::ControlStateNormal);
        eye->setImage(VXColor::sdkImageNamed("vx_eye_open"), ui::ControlStateSelected);
        eye->addTarget(panel, &VXSuForgetView::showPwdOrHide, ui::ControlEventTouchUpInside);
        auto code = field(cg::RectMake(25, 156, 150, 42), "请输入验证码");
        auto codeBtn = ui::View::create<VXCountDownButton>(cg::RectMake(183, 156, 92, 42));
        codeBtn->setTitle(std::string("获取验证码"), ui::ControlStateNormal);
        codeBtn->setTitleColor(accent(), ui::ControlStateNormal);
        codeBtn->titleLabel()->setFont(ui::Font::systemFontOfSize(14));
        codeBtn->layer()->setBorderWidth(1);
        codeBtn->layer()->setBorderColor(accent()->cgColor());
        codeBtn->layer()->setCornerRadius(4);
        codeBtn->addTarget(panel, &VXSuForgetView::doSendCode, ui::ControlEventTouchUpInside);
        auto commit = filledButton(cg::RectMake(25, 222, 250, 44), "确认修改");
        commit->addTarget(panel, &VXSuForgetView::doCommit, ui::ControlEventTouchUpInside);
        for (const auto& f : {num, pwd, code}) f->setDelegate(panel);
        for (const ui::ViewRef& v : std::initializer_list<ui::ViewRef>{title, close, num, pwd, eye, code, codeBtn, commit})
            panel->addSubview(v);
        panel->numF = num;
        panel->pwdF = pwd;
        panel->codeF = code;
        return ui::NibObjects{panel};
    });
}
