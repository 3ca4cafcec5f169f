// Storyboard "VXUserShow", scene "VXNoticeVC": a clear full-screen view with a centred white box
// (title, the notice text, the close button), so the dimmed game shows around it.
#include "os/uikit/Screen.h"
#include "os/uikit/Storyboard.h"
#include "platform_sdk/VXNoticeVC.h"
#include "platform_sdk/VXPanelStyle.h"
#include "widgets/UIImage+VXColor.h"

void VXNoticeVC::registerInterfaceFile() {
    if (ui::StoryboardRegistry::contains(VXColor::SdkBundleName, "VXUserShow", "VXNoticeVC")) return;
    ui::StoryboardRegistry::addScene(VXColor::SdkBundleName, "VXUserShow", "VXNoticeVC", {
        [] { return ui::ViewController::create<VXNoticeVC>(); },
        [](ui::ViewController& controller) {
            auto& notice = static_cast<VXNoticeVC&>(controller);
            cg::Rect screen = ui::Screen::mainScreen().bounds();
            auto root = ui::View::create(screen);
            root->setBackgroundColor(ui::Color::clearColor());
            auto box = ui::View::create(cg::RectMake((screen.size.width - 300) / 2, (screen.size.height - 360) / 2, 300, 360));
            box->setBackgroundColor(ui::Color::whiteColor());
            box->layer()->setCornerRadius(8);
            box->setClipsToBounds(true);
            auto title = VXPanelStyle::label(cg::RectMake(0, 12, 300, 28), "公告", 17, ui::Color::blackColor());
            title->setTextAlignment(ui::TextAlignment::Center);
            auto text = ui::View::create<ui::TextView>(cg::RectMake(15, 48, 270, 240));
            text->setFont(ui::Font::systemFontOfSize(14));
            auto close = VXPanelStyle::filledButton(cg::RectMake(25, 300, 250, 44), "我知道了");
            close->addTarget(notice.ref<VXNoticeVC>(), &VXNoticeVC::doCloseBtnClick, ui::ControlEventTouchUpInside);
            box->addSubview(title);
            box->addSubview(text);
            box->addSubview(close);
            root->addSubview(box);
            notice.textView = text;
            notice.setView(root);
        },
    });
}
