#pragma once
// Screens of the strategy, coupon and bill pages against the stand-in server: the SDK bundle in the
// main bundle, a signed-in player, a key window on the chosen device, a navigation controller to
// push into, and golden pictures compared with a small tolerance.

#include "os/foundation/Data.h"
#include "os/imageio/ImageSource.h"
#include "os/uikit/Application.h"
#include "os/uikit/DeviceProfile.h"
#include "os/uikit/Driver.h"
#include "os/uikit/Screen.h"
#include "os/uikit/ViewRendering.h"
#include "platform_sdk/ShareVale.h"
#include "platform_sdk/VXNavigationController.h"
#include "tests/platform_sdk/PlatformFixture.h"
#include "tests/support/ImageBytes.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vx::test {

class ListScreenTest : public PlatformTest {
protected:
    void SetUp() override {
        PlatformTest::SetUp();
        std::filesystem::copy(std::filesystem::path(VX_RESOURCES_DIR) / "VOZUV.bundle",
                              std::filesystem::path(bundlePath()) / "VOZUV.bundle", std::filesystem::copy_options::recursive);
        useDevice(ui::DeviceProfile::plainPhone());
        auto share = ShareVale::sharedInstance();
        share->setUserName(std::string("player01"));
        share->setAppID(std::string("app7"));
        share->setGameID(std::string("1001"));
        share->setChanelid(std::string("cps3"));
        // The badge and avatar pictures the seeded comments point at.
        for (const char* name : {"avatar", "vip", "paid"}) {
            std::ifstream in(std::string(VX_PICTURES_DIR) + "/" + name + "@2x.png", std::ios::binary);
            std::stringstream bytes;
            bytes << in.rdbuf();
            server.serveFile(std::string("/pic/") + name + ".png", bytes.str(), "image/png");
        }
    }
    void TearDown() override {
        nav = nullptr;
        window = nullptr;
        ui::Application::shared().reset();
        PlatformTest::TearDown();
    }

    // A fresh key window on the device (the notch test reads the key window's insets).
    void useDevice(const ui::DeviceProfile& profile) {
        ui::DeviceProfile::use(profile);
        window = ui::View::create<ui::Window>(ui::Screen::mainScreen().bounds());
        window->makeKeyAndVisible();
    }
    static ui::DeviceProfile notch() { return ui::DeviceProfile::notchPortrait(); }

    // The screen as the root of a navigation controller in the window, its first requests answered.
    void show(const ui::ViewControllerRef& screen) {
        nav = ui::NavigationController::createWithRoot<VXNavigationController>(screen);
        window->setRootViewController(nav);
        drainMain();
    }
    // Pumps until the server has answered `count` requests to the path and the replies were handled.
    void answered(const std::string& path, size_t count = 1) {
        ASSERT_TRUE(awaitRequests(path, count)) << path;
        settle();
        ASSERT_TRUE(runMainUntil([&] { return server.heldCount() == 0; }));
        // The reply comes back over the network thread; give it the time to land and finish.
        for (int i = 0; i < 20; ++i) {
            ns::RunLoop::main().runOnce(0.02);
            settle();
        }
    }
    std::vector<server::PlatformServer::Received> sent(const std::string& path) { return server.requests(path); }
    ns::Value lastParams(const std::string& path) {
        auto all = server.requests(path);
        return all.empty() ? ns::Value() : all.back().params;
    }

    // The window as a PNG into the golden folder's candidate, compared with the kept golden: at most
    // 0.5% of the pixels may differ by more than 24 in a channel. VX_UPDATE_GOLDENS=1 rewrites it.
    void expectGolden(const std::string& name) {
        drainMain();
        std::string golden = std::string(VX_GOLDEN_DIR) + "/" + name + ".png";
        std::string shot = sandboxPath() + "/" + name + ".png";
        ASSERT_TRUE(ui::captureWindowPNG(window, shot));
        if (const char* out = std::getenv("VX_SCREENS_DIR")) std::filesystem::copy_file(shot, std::string(out) + "/" + name + ".png",
                                                                                        std::filesystem::copy_options::overwrite_existing);
        if (std::getenv("VX_UPDATE_GOLDENS") || !std::filesystem::exists(golden)) {
            std::filesystem::create_directories(VX_GOLDEN_DIR);
            std::filesystem::copy_file(shot, golden, std::filesystem::copy_options::overwrite_existing);
            if (!std::getenv("VX_UPDATE_GOLDENS")) ADD_FAILURE() << "no golden yet for " << name << "; written";
            return;
        }
        auto decode = [](const std::string& path) {
            auto data = ns::Data::fromFile(path);
            auto source = data ? imageio::ImageSource::CreateWithData(data) : nullptr;
            return source ? source->CreateImageAtIndex(0) : nullptr;
        };
        auto a = decode(shot), b = decode(golden);
        ASSERT_TRUE(a && b) << name;
        ASSERT_EQ(a->width(), b->width()) << name;
        ASSERT_EQ(a->height(), b->height()) << name;
        size_t off = 0;
        for (uint32_t y = 0; y < a->height(); ++y)
            for (uint32_t x = 0; x < a->width(); ++x)
                if (!imagebytes::near(imagebytes::pixelAt(a, x, y), imagebytes::pixelAt(b, x, y), 24)) ++off;
        EXPECT_LE(off, a->width() * a->height() / 200) << name << ": " << off << " pixels differ";
    }

    ui::WindowRef window;
    ns::Ref<ui::NavigationController> nav;
};

} // namespace vx::test
