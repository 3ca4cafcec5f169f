#pragma once
// The login road's tests: the stand-in server, the SDK bundle's real pictures, and the game's
// full-screen window on a plain phone, made key before the SDK opens anything.

#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Driver.h"
#include "os/uikit/PhotoAlbum.h"
#include "os/uikit/Screen.h"
#include "os/uikit/WebView.h"
#include "platform_sdk/CXRHelperBtn.h"
#include "platform_sdk/ShareVale.h"
#include "tests/platform_sdk/PlatformFixture.h"

#include <filesystem>

namespace vx::test {

class LoginTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        std::filesystem::copy(std::filesystem::path(VX_RESOURCES_DIR) / "VOZUV.bundle",
                              std::filesystem::path(bundlePath()) / "VOZUV.bundle", std::filesystem::copy_options::recursive);
        ui::Application::shared().reset();
        ui::DeviceProfile::use(ui::DeviceProfile::plainPhone());
        game = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
        game->setRootViewController(ui::ViewController::create());
        game->makeKeyAndVisible();
        ui::driver::drainMain();
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
    // Waits for the server to answer everything sent so far and for the replies to be handled.
    void settleReplies() { settle(); }

    ui::WindowRef game;
};

} // namespace vx::test
