// Nib "VXPhoneLoginView": 300 x 270, phone and code fields, the code button, the login button and
// the agreement line.
#include "os/uikit/Nib.h"
#include "platform_sdk/VXPanelStyle.h"
#include "platform_sdk/VXPhoneLoginView.h"
#include "widgets/UIImage+VXColor.h"

void VXPhoneLoginView::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXPhoneLoginView")) return;
    ui::NibRegistry::add(VXColor::SdkBundleName, "VXPhoneLoginView", [](const ns::Ref<ns::Object>&) {
        using namespace VXPanelStyle;
        auto panel = ui::View::create<VXPhoneLoginView>(cg::RectMake(0, 0, 300, 270));
        panel->setBackgroundColor(ui::Color::whiteColor());
        auto phone = field(cg::RectMake(25, 22, 250, 42), "请输入手机号");
        auto code = field(cg::RectMake(25, 78, 150, 42), "请输入验证码");
        phone->setDelegate(panel);
        code->setDelegate(panel);
        auto codeBtn = ui::View::create<VXCountDownButton>(cg::RectMake(183, 78, 92, 42));
        codeBtn->setTitle(std::string("获取验证码"), ui::ControlStateNormal);
        codeBtn->setTitleColor(accent(), ui::ControlStateNormal);
        codeBtn->setTitleColor(textGrey(), ui::ControlStateDisabled);
        codeBtn->titleLabel()->setFont(ui::Font::systemFontOfSize(14));
        codeBtn->layer()->setBorderWidth(1);
        codeBtn->layer()->setBorderColor(accent()->cgColor());
        codeBtn->layer()->setCornerRadius(4);
        codeBtn->addTarget(panel, &VXPhoneLoginView::getCode, ui::ControlEventTouchUpInside);
        auto login = filledButton(cg::RectMake(25, 140, 250, 44), "登录");
        login->addTarget(panel, &VXPhoneLoginView::loginBtnClick, ui::ControlEventTouchUpInside);
        auto box = checkBox(cg::RectMake(25, 205, 20, 20));
        box->addTarget(panel, &VXPhoneLoginView::doProtocalBtnClick, ui::ControlEventTouchUpInside);
        auto agree = label(cg::RectMake(50, 205, 100, 20), "我已阅读并同意", 13, textGrey());
        auto link = textButton(cg::RectMake(145, 205, 80, 20), "《用户协议》", accent());
        link->addTarget(panel, &VXPhoneLoginView::goToWebVc, ui::ControlEventTouchUpInside);
        for (const ui::ViewRef& v : std::initializer_list<ui::ViewRef>{phone, code, codeBtn, login, box, agree, link})
            panel->addSubview(v);
        panel->phoneF = phone;
        panel->codeF = code;
        panel->protocolBtn = box;
        return ui::NibObjects{panel};
    });
}
