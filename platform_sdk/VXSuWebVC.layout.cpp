// Storyboard "VXSuTabBarVC", scene "VXSuWebVC": a white page whose web view fills it.
#include "os/uikit/Screen.h"
#include "os/uikit/Storyboard.h"
#include "platform_sdk/VXSuWebVC.h"
#include "widgets/UIImage+VXColor.h"

namespace {

class WebPageView : public ui::View {
public:
    void layoutSubviews() override {
        ui::View::layoutSubviews();
        for (const auto& sub : subviews())
            if (std::dynamic_pointer_cast<ui::WebView>(sub)) sub->setFrame(bounds());
    }
};

} // namespace

void VXSuWebVC::registerInterfaceFile() {
    if (ui::StoryboardRegistry::contains(VXColor::SdkBundleName, "VXSuTabBarVC", "VXSuWebVC")) return;
    ui::StoryboardRegistry::addScene(VXColor::SdkBundleName, "VXSuTabBarVC", "VXSuWebVC", {
        [] { return ui::ViewController::create<VXSuWebVC>(); },
        [](ui::ViewController& controller) {
            auto& page = static_cast<VXSuWebVC&>(controller);
            auto root = ui::View::create<WebPageView>(ui::Screen::mainScreen().bounds());
            root->setBackgroundColor(ui::Color::whiteColor());
            auto web = ui::View::create<ui::WebView>(root->bounds());
            web->setDelegate(page.ref<VXSuWebVC>());
            root->addSubview(web);
            page.webView = web;
            page.setView(root);
        },
    });
}
