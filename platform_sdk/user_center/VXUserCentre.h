#pragma once
// Small steps every user-centre screen shares: the notch test behind the layout constants, closing
// the user centre, and the SDK bundle's interface files of the user centre.

#include "os/uikit/Nib.h"
#include "os/uikit/Storyboard.h"
#include "os/uikit/ViewController.h"

#include <string>

namespace VXUserCentre {

// The system is iOS 11 or later and the key window's bottom safe-area inset is greater than 0
// (no key window: NO).
bool isNotch();

// Dismisses the navigation controller (animated), which closes the user centre; when that ends
// the floating button shows again unless the shared state hides it.
void close(const ui::ViewControllerRef& navigationController);

// Registers the builders of the user centre's storyboard scenes and nibs (once).
void registerInterfaces();
// The storyboard "VXSuTabBarVC" of the SDK bundle.
ns::Ref<ui::Storyboard> storyboard();
// A scene of that storyboard, as T (none when it is not one).
template <class T> ns::Ref<T> instantiate(const std::string& identifier) {
    return std::dynamic_pointer_cast<T>(storyboard()->instantiateViewControllerWithIdentifier(identifier));
}
// A nib of the SDK bundle.
ns::Ref<ui::Nib> nib(const std::string& name);

} // namespace VXUserCentre
