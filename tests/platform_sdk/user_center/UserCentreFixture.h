#pragma once
// User-centre screens under test: the stand-in server, a logged-in session, the SDK bundle's
// pictures, and a game window over which the screen is presented inside a VXNavigationController.
// Captures are compared with the golden PNGs under golden/ (VX_UPDATE_GOLDEN=1 rewrites them).

#include "os/foundation/Data.h"
#include "os/imageio/ImageSource.h"
#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Screen.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXNavigationController.h"
#include "tests/platform_sdk/PlatformFixture.h"
#include "tests/support/ImageBytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

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
        ShareVale::sharedInstance()->setUserName("player01");
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

    // Writes the window to <sandbox>/<name>.png and compares it with golden/<name>.png: at most
    // 0.5% of the pixels may differ by more than 8 in a channel.
    void expectMatchesGolden(const std::string& name) {
        std::string shot = sandboxPath() + "/" + name + ".png";
        ui::driver::capture(window, shot);
        std::string golden = std::string(VX_GOLDEN_DIR) + "/" + name + ".png";
        if (const char* update = std::getenv("VX_UPDATE_GOLDEN"); update && *update == '1') {
            std::filesystem::create_directories(VX_GOLDEN_DIR);
            std::filesystem::copy_file(shot, golden, std::filesystem::copy_options::overwrite_existing);
            return;
        }
        auto actual = decode(shot), expected = decode(golden);
        ASSERT_TRUE(actual) << shot;
        ASSERT_TRUE(expected) << "no golden " << golden;
        ASSERT_EQ(actual->width(), expected->width());
        ASSERT_EQ(actual->height(), expected->height());
        size_t differing = 0, total = actual->width() * actual->height();
        for (uint32_t y = 0; y < actual->height(); ++y)
            for (uint32_t x = 0; x < actual->width(); ++x)
                if (!imagebytes::near(imagebytes::pixelAt(actual, x, y), imagebytes::pixelAt(expected, x, y), 8))
                    ++differing;
        EXPECT_LE(differing, total / 200) << name << ": " << differing << " of " << total << " pixels differ";
    }

    // A reply given as raw JSON text (wrong types, nulls).
    static server::PlatformServer::Scripted jsonText(std::string json) {
        server::PlatformServer::Scripted s;
        s.jsonText = std::move(json);
        s.contentType = "application/json";
        return s;
    }

    static cg::ImageRef decode(const std::string& path) {
        auto data = ns::Data::fromFile(path);
        auto source = data ? imageio::ImageSource::CreateWithData(data) : nullptr;
        return source ? source->CreateImageAtIndex(0) : nullptr;
    }

    ui::WindowRef window;
    ui::ViewControllerRef game;
    ns::Ref<VXNavigationController> navigation;
};

} // namespace vx::test
