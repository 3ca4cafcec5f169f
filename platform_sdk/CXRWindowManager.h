#pragma once
// Finds the window on which the platform SDK lays its overlays (toasts, the floating button).
#include "os/uikit/ViewController.h"
#include "os/uikit/Window.h"

class CXRWindowManager {
public:
    // The key window when it is full screen, shown and opaque; else the frontmost window that
    // is; else the key window (none when there is no key window).
    static ui::WindowRef topWindow();
    // What an SDK screen is presented from on the window: the screen it already presents on top,
    // else its root; none for a hidden window or none at all.
    static ui::ViewControllerRef topPresenter(const ui::WindowRef& window);
};
