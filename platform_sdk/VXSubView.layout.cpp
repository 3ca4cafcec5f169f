// Nib "VXSubView": 300 x 310 (the card's size): the head image and account name on top, the
// "add" button, then the list of sub-accounts.
#include "os/uikit/Nib.h"
#include "platform_sdk/VXPanelStyle.h"
#include "platform_sdk/VXSubView.h"
#include "widgets/UIImage+VXColor.h"

void VXSubView::registerInterfaceFile() {
    if (ui::NibRegistry::contains(VXColor::SdkBundleName, "VXSubView")) return;
    ui::NibRegistry::add(VXColor::SdkBundleName, "VXSubView", [](const ns::Ref<ns::Object>&) {
        using namespace VXPanelStyle;
        auto panel = ui::View::create<VXSubView>(cg::RectMake(0, 0, 300, 310));
        panel->setBackgroundColor(ui::Color::whiteColor());
        auto icon = ui::View::create<ui::ImageView>(cg::RectMake(15, 12, 44, 44));
        icon->setContentMode(ui::ContentMode::ScaleAspectFit);
        icon->layer()->setCornerRadius(22);
        icon->setClipsToBounds(true);
        auto name = label(cg::RectMake(68, 12, 140, 24), "", 16, ui::Color::blackColor());
        auto hint = label(cg::RectMake(68, 36, 140, 20), "请选择小号进入游戏", 12, textGrey());
        auto add = textButton(cg::RectMake(211, 19, 80, 30), "+ 添加小号", accent(), 14);
        add->layer()->setBorderWidth(1);
        add->layer()->setBorderColor(accent()->cgColor());
        add->layer()->setCornerRadius(4);
        add->addTarget(panel, &VXSubView::addSub, ui::ControlEventTouchUpInside);
        auto line = ui::View::create(cg::RectMake(0, 67.5, 300, 0.5));
        line->setBackgroundColor(ui::Color::lightGrayColor());
        auto table = ui::View::create<ui::TableView>(cg::RectMake(0, 68, 300, 242));
        table->setDelegate(panel);
        table->setDataSource(panel);
        for (const ui::ViewRef& v : std::initializer_list<ui::ViewRef>{icon, name, hint, add, line, table})
            panel->addSubview(v);
        panel->tableView = table;
        panel->nameL = name;
        panel->iconView = icon;
        return ui::NibObjects{panel};
    });
}
