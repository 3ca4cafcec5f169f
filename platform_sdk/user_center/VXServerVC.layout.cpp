// Storyboard "VXSuTabBarVC", scene "VXServerVC": a clear page whose table fills it. Nib
// "VXServerCell": dot, server name and opening time on the left, the status badge on the right.
#include "os/uikit/Screen.h"
#include "platform_sdk/user_center/VXServerCell.h"
#include "platform_sdk/user_center/VXServerVC.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "widgets/UIImage+VXColor.h"

namespace {

class FillingView : public ui::View {
public:
    ns::Weak<ui::View> fill;
    void layoutSubviews() override {
        if (auto v = fill.lock()) v->setFrame(bounds());
    }
};

} // namespace

void VXServerVC::registerInterfaceFile() {
    VXUserCentreInterfaces::addScene("VXServerVC", {
        [] { return ui::ViewController::create<VXServerVC>(); },
        [](ui::ViewController& controller) {
            auto& page = static_cast<VXServerVC&>(controller);
            auto root = ui::View::create<FillingView>(ui::Screen::mainScreen().bounds());
            auto table = ui::View::create<ui::TableView>(root->bounds());
            table->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
            table->setDataSource(ns::Weak<ui::TableViewDataSource>(page.ref<VXServerVC>()));
            table->setDelegate(ns::Weak<ui::TableViewDelegate>(page.ref<VXServerVC>()));
            table->setTableFooterView(ui::View::create());
            root->addSubview(table);
            root->fill = table;
            page.tableView = table;
            page.setView(root);
        },
    });
}

// The row's views keep their places as the cell's width changes.
void VXServerCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    double w = contentView()->bounds().size.width;
    if (pointIcon) pointIcon->setFrame({{20, 17}, {10, 10}});
    if (serverL) serverL->setFrame({{40, 12}, {110, 20}});
    if (timeL) timeL->setFrame({{150, 12}, {w - 150 - 90, 20}});
    if (statusL) statusL->setFrame({{w - 80, 11}, {60, 22}});
}

void VXServerCell::registerInterfaceFile() {
    VXUserCentreInterfaces::addNib("VXServerCell", [](const ns::Ref<ns::Object>&) -> ui::NibObjects {
        auto cell = ui::View::create<VXServerCell>(cg::Rect{{0, 0}, {375, 44}});
        cell->setReuseIdentifier("VXServerCell");
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
        cell->setBackgroundColor(ui::Color::clearColor());
        auto row = cell->contentView();
        auto point = ui::View::create<ui::ImageView>();
        point->setImage(VXColor::sdkImageNamed("vx_server_point"));
        auto server = ui::View::create<ui::Label>();
        server->setFont(ui::Font::systemFontOfSize(15));
        server->setTextColor(ui::Color::colorWithWhite(0.2, 1));
        auto time = ui::View::create<ui::Label>();
        time->setFont(ui::Font::systemFontOfSize(14));
        time->setTextColor(ui::Color::colorWithWhite(0.4, 1));
        auto status = ui::View::create<ui::Label>();
        status->setFont(ui::Font::systemFontOfSize(13));
        status->setTextColor(ui::Color::whiteColor());
        status->setTextAlignment(ui::TextAlignment::Center);
        status->layer()->setCornerRadius(11);
        status->setClipsToBounds(true);
        for (const ui::ViewRef& v : std::initializer_list<ui::ViewRef>{point, server, time, status}) row->addSubview(v);
        cell->pointIcon = point, cell->serverL = server, cell->timeL = time, cell->statusL = status;
        return {cell};
    });
}
