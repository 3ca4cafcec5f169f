#pragma once
// The navigation controller of the payment centre: white bar, and the top screen decides the
// orientation.
#include "os/uikit/GestureRecognizer.h"
#include "os/uikit/NavigationController.h"

class VXBaseNav : public ui::NavigationController, public ui::GestureRecognizerDelegate {
public:
    void viewDidLoad() override;

    // What the top screen answers (NO / none with an empty stack).
    bool shouldAutorotate() const override;
    unsigned supportedInterfaceOrientations() const override;
    ui::InterfaceOrientation preferredInterfaceOrientationForPresentation() const override;

    // A swipe back may start above the root and while no transition runs.
    bool shouldBegin(const ui::GestureRecognizerRef& recognizer) override;

private:
    void initView();
};
