#include "platform_sdk/CXRWindowManager.h"

#include "os/foundation/Log.h"
#include "os/uikit/Application.h"
#include "os/uikit/Screen.h"

namespace {

bool coversScreen(const ui::WindowRef& window) {
    return window && window->bounds() == ui::Screen::mainScreen().bounds() && !window->isHidden() && window->isOpaque();
}

} // namespace

ui::ViewControllerRef CXRWindowManager::topPresenter(const ui::WindowRef& window) {
    auto presenter = window && !window->isHidden() ? window->rootViewController() : nullptr;
    while (presenter && presenter->presentedViewController()) presenter = presenter->presentedViewController();
    return presenter;
}

ui::WindowRef CXRWindowManager::topWindow() {
    auto& application = ui::Application::shared();
    auto key = application.keyWindow();
    if (coversScreen(key)) {
        ns::log("keyWindow = %@", key);
        return key;
    }
    auto windows = application.windows();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        if (coversScreen(*it)) return *it;
    return key;
}
