// Scene "VXSuCouponVC" of the storyboard "VXSuTabBarVC": a grey page with a box-app banner in the band
// between the navigation bar and the list (y 131, 155 on notch phones) and a bottom bar (72 pt, 106
// on notch phones) holding the claim-all button. The list's table is the base's.
#include "os/uikit/Screen.h"
#include "platform_sdk/user_center/VXSuCouponVC.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"
#include "widgets/UIColor+XTExtention.h"

namespace {

class CouponCentreView : public ui::View {
public:
    void layoutSubviews() override {
        ui::View::layoutSubviews();
        bool notch = VXUserCentre::isNotch();
        double w = bounds().size.width, h = bounds().size.height;
        double top = notch ? 88 : 64, listTop = notch ? 155 : 131, bar = notch ? 106 : 72;
        if (auto banner = viewWithTag(30)) banner->setFrame(cg::RectMake(16, top + 10, w - 32, listTop - top - 20));
        if (auto bottom = viewWithTag(31)) {
            bottom->setFrame(cg::RectMake(0, h - bar, w, bar));
            if (auto all = bottom->viewWithTag(32)) all->setFrame(cg::RectMake(24, 14, w - 48, 44));
        }
    }
};

} // namespace

void VXSuCouponVC::registerInterfaceFile() {
    if (ui::StoryboardRegistry::contains("VOZUV", "VXSuTabBarVC", "VXSuCouponVC")) return;
    VXUserCentreInterfaces::addScene("VXSuCouponVC", {
        [] { return ui::ViewController::create<VXSuCouponVC>(); },
        [](ui::ViewController& controller) {
            auto& screen = static_cast<VXSuCouponVC&>(controller);
            auto self = screen.ref<VXSuCouponVC>();
            auto root = ui::View::create<CouponCentreView>(ui::Screen::mainScreen().bounds());
            root->setBackgroundColor(ui::Color::colorWithRed(245.0 / 255, 245.0 / 255, 245.0 / 255, 1));

            auto banner = ui::View::create<ui::Button>();
            banner->setTag(30);
            banner->setBackgroundColor(XTExtention::colorWithHexString("#EDE7FD"));
            banner->layer()->setCornerRadius(8);
            banner->setTitle("下载游戏盒子，领券更方便 >", ui::ControlStateNormal);
            banner->setTitleColor(XTExtention::colorWithHexString("#6137E7"), ui::ControlStateNormal);
            banner->titleLabel()->setFont(ui::Font::systemFontOfSize(14, ui::FontWeight::Medium));
            banner->addTarget(self, &VXSuCouponVC::goToBox, ui::ControlEventTouchUpInside);
            banner->setAccessibilityIdentifier("coupon_box_banner");

            auto bottom = ui::View::create();
            bottom->setTag(31);
            bottom->setBackgroundColor(ui::Color::whiteColor());
            auto all = ui::View::create<ui::Button>();
            all->setTag(32);
            all->setBackgroundColor(XTExtention::colorWithHexString("#6137E7"));
            all->layer()->setCornerRadius(22);
            all->setTitle("一键领取", ui::ControlStateNormal);
            all->setTitleColor(ui::Color::whiteColor(), ui::ControlStateNormal);
            all->titleLabel()->setFont(ui::Font::systemFontOfSize(16, ui::FontWeight::Medium));
            all->addTarget(self, &VXSuCouponVC::getAllCoupons, ui::ControlEventTouchUpInside);
            all->setAccessibilityIdentifier("coupon_claim_all");
            bottom->addSubview(all);

            root->addSubview(banner);
            root->addSubview(bottom);
            screen.setView(root);
        },
    });
}
