// Storyboard "VXSuTabBarVC", scene "VXSuSubNameVC": the account header under the bar, the list of
// sub-accounts, and the add and logout buttons at the bottom.
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/user_center/VXSuPanelLayout.h"
#include "platform_sdk/user_center/VXSuSubNameVC.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

namespace {

namespace L = VXSuPanelLayout;

void build(VXSuSubNameVC& page) {
    auto self = page.ref<VXSuSubNameVC>();
    cg::Rect screen = ui::Screen::mainScreen().bounds();
    double w = screen.size.width, h = screen.size.height;
    auto insets = ui::DeviceProfile::safeAreaInsets();
    double top = std::max(20.0, insets.top) + 44;
    auto root = ui::View::create(screen);
    root->setBackgroundColor(XTExtention::colorWithHexString("#F5F5F7"));

    auto header = ui::View::create({{15, top + 12}, {w - 30, 80}});
    header->setBackgroundColor(ui::Color::whiteColor());
    header->layer()->setCornerRadius(10);
    root->addSubview(header);
    auto icon = ui::View::create<ui::ImageView>({{15, 10}, {60, 60}});
    icon->layer()->setCornerRadius(30);
    icon->setClipsToBounds(true);
    header->addSubview(icon);
    auto name = L::label({{88, 10}, {w - 140, 60}}, "", 16, "#333333", ui::FontWeight::Medium);
    header->addSubview(name);

    double bottom = h - insets.bottom - 66;
    auto table = ui::View::create<ui::TableView>({{0, top + 104}, {w, bottom - top - 112}});
    table->setBackgroundColor(ui::Color::clearColor());
    table->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
    table->setDataSource(ns::Weak<ui::TableViewDataSource>(self));
    table->setDelegate(ns::Weak<ui::TableViewDelegate>(self));
    root->addSubview(table);

    double bw = (w - 45) / 2;
    auto add = L::commitButton(root, {{15, bottom + 10}, {bw, 46}}, "添加小号");
    add->addTarget(self, &VXSuSubNameVC::addSubName, ui::ControlEventTouchUpInside);
    auto logout = L::commitButton(root, {{30 + bw, bottom + 10}, {bw, 46}}, "退出登录");
    logout->setBackgroundColor(ui::Color::whiteColor());
    logout->setTitleColor(XTExtention::colorWithHexString("#FF3B30"), ui::ControlStateNormal);
    logout->addTarget(self, &VXSuSubNameVC::doLogout, ui::ControlEventTouchUpInside);

    page.iconView = icon;
    page.nameL = name;
    page.tableView = table;
    page.setView(root);
}

} // namespace

void VXSuSubNameVC::registerInterfaceFile() {
    if (ui::StoryboardRegistry::contains(VXColor::SdkBundleName, "VXSuTabBarVC", "VXSuSubNameVC")) return;
    VXUserCentreInterfaces::addScene("VXSuSubNameVC", {
        [] { return ui::ViewController::create<VXSuSubNameVC>(); },
        [](ui::ViewController& controller) { build(static_cast<VXSuSubNameVC&>(controller)); },
    });
}
