#include "os/uikit/DeviceProfile.h"

#include "os/foundation/ResetRegistry.h"
#include "os/uikit/Device.h"
#include "os/uikit/Screen.h"

#include <mutex>

namespace ui {
namespace {

std::mutex& profileMutex() {
    static std::mutex m;
    return m;
}

DeviceProfile& storedProfile() {
    static DeviceProfile* profile = [] {
        ns::ResetRegistry::add("ui.DeviceProfile", [] { DeviceProfile::reset(); });
        return new DeviceProfile(DeviceProfile::plainPhone());
    }();
    return *profile;
}

} // namespace

DeviceProfile DeviceProfile::notchPortrait() {
    DeviceProfile p;
    p.name = "notch portrait";
    p.portraitSize = {375, 812};
    p.scale = 3;
    p.systemVersion = "12.4";
    p.portraitSafeArea = {44, 0, 34, 0};
    p.landscapeSafeArea = {0, 44, 21, 44};
    p.portraitKeyboardHeight = 291;
    p.landscapeKeyboardHeight = 171;
    p.machine = "iPhone10,3";
    return p;
}

DeviceProfile DeviceProfile::notchLandscape() {
    DeviceProfile p = notchPortrait();
    p.name = "notch landscape";
    p.landscape = true;
    return p;
}

DeviceProfile DeviceProfile::plainPhone() {
    DeviceProfile p;
    p.name = "plain phone";
    p.portraitSize = {375, 667};
    p.scale = 2;
    p.systemVersion = "12.4";
    p.portraitSafeArea = {20, 0, 0, 0};
    p.landscapeSafeArea = {0, 0, 0, 0};
    p.machine = "iPhone10,1";
    return p;
}

DeviceProfile DeviceProfile::iOS10() {
    DeviceProfile p = plainPhone();
    p.name = "plain phone, iOS 10";
    p.systemVersion = "10.3";
    p.machine = "iPhone9,1";
    return p;
}

DeviceProfile DeviceProfile::withSystemVersion(std::string version) const {
    DeviceProfile p = *this;
    p.systemVersion = std::move(version);
    return p;
}

DeviceProfile DeviceProfile::withLandscape(bool on) const {
    DeviceProfile p = *this;
    p.landscape = on;
    return p;
}

void DeviceProfile::use(const DeviceProfile& profile) {
    {
        std::lock_guard lock(profileMutex());
        storedProfile() = profile;
    }
    cg::Size s = profile.portraitSize;
    if (profile.landscape) std::swap(s.width, s.height);
    Screen::mainScreen().setBounds(cg::RectMake(0, 0, s.width, s.height));
    Screen::mainScreen().setScale(profile.scale);
    Device::currentDevice().setSystemVersion(profile.systemVersion);
}

DeviceProfile DeviceProfile::current() {
    std::lock_guard lock(profileMutex());
    return storedProfile();
}

void DeviceProfile::reset() { use(plainPhone()); }

EdgeInsets DeviceProfile::safeAreaInsets() {
    if (!systemVersionAtLeast(11)) return EdgeInsetsZero;
    DeviceProfile p = current();
    return isLandscape() ? p.landscapeSafeArea : p.portraitSafeArea;
}

bool DeviceProfile::isLandscape() {
    cg::Rect b = Screen::mainScreen().bounds();
    return b.size.width > b.size.height;
}

bool DeviceProfile::systemVersionAtLeast(int major, int minor) {
    return Device::currentDevice().systemVersionAtLeast(std::to_string(major) + "." + std::to_string(minor));
}

double DeviceProfile::keyboardHeight() {
    DeviceProfile p = current();
    return isLandscape() ? p.landscapeKeyboardHeight : p.portraitKeyboardHeight;
}

} // namespace ui
