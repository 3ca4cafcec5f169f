#include "platform_sdk/user_center/VXSuWelfareVC.h"

#include "os/uikit/NavigationController.h"
#include "platform_sdk/user_center/VXActivityVC.h"
#include "platform_sdk/user_center/VXGiftVC.h"
#include "platform_sdk/user_center/VXServerVC.h"
#include "platform_sdk/user_center/VXSuPager.h"
#include "platform_sdk/user_center/VXUserCentre.h"
#include "platform_sdk/user_center/VXWelfareVC.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"
#include "widgets/UIView+Extension.h"

void VXSuWelfareVC::viewDidLoad() {
    ui::ViewController::viewDidLoad();
    _initUI();
}

void VXSuWelfareVC::_initUI() {
    navigationItem()->setTitle("福利");
    navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::withCustomView(backBtn()));
    view()->setBackgroundColor(XTExtention::colorWithHexString("#F9F9F9"));
    view()->addSubview(topView());
    addVcs();
    // Last: making the pages shows page 0, which needs the children.
    view()->addSubview(scrollView());
}

void VXSuWelfareVC::addVcs() {
    addChildViewController(VXUserCentre::instantiate<ui::ViewController>("VXWelfareVC"));
    addChildViewController(ui::ViewController::create<VXActivityVC>());
    addChildViewController(VXUserCentre::instantiate<ui::ViewController>("VXGiftVC"));
    addChildViewController(VXUserCentre::instantiate<ui::ViewController>("VXServerVC"));
}

const ui::ButtonRef& VXSuWelfareVC::backBtn() {
    if (!backBtn_) {
        backBtn_ = ui::Button::buttonWithType(ui::ButtonType::Custom);
        backBtn_->setFrame({{0, 0}, {25, 25}});
        backBtn_->setImage(VXColor::sdkImageNamed("VX_nav_back.png"), ui::ControlStateNormal);
        backBtn_->addTarget(ref<VXSuWelfareVC>(), &VXSuWelfareVC::goBack, ui::ControlEventTouchUpInside);
    }
    return backBtn_;
}

void VXSuWelfareVC::goBack() { VXUserCentre::close(navigationController()); }

const ui::ViewRef& VXSuWelfareVC::topView() {
    if (!topView_) {
        double w = view()->bounds().size.width;
        topView_ = ui::View::create(cg::Rect{{32, VXUserCentre::isNotch() ? 109.0 : 85.0}, {w - 64, 36}});
        Extension::setCenterX(topView_, w / 2);
        auto buttons = VXSuPager::fillSwitch(topView_, {"福利", "活动", "礼包", "开服"});
        for (const auto& button : buttons)
            button->addTarget(ref<VXSuWelfareVC>(), &VXSuWelfareVC::doBtnClick, ui::ControlEventTouchUpInside);
        nowBtn_ = buttons.front();
    }
    return topView_;
}

const ui::ScrollViewRef& VXSuWelfareVC::scrollView() {
    if (!scrollView_) {
        scrollView_ = VXSuPager::makePages(view(), topView(), 4);
        scrollView_->setDelegate(ns::Weak<ui::ScrollViewDelegate>(ref<VXSuWelfareVC>()));
        didEndScrollingAnimation(scrollView_);
    }
    return scrollView_;
}

void VXSuWelfareVC::doBtnClick(const ui::ButtonRef& button) {
    if (VXSuPager::select(nowBtn_, button)) VXSuPager::turnTo(scrollView(), button);
}

void VXSuWelfareVC::didEndScrollingAnimation(const ui::ScrollViewRef& scroll) { VXSuPager::showPage(*this, scroll); }

void VXSuWelfareVC::didEndDecelerating(const ui::ScrollViewRef& scroll) {
    didEndScrollingAnimation(scroll);
    doBtnClick(VXSuPager::restingButton(topView(), scroll));
}
