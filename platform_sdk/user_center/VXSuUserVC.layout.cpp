// Storyboard "VXSuTabBarVC", scene "VXSuUserVC": a purple header, the account card, the voucher
// summary, four entries, the account rows, the switches and the logout button, in one scroll view.
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Screen.h"
#include "os/uikit/Storyboard.h"
#include "platform_sdk/user_center/VXSuPanelLayout.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "platform_sdk/user_center/VXSuUserVC.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

namespace {

namespace L = VXSuPanelLayout;
using Page = ns::Ref<VXSuUserVC>;

constexpr double kRowHeight = 48;

class MinePageView : public ui::View {
public:
    void layoutSubviews() override {
        ui::View::layoutSubviews();
        for (const auto& sub : subviews())
            if (std::dynamic_pointer_cast<ui::ScrollView>(sub)) sub->setFrame(bounds());
    }
};

ui::ViewRef card(const ui::ViewRef& parent, cg::Rect frame) {
    auto v = ui::View::create(frame);
    v->setBackgroundColor(ui::Color::whiteColor());
    v->layer()->setCornerRadius(10);
    parent->addSubview(v);
    return v;
}

// A button over the whole of a view: the tap area of a row or a card.
ui::ButtonRef overlay(const ui::ViewRef& parent, cg::Rect frame, const Page& page, void (VXSuUserVC::*action)(),
                      const std::string& identifier) {
    auto b = ui::Button::buttonWithType(ui::ButtonType::Custom);
    b->setAccessibilityIdentifier(identifier);
    b->setFrame(frame);
    b->addTarget(page, action, ui::ControlEventTouchUpInside);
    parent->addSubview(b);
    return b;
}

ui::ImageViewRef arrow(const ui::ViewRef& parent, double y) {
    auto a = ui::View::create<ui::ImageView>({{parent->bounds().size.width - 22, y - 6}, {7, 12}});
    a->setImage(VXColor::sdkImageNamed("vx_su_arrow"));
    parent->addSubview(a);
    return a;
}

// One row of a list card: its title on the left, an optional value on the right, a thin line below.
ui::LabelRef row(const ui::ViewRef& parent, long index, const std::string& title, bool withArrow) {
    double y = index * kRowHeight, w = parent->bounds().size.width;
    parent->addSubview(L::label({{15, y}, {140, kRowHeight}}, title, 15, "#333333"));
    if (index > 0) {
        auto line = ui::View::create({{15, y}, {w - 30, 0.5}});
        line->setBackgroundColor(XTExtention::colorWithHexString("#EEEEEE"));
        parent->addSubview(line);
    }
    if (withArrow) arrow(parent, y + kRowHeight / 2);
    auto value = L::label({{w - 200, y}, {withArrow ? 170.0 : 185.0, kRowHeight}}, "", 14, "#999999");
    value->setTextAlignment(ui::TextAlignment::Right);
    parent->addSubview(value);
    return value;
}

ui::ButtonRef switchButton(const ui::ViewRef& parent, long index) {
    auto b = ui::Button::buttonWithType(ui::ButtonType::Custom);
    b->setFrame({{parent->bounds().size.width - 59, index * kRowHeight + 12}, {44, 24}});
    b->setImage(VXColor::sdkImageNamed("vx_su_switch_off"), ui::ControlStateNormal);
    b->setImage(VXColor::sdkImageNamed("vx_su_switch_on"), ui::ControlStateSelected);
    parent->addSubview(b);
    return b;
}

void build(VXSuUserVC& controller) {
    Page page = controller.ref<VXSuUserVC>();
    cg::Rect screen = ui::Screen::mainScreen().bounds();
    double w = screen.size.width, top = std::max(20.0, ui::DeviceProfile::safeAreaInsets().top);
    auto root = ui::View::create<MinePageView>(screen);
    root->setBackgroundColor(XTExtention::colorWithHexString("#F5F5F7"));
    auto scroll = ui::View::create<ui::ScrollView>(screen);
    scroll->setShowsVerticalScrollIndicator(false);
    root->addSubview(scroll);

    // Header.
    auto one = ui::View::create<ui::ImageView>({{0, 0}, {w, top + 150}});
    scroll->addSubview(one);
    auto two = ui::View::create<ui::ImageView>({{w - 140, -70}, {220, 220}});
    two->setImage(VXColor::imageWithColor(ui::Color::colorWithWhite(1, 0.08)));
    two->layer()->setCornerRadius(110);
    two->setClipsToBounds(true);
    scroll->addSubview(two);
    auto back = ui::Button::buttonWithType(ui::ButtonType::Custom);
    back->setFrame({{12, top + 7}, {30, 30}});
    back->setBackgroundColor(ui::Color::colorWithWhite(1, 0.9));
    back->layer()->setCornerRadius(15);
    back->setImage(VXColor::sdkImageNamed("VX_nav_back"), ui::ControlStateNormal);
    back->setImageEdgeInsets({7, 7, 7, 9});
    back->setAccessibilityIdentifier("back");
    back->addTarget(page, &VXSuUserVC::goBack, ui::ControlEventTouchUpInside);
    scroll->addSubview(back);
    auto title = L::label({{60, top}, {w - 120, 44}}, "个人中心", 17, "#FFFFFF", ui::FontWeight::Medium);
    title->setTextAlignment(ui::TextAlignment::Center);
    scroll->addSubview(title);

    // Account card.
    auto user = card(scroll, {{15, top + 50}, {w - 30, 160}});
    double cw = w - 30;
    auto icon = ui::View::create<ui::ImageView>({{15, 15}, {60, 60}});
    icon->layer()->setCornerRadius(30);
    icon->setClipsToBounds(true);
    user->addSubview(icon);
    auto nick = L::label({{88, 16}, {cw - 103, 24}}, "昵称", 17, "#333333", ui::FontWeight::Medium);
    user->addSubview(nick);
    auto vip = ui::View::create<ui::ImageView>({{88, 44}, {50, 18}});
    vip->setHidden(true);
    user->addSubview(vip);
    auto pay = ui::View::create<ui::ImageView>({{88, 44}, {50, 18}});
    pay->setUserInteractionEnabled(true);
    user->addSubview(pay);
    auto payLeft = ui::LayoutConstraint::withConstant(5, "payPicLeft");
    payLeft->bindToFrame(pay, ui::FrameComponent::X, 83);
    pay->addConstraint(payLeft);
    auto name = L::label({{88, 64}, {cw - 160, 20}}, "账号：", 13, "#999999");
    user->addSubview(name);
    auto copy = ui::Button::buttonWithType(ui::ButtonType::Custom);
    copy->setFrame({{cw - 62, 63}, {47, 22}});
    copy->setTitle(std::string("复制"), ui::ControlStateNormal);
    copy->setTitleColor(XTExtention::colorWithHexString(L::Purple), ui::ControlStateNormal);
    copy->titleLabel()->setFont(ui::Font::systemFontOfSize(12));
    copy->layer()->setBorderWidth(1);
    copy->layer()->setBorderColor(XTExtention::colorWithHexString(L::Purple)->cgColor());
    copy->layer()->setCornerRadius(11);
    copy->addTarget(page, &VXSuUserVC::doCopy, ui::ControlEventTouchUpInside);
    user->addSubview(copy);
    auto line = ui::View::create({{15, 95}, {cw - 30, 0.5}});
    line->setBackgroundColor(XTExtention::colorWithHexString("#EEEEEE"));
    user->addSubview(line);
    const char* captions[] = {"平台币", "代金券", "星币"};
    void (VXSuUserVC::*columns[])() = {&VXSuUserVC::goToPtbVc, &VXSuUserVC::goToBillVc, &VXSuUserVC::goToStarsVc};
    const char* columnIds[] = {"ptb", "djq", "starcoin"};
    ui::LabelRef values[3];
    for (int i = 0; i < 3; ++i) {
        double x = i * cw / 3;
        values[i] = L::label({{x, 104}, {cw / 3, 24}}, "0.00", 17, "#333333", ui::FontWeight::Medium);
        values[i]->setTextAlignment(ui::TextAlignment::Center);
        user->addSubview(values[i]);
        auto caption = L::label({{x, 130}, {cw / 3, 18}}, captions[i], 12, "#999999");
        caption->setTextAlignment(ui::TextAlignment::Center);
        user->addSubview(caption);
        overlay(user, {{x, 98}, {cw / 3, 60}}, page, columns[i], columnIds[i]);
    }

    // Voucher summary.
    double y = top + 222;
    auto coupon = card(scroll, {{15, y}, {cw, 64}});
    coupon->addSubview(L::label({{15, 0}, {120, 64}}, "我的优惠券", 15, "#333333"));
    auto money = L::label({{cw - 200, 10}, {170, 24}}, "￥0.00", 18, "#FF5A36");
    money->setTextAlignment(ui::TextAlignment::Right);
    coupon->addSubview(money);
    auto count = L::label({{cw - 200, 34}, {170, 18}}, "共0张", 12, "#999999");
    count->setTextAlignment(ui::TextAlignment::Right);
    coupon->addSubview(count);
    arrow(coupon, 32);
    overlay(coupon, coupon->bounds(), page, &VXSuUserVC::goToCouponVc, "coupon");

    // The four entries (tags 10-13); the page gives them their action itself.
    y += 76;
    auto btns = card(scroll, {{15, y}, {cw, 86}});
    const char* titles[] = {"游戏盒子", "消息中心", "智能客服", "游戏预约"};
    const char* images[] = {"vx_su_box", "vx_su_msg", "vx_su_kefu", "vx_su_order"};
    for (int i = 0; i < 4; ++i) {
        auto b = ui::Button::buttonWithType(ui::ButtonType::Custom);
        b->setFrame({{i * cw / 4, 0}, {cw / 4, 86}});
        b->setTag(10 + i);
        b->setImage(VXColor::sdkImageNamed(images[i]), ui::ControlStateNormal);
        b->setTitle(std::string(titles[i]), ui::ControlStateNormal);
        b->setTitleColor(XTExtention::colorWithHexString("#333333"), ui::ControlStateNormal);
        b->titleLabel()->setFont(ui::Font::systemFontOfSize(12));
        btns->addSubview(b);
    }
    auto badge = L::label({{cw / 4 + cw / 8 + 8, 10}, {18, 18}}, "", 11, "#FFFFFF");
    badge->setBackgroundColor(XTExtention::colorWithHexString("#FF3B30"));
    badge->setTextAlignment(ui::TextAlignment::Center);
    badge->layer()->setCornerRadius(9);
    badge->setClipsToBounds(true);
    badge->setHidden(true);
    badge->setAccessibilityIdentifier("msgNum");
    btns->addSubview(badge);

    // Account rows.
    y += 98;
    auto info = card(scroll, {{15, y}, {cw, 4 * kRowHeight}});
    row(info, 0, "小号管理", true);
    overlay(info, {{0, 0}, {cw, kRowHeight}}, page, &VXSuUserVC::goToSubNameVC, "subname");
    auto mobile = row(info, 1, "", true);
    ui::LabelRef mobileTitle;
    for (const auto& sub : info->subviews())
        if (auto l = std::dynamic_pointer_cast<ui::Label>(sub); l && l->frame().origin.y == kRowHeight && l->frame().origin.x == 15)
            mobileTitle = l;
    mobileTitle->setText(std::string("手机绑定"));
    mobile->setText(std::string("去绑定"));
    overlay(info, {{0, kRowHeight}, {cw, kRowHeight}}, page, &VXSuUserVC::showBangView, "mobile");
    auto rz = row(info, 2, "实名认证", true);
    rz->setText(std::string("未认证"));
    overlay(info, {{0, 2 * kRowHeight}, {cw, kRowHeight}}, page, &VXSuUserVC::goToRz, "realname");
    row(info, 3, "修改密码", true);
    overlay(info, {{0, 3 * kRowHeight}, {cw, kRowHeight}}, page, &VXSuUserVC::showForgetView, "password");

    // Switches and version.
    y += 4 * kRowHeight + 12;
    auto set = card(scroll, {{15, y}, {cw, 3 * kRowHeight}});
    row(set, 0, "自动登录", false);
    auto autoLogin = switchButton(set, 0);
    autoLogin->addTarget(page, &VXSuUserVC::doAutoLoginBtnClick, ui::ControlEventTouchUpInside);
    row(set, 1, "显示悬浮窗", false);
    auto suspend = switchButton(set, 1);
    suspend->setSelected(true);
    suspend->addTarget(page, &VXSuUserVC::doShowOrHideSuspenBtn, ui::ControlEventTouchUpInside);
    auto version = row(set, 2, "当前版本", false);

    // Logout.
    y += 3 * kRowHeight + 20;
    auto logout = ui::Button::buttonWithType(ui::ButtonType::Custom);
    logout->setFrame({{15, y}, {cw, 46}});
    logout->setBackgroundColor(ui::Color::whiteColor());
    logout->layer()->setCornerRadius(23);
    logout->setTitle(std::string("退出登录"), ui::ControlStateNormal);
    logout->setTitleColor(XTExtention::colorWithHexString("#FF3B30"), ui::ControlStateNormal);
    logout->titleLabel()->setFont(ui::Font::systemFontOfSize(16));
    logout->setAccessibilityIdentifier("logout");
    logout->addTarget(page, &VXSuUserVC::doLogout, ui::ControlEventTouchUpInside);
    scroll->addSubview(logout);
    // Room below for the tab bar and the home indicator.
    scroll->setContentSize({w, y + 46 + 30 + 49 + ui::DeviceProfile::safeAreaInsets().bottom});

    page->scrollView = scroll;
    page->onePic = one, page->twoPic = two, page->iconView = icon, page->vipPic = vip, page->payPic = pay;
    page->userView = user, page->couponView = coupon, page->btnsView = btns, page->infoView = info, page->setView = set;
    page->nickL = nick, page->nameL = name, page->ptbL = values[0], page->djqL = values[1], page->xinL = values[2];
    page->couponMoneyL = money, page->couponNumL = count, page->msgNumL = badge;
    page->mobileTitleL = mobileTitle, page->mobileL = mobile, page->rzL = rz, page->versionL = version;
    page->suspendStatusBtn = suspend, page->autoLoginBtn = autoLogin;
    page->payPicLeft = payLeft;
    controller.ui::ViewController::setView(root);
}

} // namespace

void VXSuUserVC::registerInterfaceFile() {
    if (ui::StoryboardRegistry::contains(VXColor::SdkBundleName, "VXSuTabBarVC", "VXSuUserVC")) return;
    VXUserCentreInterfaces::addScene("VXSuUserVC", {
        [] { return ui::ViewController::create<VXSuUserVC>(); },
        [](ui::ViewController& controller) { build(static_cast<VXSuUserVC&>(controller)); },
    });
}
