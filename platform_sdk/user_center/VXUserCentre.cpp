#include "platform_sdk/user_center/VXUserCentre.h"

#include "foundation/URLEncode.h"
#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Window.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/user_center/VXUserCentreInterfaces.h"

#include <mutex>

namespace VXUserCentre {

bool isNotch() {
    if (!ui::DeviceProfile::systemVersionAtLeast(11)) return false;
    auto key = ui::Application::shared().keyWindow();
    return key && key->safeAreaInsets().bottom > 0;
}

void close(const ui::ViewControllerRef& navigationController) {
    if (!navigationController) return;
    navigationController->dismissViewControllerAnimated(true, [] {
        if (!ShareVale::sharedInstance()->isHideSuspend()) CXRHelperBtn::show();
    });
}

void registerInterfaces() {
    static std::once_flag once;
    std::call_once(once, [] { VXUserCentreInterfaces::registerAll(); });
}

ns::Ref<ui::Storyboard> storyboard() {
    registerInterfaces();
    return ui::Storyboard::storyboardWithName("VXSuTabBarVC", URLEncode::getSdkBundle());
}

ns::Ref<ui::Nib> nib(const std::string& name) {
    registerInterfaces();
    return ui::Nib::nibWithNibName(name, URLEncode::getSdkBundle());
}

} // namespace VXUserCentre
