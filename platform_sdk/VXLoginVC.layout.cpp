// Storyboard "VXUserShow", scene "VXLoginVC": a clear full-screen view holding the card (300 x
// 310, centred): the row of three type buttons (tags 10, 11, 12) with the marker under the
// selected one, and the 300-pt pager below it.
#include "os/uikit/Screen.h"
#include "os/uikit/Storyboard.h"
#include "platform_sdk/VXLoginVC.h"
#include "platform_sdk/VXPanelStyle.h"
#include "widgets/UIImage+VXColor.h"

void VXLoginVC::registerInterfaceFile() {
    if (ui::StoryboardRegistry::contains(VXColor::SdkBundleName, "VXUserShow", "VXLoginVC")) return;
    ui::StoryboardRegistry::addScene(VXColor::SdkBundleName, "VXUserShow", "VXLoginVC", {
        [] { return ui::ViewController::create<VXLoginVC>(); },
        [](ui::ViewController& controller) {
            auto& login = static_cast<VXLoginVC&>(controller);
            auto owner = login.ref<VXLoginVC>();
            cg::Rect screen = ui::Screen::mainScreen().bounds();
            auto root = ui::View::create(screen);
            root->setBackgroundColor(ui::Color::clearColor());
            auto card = ui::View::create(
                cg::RectMake((screen.size.width - 300) / 2, (screen.size.height - 310) / 2, 300, 310));
            card->setBackgroundColor(ui::Color::whiteColor());
            auto buttons = ui::View::create(cg::RectMake(0, 0, 300, 40));
            buttons->setBackgroundColor(ui::Color::whiteColor());
            const char* titles[] = {"验证码登录", "账号登录", "一键注册"};
            ui::ButtonRef first;
            for (int i = 0; i < 3; ++i) {
                auto b = ui::Button::buttonWithType(ui::ButtonType::Custom);
                b->setFrame(cg::RectMake(i * 100, 0, 100, 40));
                b->setTag(10 + i);
                b->setTitle(std::string(titles[i]), ui::ControlStateNormal);
                b->setTitleColor(VXPanelStyle::textGrey(), ui::ControlStateNormal);
                b->setTitleColor(VXPanelStyle::accent(), ui::ControlStateSelected);
                b->titleLabel()->setFont(ui::Font::systemFontOfSize(15));
                b->addTarget(owner, &VXLoginVC::doTypeBtnClick, ui::ControlEventTouchUpInside);
                buttons->addSubview(b);
                if (i == 0) first = b;
            }
            first->setSelected(true);
            auto line = ui::View::create(cg::RectMake(0, 39.5, 300, 0.5));
            line->setBackgroundColor(ui::Color::colorWithWhite(0.9, 1));
            buttons->addSubview(line);
            auto marker = ui::View::create(cg::RectMake(30, 37, 40, 3));
            marker->setBackgroundColor(VXPanelStyle::accent());
            buttons->addSubview(marker);
            auto pager = ui::View::create<ui::ScrollView>(cg::RectMake(0, 40, 300, 270));
            pager->setDelegate(owner);
            card->addSubview(buttons);
            card->addSubview(pager);
            root->addSubview(card);
            login.loginView = card;
            login.btnsView = buttons;
            login.oneBtn = first;
            login.indicator = marker;
            login.scrollView = pager;
            login.setView(root);
        },
    });
}
