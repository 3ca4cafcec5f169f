#include "platform_sdk/VXNavigationController.h"

#include "os/foundation/AttributedString.h"
#include "widgets/UIColor+XTExtention.h"
#include "widgets/UIImage+VXColor.h"

void VXNavigationController::viewDidLoad() {
    ui::NavigationController::viewDidLoad();
    _initUI();
}

void VXNavigationController::_initUI() {
    auto bar = navigationBar();
    bar->setTitleTextAttributes({{ns::ForegroundColorAttributeName, ui::Color::blackColor()}});
    bar->setShadowImage(VXColor::imageWithColor(XTExtention::colorWithHexString("#f0f0f0")));
    bar->setBarTintColor(ui::Color::whiteColor());
    // Shares this controller's lifetime, so the weak link ends with it.
    std::shared_ptr<ui::GestureRecognizerDelegate> delegate(ref<VXNavigationController>(),
                                                            static_cast<ui::GestureRecognizerDelegate*>(this));
    interactivePopGestureRecognizer()->setDelegate(delegate);
}

void VXNavigationController::pushViewController(const ui::ViewControllerRef& controller, bool) {
    if (!controller) return;
    if (!viewControllers().empty()) {
        addbackBtn(controller);
        controller->setHidesBottomBarWhenPushed(true);
    }
    ui::NavigationController::pushViewController(controller, true);
}

void VXNavigationController::addbackBtn(const ui::ViewControllerRef& controller) {
    auto button = ui::Button::buttonWithType(ui::ButtonType::Custom);
    button->setFrame(cg::RectMake(0, 0, 25, 25));
    button->setImage(VXColor::sdkImageNamed("VX_nav_back.png"), ui::ControlStateNormal);
    button->addTarget(ref<VXNavigationController>(), &VXNavigationController::backBtnClick, ui::ControlEventTouchUpInside);
    controller->navigationItem()->setLeftBarButtonItem(ui::BarButtonItem::withCustomView(button));
}

void VXNavigationController::backBtnClick() {
    popViewControllerAnimated(true);
}
