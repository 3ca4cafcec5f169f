#pragma once
// User-centre screens under test: the stand-in server, a logged-in session, the SDK bundle's
// pictures, and a game window over which the screen is presented inside a VXNavigationController.

#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXNavigationController.h"
#include "tests/platform_sdk/PlatformFixture.h"
#include "tests/platform_sdk/user_center/GoldenImage.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vx::test {

class UserCentreTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        ui::Application::shared().reset();
        ui::Screen::mainScreen().reset();
        std::filesystem::copy(std::filesystem::path(VX_RESOURCES_DIR) / "VOZUV.bundle",
                              std::filesystem::path(bundlePath()) / "VOZUV.bundle",
                              std::filesystem::copy_options::recursive);
        ASSERT_NO_FATAL_FAILURE(signIn("player01"));
        openWindow();
    }
    void TearDown() override {
        navigation.reset();
        game.reset();
        window.reset();
        ui::Application::shared().reset();
        PlatformTest::TearDown();
    }

    // The game's window with its root screen; made again after a device switch.
    void openWindow() {
        window = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
        game = ui::ViewController::create();
        window->setRootViewController(game);
        window->makeKeyAndVisible();
        drainMain();
    }
    void useProfile(const ui::DeviceProfile& profile) {
        ui::driver::useProfile(profile);
        openWindow();
    }

    // Presents the screen full screen as the root of a VXNavigationController, as the user centre does.
    ns::Ref<VXNavigationController> present(const ui::ViewControllerRef& root) {
        navigation = ui::NavigationController::createWithRoot<VXNavigationController>(root);
        game->presentViewController(navigation, false);
        drainMain();
        advance(0.3);
        return navigation;
    }

    // The window against golden/<name>.png.
    void expectMatchesGolden(const std::string& name) { EXPECT_TRUE(matchesGolden(window, name, sandboxPath())); }

    // A reply given as raw JSON text (wrong types, nulls).
    static vx::server::PlatformServer::Scripted jsonText(std::string json) {
        vx::server::PlatformServer::Scripted s;
        s.jsonText = std::move(json);
        s.contentType = "application/json";
        return s;
    }

    static cg::ImageRef decode(const std::string& path) { return decodeImage(path); }

    ui::WindowRef window;
    ui::ViewControllerRef game;
    ns::Ref<VXNavigationController> navigation;
};

} // namespace vx::test
