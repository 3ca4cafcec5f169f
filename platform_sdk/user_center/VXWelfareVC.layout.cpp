// Storyboard "VXSuTabBarVC", scene "VXWelfareVC": a vertical scroll area with three white cards:
// the rebate ("充值返利", text and the service button), the VIP table ("VIP等级", its height and the
// space of its fold switch given by `tableViewH` and `tableViewBottom`) and the welfare text
// ("福利说明", `fuliH` tall, its fold switch in the `fuliBottom` space).
// Nib "VXWelfareVipCell": the level and the top-up side by side, tags 10 and 11.
#include "os/uikit/Screen.h"
#include "os/uikit/ScrollView.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "platform_sdk/user_center/VXWelfareVC.h"
#include "platform_sdk/user_center/VXWelfareVipCell.h"
#include "widgets/UIColor+XTExtention.h"

#include <cmath>

namespace {

constexpr double Side = 16, Inner = 16, TitleTop = 14, TitleHeight = 22, BodyTop = 46, Gap = 14;

ui::LabelRef cardTitle(const std::string& text) {
    auto label = ui::View::create<ui::Label>();
    label->setText(text);
    label->setFont(ui::Font::systemFontOfSize(16, ui::FontWeight::Semibold));
    label->setTextColor(XTExtention::colorWithHexString("#333333"));
    return label;
}

ui::ViewRef card() {
    auto view = ui::View::create<ui::View>();
    view->setBackgroundColor(ui::Color::whiteColor());
    view->layer()->setCornerRadius(10);
    return view;
}

ui::ButtonRef foldButton() {
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->setTitle(std::string("展开全部"), ui::ControlStateNormal);
    button->setTitle(std::string("收起"), ui::ControlStateSelected);
    button->setTitleColor(XTExtention::colorWithHexString("#6137E7"), ui::ControlStateNormal);
    button->titleLabel()->setFont(ui::Font::systemFontOfSize(14));
    return button;
}

class WelfarePage : public ui::View {
public:
    ns::Weak<ui::ScrollView> scroll;
    ns::Weak<ui::View> fanliCard, vipCard, fuliCard;
    ns::Weak<ui::Label> fanliText;
    ns::Weak<ui::Button> fanliButton, vipButton, fuliButton;
    ns::Weak<ui::TableView> table;
    ns::Weak<ui::Label> fuliText;
    std::vector<ui::LayoutConstraintRef> constraints; // tableViewH, tableViewBottom, fuliH, fuliBottom

    double constant(size_t i) const { return constraints[i]->constant(); }

    void layoutSubviews() override {
        auto s = scroll.lock();
        if (!s) return;
        s->setFrame(bounds());
        double w = bounds().size.width, cardWidth = w - 2 * Side, body = cardWidth - 2 * Inner;
        double y = 0;
        if (auto c = fanliCard.lock()) {
            double textHeight = 0;
            if (auto t = fanliText.lock()) {
                textHeight = std::ceil(t->sizeThatFits({body, 1e6}).height);
                t->setFrame({{Inner, BodyTop}, {body, textHeight}});
            }
            if (auto b = fanliButton.lock()) b->setFrame({{cardWidth - Inner - 120, BodyTop + textHeight + 10}, {120, 30}});
            c->setFrame({{Side, y}, {cardWidth, BodyTop + textHeight + 10 + 30 + Gap}});
            y = c->frame().origin.y + c->frame().size.height + Gap;
        }
        if (auto c = vipCard.lock()) {
            double h = constant(0), below = constant(1);
            if (auto t = table.lock()) t->setFrame({{Inner, BodyTop}, {body, h}});
            if (auto b = vipButton.lock()) b->setFrame({{(cardWidth - 100) / 2, BodyTop + h + (below - 30) / 2}, {100, 30}});
            c->setFrame({{Side, y}, {cardWidth, BodyTop + h + below + Gap}});
            y = c->frame().origin.y + c->frame().size.height + Gap;
        }
        if (auto c = fuliCard.lock()) {
            double h = constant(2), below = constant(3);
            if (auto t = fuliText.lock()) t->setFrame({{Inner, BodyTop}, {body, h}});
            if (auto b = fuliButton.lock()) b->setFrame({{(cardWidth - 100) / 2, BodyTop + h + (below - 30) / 2}, {100, 30}});
            c->setFrame({{Side, y}, {cardWidth, BodyTop + h + below + Gap}});
            y = c->frame().origin.y + c->frame().size.height + Gap;
        }
        s->setContentSize({w, y});
    }
};

} // namespace

