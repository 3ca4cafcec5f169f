// Interface file "VXSuBangView": title, number row, code row with the countdown button, commit, close.
#include "os/uikit/Nib.h"
#include "platform_sdk/user_center/VXSuBangView.h"
#include "platform_sdk/user_center/VXSuPanelLayout.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

namespace L = VXSuPanelLayout;

void VXSuBangView::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXSuBangView")) return;
    VXUserCentreInterfaces::addNib("VXSuBangView", [](const ns::Ref<ns::Object>&) {
        auto panel = ui::View::create<VXSuBangView>({{0, 0}, {300, 250}});
        panel->setBackgroundColor(ui::Color::clearColor());
        auto card = L::card(panel->bounds());
        panel->addSubview(card);
        L::title(card, "绑定手机号");
        L::closeButton(card)->addTarget(panel, &VXSuBangView::doClose, ui::ControlEventTouchUpInside);
        auto num = L::inputRow(card, {{25, 62}, {250, 44}}, "请输入手机号");
        num->setKeyboardType(ui::KeyboardType::NumberPad);
        auto code = L::inputRow(card, {{25, 118}, {150, 44}}, "请输入验证码");
        auto send = ui::View::create<VXCountDownButton>({{185, 118}, {90, 44}});
        send->setTitle(std::string("获取验证码"), ui::ControlStateNormal);
        send->setTitleColor(XTExtention::colorWithHexString(L::Purple), ui::ControlStateNormal);
        send->setTitleColor(XTExtention::colorWithHexString("#999999"), ui::ControlStateDisabled);
        send->titleLabel()->setFont(ui::Font::systemFontOfSize(14));
        send->layer()->setBorderWidth(1);
        send->layer()->setBorderColor(XTExtention::colorWithHexString(L::Purple)->cgColor());
        send->layer()->setCornerRadius(6);
        send->addTarget(panel, &VXSuBangView::doSendCode, ui::ControlEventTouchUpInside);
        card->addSubview(send);
        L::commitButton(card, {{25, 184}, {250, 44}}, "确定")
            ->addTarget(panel, &VXSuBangView::doCommit, ui::ControlEventTouchUpInside);
        num->setDelegate(panel);
        code->setDelegate(panel);
        panel->numF = num;
        panel->codeF = code;
        return ui::NibObjects{panel};
    });
}
