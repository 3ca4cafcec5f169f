// Scene "VXNewPayVC" of storyboard "VXNewPayVC": the order card (product, price, discount, the
// struck-through list price, the voucher row), then seven pay-way rows in a scroll view, and the pay
// button. Rows stack from their height constraints, so a collapsed row lets the ones below move up;
// infoLeft and typeLeft are the margins of the two sections.
#include "os/uikit/Color.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/ImageView.h"
#include "os/uikit/Screen.h"
#include "os/uikit/Storyboard.h"
#include "platform_sdk/VXNewPayVC.h"
#include "widgets/UIImage+VXColor.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double RowHeight = 56;

ui::ColorRef rgb(int r, int g, int b) { return ui::Color::colorWithRed(r / 255.0, g / 255.0, b / 255.0, 1); }

ui::LabelRef label(double size, const ui::ColorRef& color, bool bold = false) {
    auto l = ui::View::create<ui::Label>(cg::RectZero);
    l->setFont(bold ? ui::Font::boldSystemFontOfSize(size) : ui::Font::systemFontOfSize(size));
    l->setTextColor(color);
    return l;
}

// The price: the discount label follows its text, so a new text lays the card out again.
class PriceLabel : public ui::Label {
public:
    ns::Weak<ui::View> card;
    void setText(std::optional<std::string> text) override {
        ui::Label::setText(std::move(text));
        if (auto c = card.lock()) c->setNeedsLayout();
    }
};

// The centre's root view: lays its parts out from the margin and row-height constraints.
class PayCentreView : public ui::View {
public:
    struct Row {
        ui::LayoutConstraintRef height;
        ns::Weak<ui::View> row;
        ns::Weak<ui::ImageView> icon;
        ns::Weak<ui::Label> name;
        ns::Weak<ui::Label> note;
        ns::Weak<ui::Button> mark;
    };
    ui::LayoutConstraintRef infoLeft, typeLeft;
    std::vector<Row> rows;
    ns::Weak<ui::ScrollView> scroll;
    ns::Weak<ui::View> info, couponRow;
    ns::Weak<ui::Label> product, real, discount, list, couponTitle, typeTitle;
    ns::Weak<ui::Button> coupons, pay;

    void layoutSubviews() override {
        ui::View::layoutSubviews();
        double w = bounds().size.width, h = bounds().size.height;
        // Portrait: under the status bar and the navigation bar (the status bar is taller on a
        // phone with a home indicator), the pay button above the indicator.
        bool portrait = w <= h;
        ui::EdgeInsets safe = ui::DeviceProfile::safeAreaInsets();
        double top = portrait ? std::max(20.0, safe.top) + 44 : 32;
        double bottom = portrait ? safe.bottom : 0;
        double li = infoLeft->constant(), lt = typeLeft->constant();
        auto place = [](const auto& weak, cg::Rect frame) {
            if (auto v = weak.lock()) v->setFrame(frame);
        };
        place(scroll, cg::RectMake(0, top, w, h - top - 64 - bottom));
        place(pay, cg::RectMake(15, h - 56 - bottom, w - 30, 44));
        place(info, cg::RectMake(0, 0, w, 112));
        place(product, cg::RectMake(li, 12, w - 2 * li, 22));
        double priceWidth = 0;
        if (auto r = real.lock()) priceWidth = std::min(170.0, std::ceil(r->sizeThatFits({170, 34}).width));
        place(real, cg::RectMake(li, 40, priceWidth, 34));
        place(discount, cg::RectMake(li + priceWidth + 4, 46, 120, 24));
        place(list, cg::RectMake(li, 80, 160, 20));
        place(couponRow, cg::RectMake(0, 120, w, 48));
        place(couponTitle, cg::RectMake(li, 0, 100, 48));
        place(coupons, cg::RectMake(w - li - 200, 0, 200, 48));
        place(typeTitle, cg::RectMake(lt, 176, 200, 30));
        double y = 210;
        for (const auto& r : rows) {
            double rh = r.height->constant();
            auto row = r.row.lock();
            if (!row) continue;
            row->setFrame(cg::RectMake(0, y, w, rh));
            row->setHidden(rh <= 0);
            place(r.icon, cg::RectMake(lt, 13, 30, 30));
            place(r.name, cg::RectMake(lt + 42, r.note.lock() ? 8 : 17, 160, 22));
            place(r.note, cg::RectMake(lt + 42, 30, 220, 18));
            place(r.mark, cg::RectMake(w - lt - 44, 6, 44, 44));
            y += rh > 0 ? rh + 1 : 0;
        }
        if (auto s = scroll.lock()) s->setContentSize({w, y + 10});
    }
};

} // namespace

