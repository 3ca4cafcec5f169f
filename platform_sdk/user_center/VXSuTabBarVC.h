#pragma once
// The user centre: one full-screen modal tab bar whose pages each sit in their own navigation
// controller. It closes itself after a logout from the mine page and otherwise ignores dismissals
// that are not about something it presents.

#include "os/uikit/TabBarController.h"

#include <functional>
#include <string>

class VXSuTabBarVC;
using VXSuTabBarVCRef = ns::Ref<VXSuTabBarVC>;

class VXSuTabBarVC : public ui::TabBarController {
public:
    // Installs the floating button's way in: a new tab bar, full screen, presented animated on the
    // root controller of the top window, its logout reported through the button's block.
    static void installAsUserCentre();

    // Run when the player logs out from the mine page.
    const std::function<void()>& logoutBlock() const { return logoutBlock_; }
    void setLogoutBlock(std::function<void()> block) { logoutBlock_ = std::move(block); }
    // Set just before the tab bar closes itself after a logout; never set back.
    bool isShouldDismiss() const { return isShouldDismiss_; }
    void setIsShouldDismiss(bool v) { isShouldDismiss_ = v; }

    void viewDidLoad() override;
    void addChildVcs();
    // Gives the page its tab item (images drawn as stored) and wraps it in a navigation controller.
    void addChildViewController(const ui::ViewControllerRef& page, const std::string& title,
                                const std::string& image, const std::string& selectedImage);
    using ui::TabBarController::addChildViewController;
    // What the mine page's logout runs (the block holds the tab bar weakly).
    std::function<void()> logoutStep();

    bool shouldAutorotate() const override { return false; }
    ui::InterfaceOrientation preferredInterfaceOrientationForPresentation() const override;
    // Passed on only while something is presented over the tab bar or after a logout.
    void dismissViewControllerAnimated(bool animated, Completion completion = {}) override;

    // The task tab's page address: signed with the login time of this moment.
    static std::string taskPageURL();
    static std::string servicePageURL();

private:
    std::function<void()> logoutBlock_;
    bool isShouldDismiss_ = false;
};
