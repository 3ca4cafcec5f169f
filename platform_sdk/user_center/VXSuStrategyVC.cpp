#include "platform_sdk/user_center/VXSuStrategyVC.h"

#include "os/uikit/NavigationController.h"
#include "platform_sdk/user_center/VXPingVC.h"
#include "platform_sdk/user_center/VXStrategyVC.h"
#include "platform_sdk/user_center/VXSuPager.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"
#include "widgets/UIView+Extension.h"

void VXSuStrategyVC::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    _initUI();
}

void VXSuStrategyVC::_initUI() {
    navigationItem()->setTitle("攻略");
    navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::withCustomView(backBtn()));
    view()->setBackgroundColor(XTExtention::colorWithHexString("#F9F9F9"));
    view()->addSubview(topView());
    addVcs();
    // Last: making the pages shows page 0, which needs the children.
    view()->addSubview(scrollView());
}

void VXSuStrategyVC::addVcs() {
    addChildViewController(ui::ViewController::create<VXStrategyVC>());
    addChildViewController(ui::ViewController::create<VXPingVC>());
}

const ui::ButtonRef& VXSuStrategyVC::backBtn() {
    if (!backBtn_) {
        backBtn_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
        backBtn_->setFrame({{0, 0}, {25, 25}});
        backBtn_->setImage(VXColor::sdkImageNamed("VX_nav_back.png"), ui::ControlStateNormal);
        backBtn_->addTarget(ref<VXSuStrategyVC>(), &VXSuStrategyVC::goBack, ui::ControlEventTouchUpInside);
    }
    return backBtn_;
}

void VXSuStrategyVC::goBack() { VXUserCentre::close(navigationController()); }

const ui::ViewRef& VXSuStrategyVC::topView() {
    if (!topView_) {
        topView_ = ui::View::create(cg::Rect{{0, VXUserCentre::isNotch() ? 109.0 : 85.0}, {240, 36}});
        Extension::setCenterX(topView_, view()->bounds().size.width / 2);
        auto buttons = VXSuPager::fillSwitch(topView_, {"攻略", "评论"});
        for (const auto& button : buttons)
            button->addTarget(ref<VXSuStrategyVC>(), &VXSuStrategyVC::doBtnClick, ui::ControlEventTouchUpInside);
        nowBtn_ = buttons.front();
    }
    return topView_;
}

const ui::ScrollViewRef& VXSuStrategyVC::scrollView() {
    if (!scrollView_) {
        scrollView_ = VXSuPager::makePages(view(), topView(), 2);
        scrollView_->setDelegate(ns::Weak<ui::ScrollViewDelegate>(ref<VXSuStrategyVC>()));
        didEndScrollingAnimation(scrollView_);
    }
    return scrollView_;
}

void VXSuStrategyVC::doBtnClick(const ui::ButtonRef& button) {
    if (VXSuPager::select(nowBtn_, button)) VXSuPager::turnTo(scrollView(), button);
}

void VXSuStrategyVC::didEndScrollingAnimation(const ui::ScrollViewRef& scroll) { VXSuPager::showPage(*this, scroll); }

void VXSuStrategyVC::didEndDecelerating(const ui::ScrollViewRef& scroll) {
    didEndScrollingAnimation(scroll);
    doBtnClick(VXSuPager::restingButton(topView(), scroll));
}