void registerVXNewPayVCScene() {
    ui::StoryboardScene scene;
    scene.controller = [] { return ui::ViewController::create<VXNewPayVC>(); };
    scene.view = [](ui::ViewController& controller) {
        auto centre = controller.ref<VXNewPayVC>();
        auto root = ui::View::create<PayCentreView>(ui::Screen::mainScreen().bounds());
        root->setBackgroundColor(rgb(244, 245, 247));
        centre->setView(root);

        auto relayout = [weak = ns::Weak<PayCentreView>(root)](double) {
            if (auto r = weak.lock()) r->setNeedsLayout(), r->layoutIfNeeded();
        };
        root->infoLeft = ui::LayoutConstraint::withConstant(15, "infoLeft");
        root->typeLeft = ui::LayoutConstraint::withConstant(15, "typeLeft");
        centre->infoLeft = root->infoLeft, centre->typeLeft = root->typeLeft;

        auto scroll = ui::View::create<ui::ScrollView>(cg::RectZero);
        scroll->setBackgroundColor(ui::Color::clearColor());
        root->addSubview(scroll);
        root->scroll = scroll, centre->scrollView = scroll;

        auto info = ui::View::create(cg::RectZero);
        info->setBackgroundColor(ui::Color::whiteColor());
        scroll->addSubview(info);
        auto product = label(16, rgb(40, 40, 40), true);
        auto real = ui::View::create<PriceLabel>(cg::RectZero);
        real->setFont(ui::Font::boldSystemFontOfSize(26));
        real->setTextColor(rgb(246, 80, 60));
        real->card = root;
        auto discount = label(14, rgb(240, 150, 20));
        auto list = label(13, rgb(150, 150, 150));
        for (const ui::LabelRef& l : {product, ui::LabelRef(real), discount, list}) info->addSubview(l);
        root->info = info, root->product = product, root->real = real, root->discount = discount, root->list = list;
        centre->productNameL = product, centre->realMoneyL = real, centre->discountL = discount, centre->moneyL = list;

        auto couponRow = ui::View::create(cg::RectZero);
        couponRow->setBackgroundColor(ui::Color::whiteColor());
        scroll->addSubview(couponRow);
        auto couponTitle = label(15, rgb(40, 40, 40));
        couponTitle->setText("代金券");
        couponRow->addSubview(couponTitle);
        auto coupons = ui::Button::buttonWithType(ui::ButtonType::Custom);
        coupons->setTitle("选择代金券 >", ui::ControlStateNormal);
        coupons->setTitleColor(rgb(48, 146, 246), ui::ControlStateNormal);
        coupons->titleLabel()->setFont(ui::Font::systemFontOfSize(14));
        coupons->setContentHorizontalAlignment(ui::ControlContentHorizontalAlignment::Right);
        coupons->addTarget(centre, &VXNewPayVC::goToCoupons, ui::ControlEventTouchUpInside);
        couponRow->addSubview(coupons);
        root->couponRow = couponRow, root->couponTitle = couponTitle, root->coupons = coupons;
        centre->couponsBtn = coupons;

        auto typeTitle = label(14, rgb(120, 120, 120));
        typeTitle->setText("选择支付方式");
        scroll->addSubview(typeTitle);
        root->typeTitle = typeTitle;

        struct Spec {
            const char* name;
            const char* icon;
            ns::Weak<ui::LayoutConstraint> VXNewPayVC::*height;
            ns::Weak<ui::Button> VXNewPayVC::*button;
            void (VXNewPayVC::*action)();
            ns::Weak<ui::Label> VXNewPayVC::*note;
            const char* hint;
        };
        const Spec specs[] = {
            {"钱包支付", "vor_pay_wallet", &VXNewPayVC::walletViewH, &VXNewPayVC::walletIconBtn, &VXNewPayVC::doWallet, nullptr, nullptr},
            {"钱包APP支付", "vor_pay_wallet", &VXNewPayVC::GFWalletViewH, &VXNewPayVC::GFWalletIconBtn, &VXNewPayVC::doGFWallet, nullptr, nullptr},
            {"微信支付", "vor_pay_wx", &VXNewPayVC::wxViewH, &VXNewPayVC::wxIconBtn, &VXNewPayVC::doWXPay, nullptr, nullptr},
            {"微信官方支付", "vor_pay_wx", &VXNewPayVC::GFWxViewH, &VXNewPayVC::GFWxIconBtn, &VXNewPayVC::doGFWxPay, nullptr, nullptr},
            {"平台币支付", "vor_pay_ptb", &VXNewPayVC::ptbViewH, &VXNewPayVC::ptbIconBtn, &VXNewPayVC::doPtbPay, &VXNewPayVC::remainPtbL, "（余额:0平台币）"},
            {"代金券支付", "vor_pay_djq", &VXNewPayVC::djqViewH, &VXNewPayVC::djqIconBtn, &VXNewPayVC::doDjqPay, &VXNewPayVC::remainDjqL, "（余额:0.00元）"},
            {"星币支付", "vor_pay_xin", &VXNewPayVC::xinViewH, &VXNewPayVC::xinIconBtn, &VXNewPayVC::doStarsPay, &VXNewPayVC::remainXinL, "（余额:0.00元）"},
        };
        for (const auto& spec : specs) {
            PayCentreView::Row r;
            r.height = ui::LayoutConstraint::withConstant(RowHeight);
            auto row = ui::View::create(cg::RectZero);
            row->setBackgroundColor(ui::Color::whiteColor());
            row->setClipsToBounds(true);
            scroll->addSubview(row);
            auto icon = ui::View::create<ui::ImageView>(cg::RectZero);
            icon->setImage(VXColor::sdkImageNamed(spec.icon));
            row->addSubview(icon);
            auto name = label(15, rgb(40, 40, 40));
            name->setText(spec.name);
            row->addSubview(name);
            if (spec.note) {
                auto note = label(12, rgb(150, 150, 150));
                note->setText(spec.hint);
                row->addSubview(note);
                (*centre).*spec.note = note;
                r.note = note;
            }
            auto mark = ui::Button::buttonWithType(ui::ButtonType::Custom);
            mark->setImage(VXColor::sdkImageNamed("vor_pay_btnNormalBg"), ui::ControlStateNormal);
            mark->setImage(VXColor::sdkImageNamed("vor_pay_btnSelectedBg"), ui::ControlStateSelected);
            mark->addTarget(centre, spec.action, ui::ControlEventTouchUpInside);
            row->addSubview(mark);
            r.row = row, r.icon = icon, r.name = name, r.mark = mark;
            (*centre).*spec.height = r.height;
            (*centre).*spec.button = mark;
            root->rows.push_back(r);
        }

        auto pay = ui::Button::buttonWithType(ui::ButtonType::Custom);
        pay->setTitle("确认支付", ui::ControlStateNormal);
        pay->setTitleColor(ui::Color::whiteColor(), ui::ControlStateNormal);
        pay->titleLabel()->setFont(ui::Font::boldSystemFontOfSize(17));
        pay->setBackgroundColor(rgb(48, 146, 246));
        pay->layer()->setCornerRadius(6);
        pay->setClipsToBounds(true);
        pay->addTarget(centre, &VXNewPayVC::doPay, ui::ControlEventTouchUpInside);
        root->addSubview(pay);
        root->pay = pay, centre->payBtn = pay;
        // selectedIconBtn stays unconnected: the first style chosen must not look chosen already.

        root->infoLeft->setOnConstantChanged(relayout);
        root->typeLeft->setOnConstantChanged(relayout);
        for (auto& r : root->rows) r.height->setOnConstantChanged(relayout);
    };
    ui::StoryboardRegistry::addScene("VOZUV", "VXNewPayVC", "VXNewPayVC", scene);
}
