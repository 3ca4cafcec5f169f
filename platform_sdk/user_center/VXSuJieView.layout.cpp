// Interface file "VXSuJieView": title, code row with the countdown button, a hint, commit, close.
#include "os/uikit/Nib.h"
#include "platform_sdk/user_center/VXSuJieView.h"
#include "platform_sdk/user_center/VXSuPanelLayout.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

namespace L = VXSuPanelLayout;

void VXSuJieView::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXSuJieView")) return;
    VXUserCentreInterfaces::addNib("VXSuJieView", [](const ns::Ref<ns::Object>&) {
        auto panel = ui::View::create<VXSuJieView>({{0, 0}, {300, 220}});
        panel->setBackgroundColor(ui::Color::clearColor());
        auto card = L::card(panel->bounds());
        panel->addSubview(card);
        L::title(card, "解绑手机号");
        L::closeButton(card)->addTarget(panel, &VXSuJieView::doClose, ui::ControlEventTouchUpInside);
        card->addSubview(L::label({{25, 56}, {250, 20}}, "验证码将发送到已绑定的手机", 13, "#999999"));
        auto code = L::inputRow(card, {{25, 86}, {150, 44}}, "请输入验证码");
        auto send = ui::View::create<VXCountDownButton>({{185, 86}, {90, 44}});
        send->setTitle(std::string("获取验证码"), ui::ControlStateNormal);
        send->setTitleColor(XTExtention::colorWithHexString(L::Purple), ui::ControlStateNormal);
        send->setTitleColor(XTExtention::colorWithHexString("#999999"), ui::ControlStateDisabled);
        send->titleLabel()->setFont(ui::Font::systemFontOfSize(14));
        send->layer()->setBorderWidth(1);
        send->layer()->setBorderColor(XTExtention::colorWithHexString(L::Purple)->cgColor());
        send->layer()->setCornerRadius(6);
        send->addTarget(panel, &VXSuJieView::doGetCode, ui::ControlEventTouchUpInside);
        card->addSubview(send);
        L::commitButton(card, {{25, 152}, {250, 44}}, "解除绑定")
            ->addTarget(panel, &VXSuJieView::doCommit, ui::ControlEventTouchUpInside);
        code->setDelegate(panel);
        panel->codeF = code;
        return ui::NibObjects{panel};
    });
}
