// Nib "VXSuPtbVC" (owner: the controller): the player's icon, name and coin balance; the amount
// panel with six amounts and a field; the wallet and WeChat rows; the pay button.
#include "foundation/URLEncode.h"
#include "os/uikit/Color.h"
#include "os/uikit/Nib.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/VXSuPtbVC.h"
#include "widgets/UIImage+VXColor.h"

namespace {

ui::ColorRef rgb(int r, int g, int b) { return ui::Color::colorWithRed(r / 255.0, g / 255.0, b / 255.0, 1); }

ui::LabelRef label(cg::Rect frame, double size, const ui::ColorRef& color, const char* text = nullptr) {
    auto l = ui::View::create<ui::Label>(frame);
    l->setFont(ui::Font::systemFontOfSize(size));
    l->setTextColor(color);
    if (text) l->setText(std::string(text));
    return l;
}

// A pay-way row: icon, name, the chosen mark, and a clear button over the whole row.
ui::ButtonRef payRow(const ns::Ref<VXSuPtbVC>& owner, const ui::ViewRef& row, const char* icon, const char* name,
                     const char* mark, ns::Weak<ui::ImageView>& markOutlet) {
    double w = row->bounds().size.width;
    auto image = ui::View::create<ui::ImageView>(cg::RectMake(15, 13, 30, 30));
    image->setImage(VXColor::sdkImageNamed(icon));
    row->addSubview(image);
    row->addSubview(label(cg::RectMake(57, 17, 160, 22), 15, rgb(40, 40, 40), name));
    auto chosen = ui::View::create<ui::ImageView>(cg::RectMake(w - 15 - 22, 17, 22, 22));
    chosen->setImage(VXColor::sdkImageNamed(mark));
    row->addSubview(chosen);
    markOutlet = chosen;
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->setFrame(row->bounds());
    button->addTarget(owner, &VXSuPtbVC::payTypeBtnClick, ui::ControlEventTouchUpInside);
    row->addSubview(button);
    return button;
}

} // namespace

void registerVXSuPtbVCNib() {
    ui::NibRegistry::add("VOZUV", "VXSuPtbVC", [](const ns::Ref<ns::Object>& ownerObject) {
        auto owner = std::dynamic_pointer_cast<VXSuPtbVC>(ownerObject);
        cg::Rect screen = ui::Screen::mainScreen().bounds();
        double w = screen.size.width;
        auto root = ui::View::create(screen);
        root->setBackgroundColor(rgb(244, 245, 247));

        auto icon = ui::View::create<ui::ImageView>(cg::RectMake(15, 80, 50, 50));
        icon->layer()->setCornerRadius(25);
        icon->setClipsToBounds(true);
        root->addSubview(icon);
        auto name = label(cg::RectMake(75, 82, w - 90, 22), 16, rgb(40, 40, 40));
        root->addSubview(name);
        root->addSubview(label(cg::RectMake(75, 108, 80, 20), 13, rgb(120, 120, 120), "平台币余额:"));
        auto balance = label(cg::RectMake(150, 108, w - 165, 20), 13, rgb(240, 150, 20));
        root->addSubview(balance);

        auto moneyView = ui::View::create(cg::RectMake(10, 145, w - 20, 212));
        moneyView->setBackgroundColor(ui::Color::whiteColor());
        root->addSubview(moneyView);
        moneyView->addSubview(label(cg::RectMake(15, 8, 200, 24), 14, rgb(120, 120, 120), "选择充值金额"));
        double pw = w - 40, bw = (pw - 20) / 3;
        auto priceView = ui::View::create(cg::RectMake(10, 40, pw, 98));
        moneyView->addSubview(priceView);
        const char* titles[] = {"10元", "30元", "50元", "100元", "500元", "1000元"};
        for (int i = 0; i < 6; ++i) {
            auto b = ui::Button::buttonWithType(ui::ButtonType::Custom);
            b->setFrame(cg::RectMake((i % 3) * (bw + 10), (i / 3) * 54, bw, 44));
            b->setTitle(std::string(titles[i]), ui::ControlStateNormal);
            b->setTitleColor(rgb(40, 40, 40), ui::ControlStateNormal);
            b->layer()->setCornerRadius(4);
            b->setTag(10 + i);
            b->addTarget(owner, &VXSuPtbVC::doSelectedPriceBtn, ui::ControlEventTouchUpInside);
            priceView->addSubview(b);
        }
        auto field = ui::View::create<ui::TextField>(cg::RectMake(15, 152, w - 50, 44));
        field->setPlaceholder(std::string("其他金额（元）"));
        field->setBorderStyle(ui::TextBorderStyle::RoundedRect);
        field->setKeyboardType(ui::KeyboardType::DecimalPad);
        field->setDelegate(ns::Weak<ui::TextFieldDelegate>(owner));
        moneyView->addSubview(field);

        auto walletView = ui::View::create(cg::RectMake(10, 367, w - 20, 56));
        walletView->setBackgroundColor(ui::Color::whiteColor());
        root->addSubview(walletView);
        auto wxView = ui::View::create(cg::RectMake(10, 433, w - 20, 56));
        wxView->setBackgroundColor(ui::Color::whiteColor());
        root->addSubview(wxView);

        auto pay = ui::Button::buttonWithType(ui::ButtonType::Custom);
        pay->setFrame(cg::RectMake(15, 509, w - 30, 44));
        pay->setTitle(std::string("立即充值"), ui::ControlStateNormal);
        pay->setTitleColor(ui::Color::whiteColor(), ui::ControlStateNormal);
        pay->setBackgroundColor(rgb(97, 55, 231));
        pay->layer()->setCornerRadius(6);
        pay->addTarget(owner, &VXSuPtbVC::doPay, ui::ControlEventTouchUpInside);
        root->addSubview(pay);

        if (owner) {
            owner->setView(root);
            auto walletButton = payRow(owner, walletView, "vor_pay_wallet", "钱包支付", "vor_pay_btnSelectedBg", owner->walletIcon);
            walletButton->setSelected(true);
            payRow(owner, wxView, "vor_pay_wx", "微信支付", "vor_pay_btnNormalBg", owner->wxIcon);
            owner->iconView = icon, owner->nameL = name, owner->ptbL = balance, owner->walletBtn = walletButton;
            owner->walletView = walletView, owner->wxView = wxView, owner->moneyView = moneyView;
            owner->priceView = priceView, owner->priceF = field;
        }
        return ui::NibObjects{root};
    });
}
