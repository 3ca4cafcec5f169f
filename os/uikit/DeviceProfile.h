#pragma once
// The device a test or the demo runs as: screen size and scale, orientation, system version,
// safe-area insets per orientation and the keyboard height. Applying a profile sets the main
// screen and the device's system version; both stay settable one by one.
// Before iOS 11 there are no safe-area insets: they read as zero.

#include "os/graphics/Geometry.h"
#include "os/uikit/Geometry.h"

#include <string>

namespace ui {

struct DeviceProfile {
    std::string name;
    cg::Size portraitSize;   // points, width < height
    double scale = 2;
    bool landscape = false;  // the screen's bounds are the portrait size swapped
    std::string systemVersion;
    EdgeInsets portraitSafeArea;
    EdgeInsets landscapeSafeArea;
    double portraitKeyboardHeight = 216;
    double landscapeKeyboardHeight = 162;
    std::string model = "iPhone";
    std::string machine;

    // iPhone X class, 375 × 812 @3x, iOS 12.4: insets (44, 0, 34, 0) / (0, 44, 21, 44).
    static DeviceProfile notchPortrait();
    static DeviceProfile notchLandscape();
    // 375 × 667 @2x, iOS 12.4: insets (20, 0, 0, 0) in portrait, none in landscape.
    static DeviceProfile plainPhone();
    // The plain phone on iOS 10.3 (no safe-area insets at all).
    static DeviceProfile iOS10();

    DeviceProfile withSystemVersion(std::string version) const;
    DeviceProfile withLandscape(bool landscape) const;

    // Makes the profile current: main screen bounds and scale, device system version.
    static void use(const DeviceProfile& profile);
    static DeviceProfile current();
    // Back to the plain phone (also the reset hook's action).
    static void reset();

    // The current profile's insets for its orientation; zero before iOS 11.
    static EdgeInsets safeAreaInsets();
    static bool isLandscape();
    // The running system version is at least major.minor (the "@available" test).
    static bool systemVersionAtLeast(int major, int minor = 0);
    static double keyboardHeight();
};

} // namespace ui
