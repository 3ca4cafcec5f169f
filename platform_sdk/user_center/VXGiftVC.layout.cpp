// Storyboard "VXSuTabBarVC", scene "VXGiftVC": a scroll area holding the row of kind buttons and,
// below it, the white card whose table is as tall as the constraint `tableViewH` says.
// Nib "VXGiftCell": name, excerpt or code, date or note, and the round action button.
#include "os/uikit/Screen.h"
#include "os/uikit/ScrollView.h"
#include "platform_sdk/user_center/VXGiftCell.h"
#include "platform_sdk/user_center/VXGiftVC.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "widgets/UIColor+XTExtention.h"

namespace {

constexpr double Side = 16, ButtonsHeight = 36, CardTop = 64;

class GiftPage : public ui::View {
public:
    ns::Weak<ui::ScrollView> scroll;
    ns::Weak<ui::View> buttons, card;
    ns::Weak<ui::TableView> table;
    ns::Weak<ui::LayoutConstraint> height;
    ui::LayoutConstraintRef constraint;
    void layoutSubviews() override {
        auto s = scroll.lock();
        if (!s) return;
        double w = bounds().size.width;
        double h = height.lock() ? height.lock()->constant() : 0;
        s->setFrame(bounds());
        if (auto b = buttons.lock()) {
            b->setFrame({{Side, 12}, {w - 2 * Side, ButtonsHeight}});
            double bw = (w - 2 * Side) / std::max<size_t>(1, b->subviews().size());
            for (size_t i = 0; i < b->subviews().size(); ++i) b->subviews()[i]->setFrame({{i * bw, 0}, {bw, ButtonsHeight}});
        }
        if (auto c = card.lock()) c->setFrame({{Side, CardTop}, {w - 2 * Side, h}});
        if (auto t = table.lock()) t->setFrame({{0, 0}, {w - 2 * Side, h}});
        s->setContentSize({w, CardTop + h + Side});
    }
};

} // namespace

void VXGiftVC::registerInterfaceFile() {
    VXUserCentreInterfaces::addScene("VXGiftVC", {
        [] { return ui::ViewController::create<VXGiftVC>(); },
        [](ui::ViewController& controller) {
            auto page = controller.ref<VXGiftVC>();
            auto root = ui::View::create<GiftPage>(ui::Screen::mainScreen().bounds());
            auto scroll = ui::View::create<ui::ScrollView>(root->bounds());
            scroll->setAlwaysBounceVertical(true);
            scroll->setBackgroundColor(ui::Color::clearColor());
            root->addSubview(scroll);
            auto buttons = ui::View::create<ui::View>();
            buttons->setBackgroundColor(ui::Color::whiteColor());
            buttons->layer()->setCornerRadius(18);
            buttons->setClipsToBounds(true);
            const char* titles[] = {"新手礼包", "VIP礼包", "活动礼包"};
            for (int i = 0; i < 3; ++i) {
                auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
                button->setTag(10 + i);
                button->setTitle(std::string(titles[i]), ui::ControlStateNormal);
                button->setTitleColor(XTExtention::colorWithHexString("#333333"), ui::ControlStateNormal);
                button->setTitleColor(ui::Color::whiteColor(), ui::ControlStateSelected);
                button->titleLabel()->setFont(ui::Font::systemFontOfSize(14));
                button->layer()->setCornerRadius(18);
                button->setClipsToBounds(true);
                button->addTarget(page, &VXGiftVC::doBtnClick, ui::ControlEventTouchUpInside);
                if (i == 0) {
                    button->setSelected(true);
                    button->setBackgroundColor(XTExtention::colorWithHexString("#6137E7"));
                    page->oneBtn = button;
                }
                buttons->addSubview(button);
            }
            scroll->addSubview(buttons);
            auto card = ui::View::create<ui::View>();
            card->setBackgroundColor(ui::Color::whiteColor());
            card->layer()->setCornerRadius(10);
            auto table = ui::View::create<ui::TableView>();
            table->setScrollEnabled(false);
            table->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
            table->setBackgroundColor(ui::Color::clearColor());
            table->setDataSource(ns::Weak<ui::TableViewDataSource>(page));
            table->setDelegate(ns::Weak<ui::TableViewDelegate>(page));
            table->setTableFooterView(ui::View::create());
            card->addSubview(table);
            scroll->addSubview(card);
            auto height = ui::LayoutConstraint::withConstant(0, "tableViewH");
            ns::Weak<GiftPage> weakRoot = root;
            height->setOnConstantChanged([weakRoot](double) {
                if (auto r = weakRoot.lock()) r->setNeedsLayout();
            });
            // The page view holds the constraint, as a view holds its constraints.
            root->constraint = height;
            root->scroll = scroll, root->buttons = buttons, root->card = card, root->table = table, root->height = height;
            page->giftView = card, page->btnsView = buttons, page->tableView = table, page->tableViewH = height;
            page->setView(root);
        },
    });
}

void VXGiftCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    double w = contentView()->bounds().size.width;
    if (nameL) nameL->setFrame({{15, 14}, {w - 120, 22}});
    if (showL) showL->setFrame({{15, 42}, {w - 120, 38}});
    if (timeL) timeL->setFrame({{15, 86}, {w - 120, 18}});
    if (btn) btn->setFrame({{w - 85, 45}, {70, 30}});
    if (auto line = contentView()->viewWithTag(99)) line->setFrame({{15, 119}, {w - 30, 1}});
}

void VXGiftCell::registerInterfaceFile() {
    VXUserCentreInterfaces::addNib("VXGiftCell", [](const ns::Ref<ns::Object>&) -> ui::NibObjects {
        auto cell = ui::View::create<VXGiftCell>(cg::Rect{{0, 0}, {343, 120}});
        cell->setReuseIdentifier("VXGiftCell");
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
        cell->setBackgroundColor(ui::Color::clearColor());
        auto name = ui::View::create<ui::Label>();
        name->setFont(ui::Font::systemFontOfSize(16, ui::FontWeight::Medium));
        name->setTextColor(XTExtention::colorWithHexString("#333333"));
        auto show = ui::View::create<ui::Label>();
        show->setFont(ui::Font::systemFontOfSize(13));
        show->setTextColor(XTExtention::colorWithHexString("#666666"));
        show->setNumberOfLines(2);
        auto time = ui::View::create<ui::Label>();
        time->setFont(ui::Font::systemFontOfSize(12));
        time->setTextColor(XTExtention::colorWithHexString("#999999"));
        auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
        button->setTitleColor(ui::Color::whiteColor(), ui::ControlStateNormal);
        button->titleLabel()->setFont(ui::Font::systemFontOfSize(14));
        button->layer()->setCornerRadius(15);
        button->setClipsToBounds(true);
        button->addTarget(cell, &VXGiftCell::doBtnClick, ui::ControlEventTouchUpInside);
        auto line = ui::View::create<ui::View>();
        line->setTag(99);
        line->setBackgroundColor(XTExtention::colorWithHexString("#F0F0F0"));
        for (const ui::ViewRef& v : std::initializer_list<ui::ViewRef>{name, show, time, button, line})
            cell->contentView()->addSubview(v);
        cell->nameL = name, cell->showL = show, cell->timeL = time, cell->btn = button;
        return {cell};
    });
}
