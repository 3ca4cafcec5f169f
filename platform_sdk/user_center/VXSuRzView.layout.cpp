// Interface file "VXSuRzView": title, name row, identity-card row, a hint, commit, close.
#include "os/uikit/Nib.h"
#include "platform_sdk/user_center/VXSuPanelLayout.h"
#include "platform_sdk/user_center/VXSuRzView.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "widgets/UIImage+VXColor.h"

namespace L = VXSuPanelLayout;

void VXSuRzView::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXSuRzView")) return;
    VXUserCentreInterfaces::addNib("VXSuRzView", [](const ns::Ref<ns::Object>&) {
        auto panel = ui::View::create<VXSuRzView>({{0, 0}, {300, 280}});
        panel->setBackgroundColor(ui::Color::clearColor());
        auto card = L::card(panel->bounds());
        panel->addSubview(card);
        L::title(card, "实名认证");
        L::closeButton(card)->addTarget(panel, &VXSuRzView::doClose, ui::ControlEventTouchUpInside);
        auto name = L::inputRow(card, {{25, 62}, {250, 44}}, "请输入真实姓名");
        auto code = L::inputRow(card, {{25, 118}, {250, 44}}, "请输入身份证号");
        card->addSubview(L::label({{25, 170}, {250, 20}}, "信息仅用于防沉迷认证", 13, "#999999"));
        L::commitButton(card, {{25, 210}, {250, 44}}, "提交认证")
            ->addTarget(panel, &VXSuRzView::doCommit, ui::ControlEventTouchUpInside);
        name->setDelegate(panel);
        code->setDelegate(panel);
        panel->nameF = name;
        panel->codeF = code;
        return ui::NibObjects{panel};
    });
}
