// Nib "VXQuickLoginView": 300 x 270 with one button into the box app.
#include "os/uikit/Nib.h"
#include "platform_sdk/VXPanelStyle.h"
#include "platform_sdk/VXQuickLoginView.h"
#include "widgets/UIImage+VXColor.h"

void VXQuickLoginView::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXQuickLoginView")) return;
    ui::NibRegistry::add(VXColor::SdkBundleName, "VXQuickLoginView", [](const ns::Ref<ns::Object>&) {
        auto panel = ui::View::create<VXQuickLoginView>(cg::RectMake(0, 0, 300, 270));
        panel->setBackgroundColor(ui::Color::whiteColor());
        auto button = VXPanelStyle::filledButton(cg::RectMake(25, 113, 250, 44), "盒子快捷登录");
        button->addTarget(panel, &VXQuickLoginView::doBtnClick, ui::ControlEventTouchUpInside);
        panel->addSubview(button);
        return ui::NibObjects{panel};
    });
}
