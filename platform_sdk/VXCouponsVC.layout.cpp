// Scene "VXCouponsVC" of storyboard "VXNewPayVC" and nib "VXCouponsCell": a white card over a
// translucent cover, with a title, a cancel control, the list and a box link.
#include "os/uikit/Color.h"
#include "os/uikit/Nib.h"
#include "os/uikit/Screen.h"
#include "os/uikit/Storyboard.h"
#include "platform_sdk/VXCouponsCell.h"
#include "platform_sdk/VXCouponsVC.h"

namespace {

ui::ColorRef rgb(int r, int g, int b) { return ui::Color::colorWithRed(r / 255.0, g / 255.0, b / 255.0, 1); }

ui::LabelRef label(cg::Rect frame, double size, const ui::ColorRef& color, bool bold = false) {
    auto l = ui::View::create<ui::Label>(frame);
    l->setFont(bold ? ui::Font::boldSystemFontOfSize(size) : ui::Font::systemFontOfSize(size));
    l->setTextColor(color);
    return l;
}

} // namespace

void registerVXCouponsCellNib() {
    ui::NibRegistry::add("VOZUV", "VXCouponsCell", [](const ns::Ref<ns::Object>&) {
        auto cell = ui::TableViewCell::create<VXCouponsCell>(ui::TableViewCellStyle::Default, "VXCouponsCell");
        cell->setFrame(cg::RectMake(0, 0, 355, 100));
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
        auto card = ui::View::create(cg::RectMake(8, 6, 339, 88));
        card->setBackgroundColor(rgb(240, 246, 255));
        cell->contentView()->addSubview(card);
        auto amount = label(cg::RectMake(8, 14, 84, 36), 24, rgb(246, 80, 60), true);
        amount->setTextAlignment(ui::TextAlignment::Center);
        auto threshold = label(cg::RectMake(8, 52, 84, 20), 11, rgb(120, 120, 120));
        threshold->setTextAlignment(ui::TextAlignment::Center);
        auto name = label(cg::RectMake(100, 12, 150, 22), 15, rgb(40, 40, 40), true);
        auto kind = label(cg::RectMake(100, 38, 60, 18), 11, rgb(48, 146, 246));
        auto time = label(cg::RectMake(100, 60, 160, 18), 11, rgb(150, 150, 150));
        for (const auto& v : {amount, threshold, name, kind, time}) card->addSubview(v);

        auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
        button->setFrame(cg::RectMake(257, 24, 70, 40));
        button->setTitle("立即使用", ui::ControlStateNormal);
        button->setTitle("不可用", ui::ControlStateDisabled);
        button->setTitleColor(ui::Color::whiteColor(), ui::ControlStateNormal);
        button->titleLabel()->setFont(ui::Font::systemFontOfSize(13));
        button->addTarget(cell, &VXCouponsCell::btnClick, ui::ControlEventTouchUpInside);
        card->addSubview(button);

        cell->nameL = name, cell->couponsL = amount, cell->moneyL = threshold, cell->timeL = time, cell->showL = kind;
        cell->btn = button, cell->bgView = card;
        return ui::NibObjects{cell};
    });
}

void registerVXCouponsVCScene() {
    ui::StoryboardScene scene;
    scene.controller = [] { return ui::ViewController::create<VXCouponsVC>(); };
    scene.view = [](ui::ViewController& controller) {
        auto picker = controller.ref<VXCouponsVC>();
        cg::Rect screen = ui::Screen::mainScreen().bounds();
        double w = screen.size.width, h = screen.size.height;
        auto root = ui::View::create(screen);
        root->setBackgroundColor(ui::Color::colorWithWhite(0, 0.4)); // the centre shows through
        picker->setView(root);

        double cardH = h * 0.6;
        auto card = ui::View::create(cg::RectMake(10, h * 0.2, w - 20, cardH));
        card->setBackgroundColor(ui::Color::whiteColor());
        card->layer()->setCornerRadius(8);
        card->setClipsToBounds(true);
        root->addSubview(card);
        picker->couponsView = card;

        auto title = label(cg::RectMake(0, 0, w - 20, 44), 16, rgb(40, 40, 40), true);
        title->setText("选择代金券");
        title->setTextAlignment(ui::TextAlignment::Center);
        card->addSubview(title);
        auto cancel = ui::Button::buttonWithType(ui::ButtonType::Custom);
        cancel->setFrame(cg::RectMake(w - 20 - 56, 0, 56, 44));
        cancel->setTitle("取消", ui::ControlStateNormal);
        cancel->setTitleColor(rgb(120, 120, 120), ui::ControlStateNormal);
        cancel->addTarget(picker, &VXCouponsVC::doCancel, ui::ControlEventTouchUpInside);
        card->addSubview(cancel);

        auto table = ui::View::create<ui::TableView>(cg::RectMake(0, 44, w - 20, cardH - 84));
        table->setBackgroundColor(ui::Color::whiteColor());
        table->setDataSource(ns::Weak<ui::TableViewDataSource>(picker));
        table->setDelegate(ns::Weak<ui::TableViewDelegate>(picker));
        picker->tableView = table;

        auto box = ui::Button::buttonWithType(ui::ButtonType::Custom);
        box->setFrame(cg::RectMake(0, cardH - 40, w - 20, 40));
        box->setTitle("去游戏盒子领取更多代金券", ui::ControlStateNormal);
        box->setTitleColor(rgb(48, 146, 246), ui::ControlStateNormal);
        box->titleLabel()->setFont(ui::Font::systemFontOfSize(13));
        box->addTarget(picker, &VXCouponsVC::goToGameBox, ui::ControlEventTouchUpInside);
        card->addSubview(box);

        // The card's leading inset; the card keeps equal margins on both sides.
        auto leading = ui::LayoutConstraint::withConstant(10, "left");
        ns::Weak<ui::View> weakCard = card, weakTitle = title, weakCancel = cancel, weakBox = box;
        ns::Weak<ui::TableView> weakTable = table;
        leading->setOnConstantChanged([=](double left) {
            double cw = w - 2 * left;
            if (auto c = weakCard.lock()) c->setFrame(cg::RectMake(left, h * 0.2, cw, cardH));
            if (auto v = weakTitle.lock()) v->setFrame(cg::RectMake(0, 0, cw, 44));
            if (auto v = weakCancel.lock()) v->setFrame(cg::RectMake(cw - 56, 0, 56, 44));
            if (auto v = weakTable.lock()) v->setFrame(cg::RectMake(0, 44, cw, cardH - 84));
            if (auto v = weakBox.lock()) v->setFrame(cg::RectMake(0, cardH - 40, cw, 40));
        });
        // Constraints belong to the view tree that holds them.
        static const char leadingKey = 0;
        root->setAssociated(&leadingKey, ns::Value(leading));
        picker->left = leading;
    };
    ui::StoryboardRegistry::addScene("VOZUV", "VXNewPayVC", "VXCouponsVC", scene);
}