void VXWelfareVC::registerInterfaceFile() {
    VXUserCentreInterfaces::addScene("VXWelfareVC", {
        [] { return ui::ViewController::create<VXWelfareVC>(); },
        [](ui::ViewController& controller) {
            auto page = controller.ref<VXWelfareVC>();
            auto root = ui::View::create<WelfarePage>(ui::Screen::mainScreen().bounds());
            auto scroll = ui::View::create<ui::ScrollView>(root->bounds());
            scroll->setAlwaysBounceVertical(true);
            scroll->setShowsVerticalScrollIndicator(false);
            root->addSubview(scroll);

            auto fanli = card();
            auto fanliTitle = cardTitle("充值返利");
            fanliTitle->setFrame({{Inner, TitleTop}, {200, TitleHeight}});
            auto fanliText = ui::View::create<ui::Label>();
            fanliText->setNumberOfLines(0);
            fanliText->setFont(ui::Font::systemFontOfSize(14));
            fanliText->setTextColor(XTExtention::colorWithHexString("#666666"));
            auto fanliButton = ui::Button::buttonWithType(ui::ButtonType::Custom);
            fanliButton->setTitle(std::string("联系客服领取"), ui::ControlStateNormal);
            fanliButton->setTitleColor(XTExtention::colorWithHexString("#4816CA"), ui::ControlStateNormal);
            fanliButton->titleLabel()->setFont(ui::Font::systemFontOfSize(14));
            fanliButton->layer()->setBorderWidth(1);
            fanliButton->layer()->setCornerRadius(15);
            fanliButton->addTarget(page, &VXWelfareVC::doFanliBtnClick, ui::ControlEventTouchUpInside);
            fanli->addSubview(fanliTitle), fanli->addSubview(fanliText), fanli->addSubview(fanliButton);

            auto vip = card();
            auto vipTitle = cardTitle("VIP等级");
            vipTitle->setFrame({{Inner, TitleTop}, {200, TitleHeight}});
            auto table = ui::View::create<ui::TableView>();
            table->setScrollEnabled(false);
            table->setSeparatorStyle(ui::TableViewCellSeparatorStyle::None);
            table->setDataSource(ns::Weak<ui::TableViewDataSource>(page));
            table->setDelegate(ns::Weak<ui::TableViewDelegate>(page));
            table->setTableFooterView(ui::View::create());
            table->setClipsToBounds(true);
            auto vipButton = foldButton();
            vipButton->addTarget(page, &VXWelfareVC::doVipBtnClick, ui::ControlEventTouchUpInside);
            vip->addSubview(vipTitle), vip->addSubview(table), vip->addSubview(vipButton);

            auto fuli = card();
            auto fuliTitle = cardTitle("福利说明");
            fuliTitle->setFrame({{Inner, TitleTop}, {200, TitleHeight}});
            auto fuliText = ui::View::create<VXShowLabel>();
            fuliText->setNumberOfLines(0);
            fuliText->setFont(ui::Font::systemFontOfSize(14));
            fuliText->setTextColor(XTExtention::colorWithHexString("#666666"));
            fuliText->setClipsToBounds(true);
            auto fuliButton = foldButton();
            fuliButton->addTarget(page, &VXWelfareVC::showFuliOrClose, ui::ControlEventTouchUpInside);
            fuli->addSubview(fuliTitle), fuli->addSubview(fuliText), fuli->addSubview(fuliButton);

            for (const auto& c : {fanli, vip, fuli}) scroll->addSubview(c);
            root->constraints = {ui::LayoutConstraint::withConstant(0, "tableViewH"),
                                 ui::LayoutConstraint::withConstant(40, "tableViewBottom"),
                                 ui::LayoutConstraint::withConstant(0, "fuliH"),
                                 ui::LayoutConstraint::withConstant(40, "fuliBottom")};
            ns::Weak<WelfarePage> weakRoot = root;
            for (const auto& c : root->constraints)
                c->setOnConstantChanged([weakRoot](double) {
                    if (auto r = weakRoot.lock()) r->setNeedsLayout();
                });
            root->scroll = scroll, root->fanliCard = fanli, root->vipCard = vip, root->fuliCard = fuli;
            root->fanliText = fanliText, root->fanliButton = fanliButton, root->vipButton = vipButton;
            root->fuliButton = fuliButton, root->table = table, root->fuliText = fuliText;

            page->fanliView = fanli, page->fanliL = fanliText, page->fanliBtn = fanliButton;
            page->tableView = table, page->vipView = vip, page->vipBtn = vipButton;
            page->tableViewH = root->constraints[0], page->tableViewBottom = root->constraints[1];
            page->fuliL = fuliText, page->fuliH = root->constraints[2], page->fuliBottom = root->constraints[3];
            page->fuliBtn = fuliButton, page->fuliView = fuli;
            page->setView(root);
        },
    });
}

void VXWelfareVipCell::layoutSubviews() {
    ui::TableViewCell::layoutSubviews();
    cg::Rect b = contentView()->bounds();
    double half = std::floor(b.size.width / 2);
    if (auto l = contentView()->viewWithTag(10)) l->setFrame({{0, 0}, {half - 0.5, b.size.height - 1}});
    if (auto l = contentView()->viewWithTag(11)) l->setFrame({{half + 0.5, 0}, {b.size.width - half - 0.5, b.size.height - 1}});
}

void VXWelfareVipCell::registerInterfaceFile() {
    VXUserCentreInterfaces::addNib("VXWelfareVipCell", [](const ns::Ref<ns::Object>&) -> ui::NibObjects {
        auto cell = ui::View::create<VXWelfareVipCell>(cg::Rect{{0, 0}, {311, 44}});
        cell->setReuseIdentifier("VXWelfareVipCell");
        cell->setSelectionStyle(ui::TableViewCellSelectionStyle::None);
        for (long tag : {10L, 11L}) {
            auto label = ui::View::create<ui::Label>();
            label->setTag(tag);
            label->setTextAlignment(ui::TextAlignment::Center);
            cell->contentView()->addSubview(label);
        }
        return {cell};
    });
}
