#pragma once
// The login road's tests: the stand-in server, the SDK bundle's real pictures, and the game's
// full-screen window on a plain phone, made key before the SDK opens anything.

#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/PhotoAlbum.h"
#include "os/uikit/WebView.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/ShareVale.h"
#include "tests/platform_sdk/PlatformFixture.h"

namespace vx::test {

class LoginTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        copySdkPictures(bundlePath());
        ui::Application::shared().reset();
        ui::DeviceProfile::use(ui::DeviceProfile::plainPhone());
        game = showKeyWindow();
    }
    void TearDown() override {
        server.releaseHeld();
        settle();
        game = nullptr;
        ui::Application::shared().reset();
        ui::DeviceProfile::reset();
        PlatformTest::TearDown();
    }
    // Whether a toast with exactly this text lies on the view.
    static bool toastOn(const ui::ViewRef& view, const std::string& text) {
        return view && ui::driver::findLabel(view, text) != nullptr;
    }

    ui::WindowRef game;
};

} // namespace vx::test
