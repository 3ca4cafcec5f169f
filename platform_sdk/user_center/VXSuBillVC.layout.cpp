// Scene "VXSuBillVC" of the storyboard "VXSuTabBarVC": a white bar under the navigation bar with the
// source menu's place at its top left, the balance's name at its top right, and the income and
// spending tabs below with the underline of the chosen one.
#include "os/uikit/Screen.h"
#include "platform_sdk/user_center/VXSuBillVC.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "widgets/UIColor+XTExtention.h"

void VXSuBillVC::registerInterfaceFile() {
    if (ui::StoryboardRegistry::contains("VOZUV", "VXSuTabBarVC", "VXSuBillVC")) return;
    VXUserCentreInterfaces::addScene("VXSuBillVC", {
        [] { return ui::ViewController::create<VXSuBillVC>(); },
        [](ui::ViewController& controller) {
            auto& screen = static_cast<VXSuBillVC&>(controller);
            auto self = screen.ref<VXSuBillVC>();
            cg::Rect screenBounds = ui::Screen::mainScreen().bounds();
            double w = screenBounds.size.width;
            auto root = ui::View::create(screenBounds);

            auto bar = ui::View::create(cg::RectMake(0, VXUserCentre::isNotch() ? 88 : 64, w, 80));
            bar->setBackgroundColor(ui::Color::whiteColor());
            auto name = ui::View::create<ui::Label>(cg::RectMake(w - 16 - 160, 0, 160, 30));
            name->setTextAlignment(ui::TextAlignment::Right);
            name->setFont(ui::Font::systemFontOfSize(13));
            name->setTextColor(XTExtention::colorWithHexString("#999999"));
            bar->addSubview(name);
            const char* titles[] = {"收入", "支出"};
            ui::ButtonRef first;
            for (int i = 0; i < 2; ++i) {
                auto tab = ui::View::create<ui::Button>(cg::RectMake(i * w / 2, 34, w / 2, 42));
                tab->setTitle(titles[i], ui::ControlStateNormal);
                tab->setTitleColor(XTExtention::colorWithHexString("#333333"), ui::ControlStateNormal);
                tab->titleLabel()->setFont(ui::Font::systemFontOfSize(15, ui::FontWeight::Medium));
                tab->addTarget(self, &VXSuBillVC::doTypeBtnClick, ui::ControlEventTouchUpInside);
                tab->setTag(10 + i);
                bar->addSubview(tab);
                if (i == 0) first = tab;
            }
            auto line = ui::View::create(cg::RectMake(0, 77, 30, 3));
            line->setBackgroundColor(XTExtention::colorWithHexString("#6137E7"));
            line->setCenter({first->center().x, line->center().y});
            bar->addSubview(line);
            root->addSubview(bar);

            screen.bgView = bar, screen.oneBtn = first, screen.indicator = line, screen.showL = name;
            screen.setView(root);
        },
    });
}
