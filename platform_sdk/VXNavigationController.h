#pragma once
// The navigation controller of the login window and of the user-centre tabs: white bar, black
// titles, and a back button on every screen pushed above the root.
#include "os/uikit/GestureRecognizer.h"
#include "os/uikit/NavigationController.h"

class VXNavigationController : public ui::NavigationController, public ui::GestureRecognizerDelegate {
public:
    void viewDidLoad() override;
    // Screens pushed above the first get the back button and hide the bottom bar; always animated.
    void pushViewController(const ui::ViewControllerRef& controller, bool animated) override;
    // A 25 x 25 button with "VX_nav_back.png" as the screen's left bar item; it runs backBtnClick.
    void addbackBtn(const ui::ViewControllerRef& controller);
    void backBtnClick();

private:
    void _initUI();
};
