#include "platform_sdk/VXBaseNav.h"

#include "os/foundation/AttributedString.h"
#include "os/uikit/Control.h"

void VXBaseNav::viewDidLoad() {
    ui::NavigationController::viewDidLoad();
    initView();
}

void VXBaseNav::initView() {
    ui::BarButtonItem::appearance().setTitleTextAttributes({{ns::ForegroundColorAttributeName, ui::Color::blackColor()}},
                                                           ui::ControlStateNormal);
    navigationBar()->setBarTintColor(ui::Color::whiteColor());
}

bool VXBaseNav::shouldAutorotate() const {
    auto top = topViewController();
    return top && top->shouldAutorotate();
}

unsigned VXBaseNav::supportedInterfaceOrientations() const {
    auto top = topViewController();
    return top ? top->supportedInterfaceOrientations() : 0;
}

ui::InterfaceOrientation VXBaseNav::preferredInterfaceOrientationForPresentation() const {
    auto top = topViewController();
    return top ? top->preferredInterfaceOrientationForPresentation() : ui::InterfaceOrientation::Unknown;
}

bool VXBaseNav::shouldBegin(const ui::GestureRecognizerRef&) {
    if (viewControllers().size() == 1) return false;
    return !isTransitioning();
}
