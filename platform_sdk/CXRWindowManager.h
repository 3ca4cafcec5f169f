#pragma once
// Finds the window on which the platform SDK lays its overlays (toasts, the floating button).
#include "os/uikit/Window.h"

class CXRWindowManager {
public:
    // The key window when it is full screen, shown and opaque; else the frontmost window that
    // is; else the key window (none when there is no key window).
    static ui::WindowRef topWindow();
};
