// Nib "VXLoginWebView": 300 x 310, a 44-pt title bar (back, title, browser button) over the page.
#include "os/uikit/Nib.h"
#include "platform_sdk/VXLoginWebView.h"
#include "platform_sdk/VXPanelStyle.h"
#include "widgets/UIImage+VXColor.h"

void VXLoginWebView::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXLoginWebView")) return;
    ui::NibRegistry::add(VXColor::SdkBundleName, "VXLoginWebView", [](const ns::Ref<ns::Object>&) {
        auto panel = ui::View::create<VXLoginWebView>(cg::RectMake(0, 0, 300, 310));
        panel->setBackgroundColor(ui::Color::whiteColor());
        auto back = ui::Button::buttonWithType(ui::ButtonType::Custom);
        back->setFrame(cg::RectMake(8, 9, 26, 26));
        back->setImage(VXColor::sdkImageNamed("VX_nav_back"), ui::ControlStateNormal);
        back->addTarget(panel, &VXLoginWebView::goBack, ui::ControlEventTouchUpInside);
        auto title = VXPanelStyle::label(cg::RectMake(40, 7, 220, 30), "", 17, ui::Color::blackColor());
        title->setTextAlignment(ui::TextAlignment::Center);
        auto more = ui::Button::buttonWithType(ui::ButtonType::Custom);
        more->setFrame(cg::RectMake(265, 9, 25, 25));
        more->setImage(VXColor::sdkImageNamed("vx_tab_webMore"), ui::ControlStateNormal);
        more->addTarget(panel, &VXLoginWebView::doMoreBtnClick, ui::ControlEventTouchUpInside);
        auto line = ui::View::create(cg::RectMake(0, 43.5, 300, 0.5));
        line->setBackgroundColor(ui::Color::lightGrayColor());
        auto web = ui::View::create<ui::WebView>(cg::RectMake(0, 44, 300, 266));
        web->setDelegate(panel);
        for (const ui::ViewRef& v : std::initializer_list<ui::ViewRef>{back, title, more, line, web}) panel->addSubview(v);
        panel->webView = web;
        panel->moreBtn = more;
        panel->titleL = title;
        return ui::NibObjects{panel};
    });
}
